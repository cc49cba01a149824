#include "cli/dispatch.h"

#include <string>
#include <vector>

#include "cli/command_arguments.h"
#include "cli/help_text.h"
#include "cli/legacy_walk.h"
#include "commands/help.h"
#include "commands/version.h"

namespace otawrap {

namespace {

int usageError(const std::string& message, const char* command, Console console) {
  return reportFailure({Failure::usage, message, "", 0}, MessageStyle::command, console, command);
}

// Parses with parse into Options, then runs run; a parse error is a usage
// error of command.
template <typename Options>
int parseAndRun(const char* command, const Arguments& arguments,
                std::string (*parse)(const Arguments&, Options&),
                int (*run)(const Options&, Console), Console console) {
  Options options;
  const std::string error = parse(arguments, options);
  if (!error.empty()) return usageError(error, command, console);
  return run(options, console);
}

int convertMain(const Arguments& arguments, Console console) {
  return parseAndRun("convert", arguments, parseConvertArguments, runConvertCommand, console);
}

int infoMain(const Arguments& arguments, Console console) {
  return parseAndRun("info", arguments, parseInfoArguments, runInfoCommand, console);
}

int verifyMain(const Arguments& arguments, Console console) {
  return parseAndRun("verify", arguments, parseVerifyArguments, runVerifyCommand, console);
}

int buildMain(const Arguments& arguments, Console console) {
  return parseAndRun("build", arguments, parseBuildArguments, runBuildCommand, console);
}

int extractMain(const Arguments& arguments, Console console) {
  return parseAndRun("extract", arguments, parseExtractArguments, runExtractCommand, console);
}

int indexMain(const Arguments& arguments, Console console) {
  return parseAndRun("index", arguments, parseIndexArguments, runIndexCommand, console);
}

int helpMain(const Arguments& arguments, Console console) {
  if (arguments.size() > 1) return usageError("unexpected operand '" + arguments[1] + "'", "help", console);
  return runHelpCommand(arguments.empty() ? "" : arguments[0], console);
}

int versionMain(const Arguments& arguments, Console console) {
  if (!arguments.empty()) return usageError("unexpected operand '" + arguments[0] + "'", "version", console);
  return runVersionCommand(console);
}

// Words kept for the commands that come next.
int reservedMain(const char* word, Console console) {
  return reportFailure({Failure::notAvailable, "", word, 0}, MessageStyle::command, console);
}

struct CommandRow {
  const char* name;
  const char* alias;  // the "--" form as first argument, or nullptr
  int (*main)(const Arguments& arguments, Console console);  // nullptr: reserved
};

// Adding a subcommand: one row here, its option table in cli/, its command
// in commands/, its page in cli/help_text.cpp.
constexpr CommandRow kCommands[] = {
    {"convert", nullptr, convertMain},
    {"info", "--info", infoMain},
    {"verify", "--verify", verifyMain},
    {"help", "--help", helpMain},
    {"version", "--version", versionMain},
    {"build", nullptr, buildMain},
    {"extract", nullptr, extractMain},
    {"index", nullptr, indexMain},
};

const CommandRow* findCommand(const std::string& word) {
  for (const CommandRow& row : kCommands) {
    if (word == row.name || (row.alias != nullptr && word == row.alias)) return &row;
  }
  return nullptr;
}

// The row argv[1] selects; nullptr for the legacy form.
const CommandRow* selectedCommand(int argc, const char* const* argv) {
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
  const CommandRow* command = selectedCommand(argc, argv);
  if (command == nullptr) {
    return runLegacy(argc, argv, console);
  }
  if (command->main == nullptr) {
    return reservedMain(command->name, console);
  }
  const Arguments arguments(argv + 2, argv + argc);
  if (commandHelp(command->name) != nullptr && asksForHelp(arguments)) {
    return runHelpCommand(command->name, console);
  }
  return command->main(arguments, console);
}

bool isLegacyCommandLine(int argc, const char* const* argv) {
  return selectedCommand(argc, argv) == nullptr;
}

}  // namespace otawrap
