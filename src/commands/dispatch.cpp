#include "commands/dispatch.h"

#include <string>
#include <vector>

#include "commands/help.h"
#include "commands/legacy.h"
#include "commands/registry.h"

namespace otawrap {

namespace {

// The command argv[1] selects; nullptr for the legacy form.
const Command* selectedCommand(int argc, const char* const* argv) {
  return argc >= 2 ? findCommand(argv[1]) : nullptr;
}

// "-h" or "--help" among the options (before any "--").
bool asksForHelp(const Arguments& arguments) {
  for (const std::string& a : arguments) {
    if (a == "--") return false;
    if (a == "-h" || a == "--help") return true;
  }
  return false;
}

}  // namespace

int runOtawrap(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  const Console console{out, err};
  const Command* command = selectedCommand(argc, argv);
  if (command == nullptr) return runLegacy(argc, argv, console);
  const Arguments arguments(argv + 2, argv + argc);
  if (asksForHelp(arguments)) return printHelpPage(*command, console);
  return command->main(arguments, console);
}

bool isLegacyCommandLine(int argc, const char* const* argv) {
  return selectedCommand(argc, argv) == nullptr;
}

}  // namespace otawrap
