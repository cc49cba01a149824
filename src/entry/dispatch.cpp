#include "entry/dispatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/failure.h"
#include "commands/legacy.h"
#include "entry/help.h"
#include "entry/registry.h"
#include "io/file_system.h"

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

// Levenshtein distance between a and b, at most limit + 1.
std::size_t editDistance(const std::string& a, const std::string& b, std::size_t limit) {
  if (a.size() > b.size() + limit || b.size() > a.size() + limit) return limit + 1;
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return std::min(row[b.size()], limit + 1);
}

// The command word within two edits of word (the nearest, the first of the
// overview's order among equals), or nullptr. Only for a word that names no
// file: the legacy form converts an input of any name.
const char* misspeltCommand(const std::string& word) {
  if (word.empty() || word[0] == '-' || fsExists(word)) return nullptr;
  const char* nearest = nullptr;
  std::size_t best = 3;
  for (const Command* command : allCommands()) {
    const char* name = command->text().name;
    const std::size_t distance = editDistance(word, name, 2);
    if (distance < best) {
      best = distance;
      nearest = name;
    }
  }
  return nearest;
}

}  // namespace

int runOtawrap(int argc, const char* const* argv, OutputStream& out, OutputStream& err) {
  const Console console{out, err};
  const Command* command = selectedCommand(argc, argv);
  if (command == nullptr) {
    const char* suggestion = argc >= 2 ? misspeltCommand(argv[1]) : nullptr;
    if (suggestion != nullptr) {
      return reportFailure({Failure::notACommand, suggestion, argv[1], 0}, console);
    }
    const int code = runLegacy(argc, argv, {out, err, CommandKind::legacy});
    // The legacy usage says nothing of the commands; standard output stays
    // exactly the legacy text, so the pointer goes to standard error.
    if (argc == 1 || (argc == 2 && std::string(argv[1]) == "-h")) {
      console.err << "otawrap: the commands (convert, info, verify, build, ...) are listed by 'otawrap help'\n";
    }
    return code;
  }
  const Arguments arguments(argv + 2, argv + argc);
  if (asksForHelp(arguments)) return printHelpPage(*command, console);
  return command->main(arguments, console);
}

bool isLegacyCommandLine(int argc, const char* const* argv) {
  return selectedCommand(argc, argv) == nullptr;
}

}  // namespace otawrap
