#include "entry/dispatch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/failure.h"
#include "cli/spelling.h"
#include "codec/escape.h"
#include "commands/legacy.h"
#include "entry/help.h"
#include "entry/registry.h"
#include "image/input_format.h"
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

// The command word within two edits of word (the nearest, the first of the
// overview's order among equals), or nullptr. Only for a word that names no
// file: the legacy form converts an input of any name.
const char* misspeltCommand(const std::string& word) {
  if (word.empty() || word[0] == '-' || fsExists(word)) return nullptr;
  std::vector<const char*> names;
  for (const Command* command : allCommands()) names.push_back(command->text().name);
  return nearestWord(word, names, 2);
}

// Letters, digits and '-', starting with a letter: what a command word looks
// like, unlike a file name.
bool isPlainWord(const std::string& word) {
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (word.empty() || !letter(word[0])) return false;
  return std::all_of(word.begin(), word.end(),
                     [&letter](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '-'; });
}

// A regular file that starts with the OTA file identifier (FIFOs and devices
// are never opened again: the failed run may have drained them).
bool isOtaFile(const std::string& path) {
  if (fsEntryKind(path) != FsEntryKind::regular) return false;
  FileSource file;
  if (!file.open(path.c_str())) return false;
  std::uint8_t head[4] = {};
  std::size_t size = 0;
  while (size < sizeof head) {
    const std::size_t got = file.read(head + size, sizeof head - size);
    if (got == 0) break;
    size += got;
  }
  return detectInputFormat(head, size) == InputFormat::otaFile;
}

// What a failed legacy run most likely meant, or "": a command word that
// does not exist, or an OTA file where raw firmware goes.
std::string legacyHint(const std::string& input) {
  if (isPlainWord(input) && !fsExists(input)) {
    return "'" + input + "' is not a command: 'otawrap help' lists them";
  }
  if (isOtaFile(input)) return input + " is already an OTA file: try 'otawrap info " + input + "'";
  return "";
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
    // Standard output and the exit code stay the legacy form's; what it
    // meant goes to standard error.
    if (code != kExitSuccess && argc >= 2) {
      const std::string hint = legacyHint(argv[1]);
      if (!hint.empty()) {
        console.err << "otawrap: " << escapeControlCharacters(hint) << '\n';
        console.err.flush();
      }
    }
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
