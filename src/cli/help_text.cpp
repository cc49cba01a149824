#include "cli/help_text.h"

namespace otawrap {

namespace {

// The column where help and summaries start.
constexpr std::size_t kHelpColumn = 32;

// left, padded to the help column (three spaces when it reaches that far),
// then text; each "\n" in text continues at the help column.
std::string aligned(std::string left, const std::string& text) {
  left += left.size() + 2 <= kHelpColumn ? std::string(kHelpColumn - left.size(), ' ') : "   ";
  for (const char c : text) {
    left += c;
    if (c == '\n') left += std::string(kHelpColumn, ' ');
  }
  return left + "\n";
}

std::string optionLine(const OptionDefinition& option) {
  std::string left = "  ";
  left += option.shortName != '\0' ? std::string("-") + option.shortName + ", " : "    ";
  left += std::string("--") + option.longName;
  if (option.metavar != nullptr) left += std::string(" ") + option.metavar;
  return aligned(left, option.help);
}

// One line per kind of command: the exit codes exitCodeOf gives it.
const char* exitCodesLine(CommandKind kind) {
  switch (kind) {
    case CommandKind::judges:
      return "0 passed, 1 read and found wanting (a check, the signature,\n"
             "a finding, nothing offered, a difference), 2 usage error, unreadable\n"
             "input, lost output (of several files: the worst).\n";
    case CommandKind::makes:
      return "0 written, 2 usage error, unreadable or refused input, failed\n"
             "write (nothing is written then).\n";
    case CommandKind::prints:
    case CommandKind::legacy:
      break;
  }
  return "0 printed, 2 usage error or lost output.\n";
}

// "NAME" and, when there are any, a space and rest.
std::string named(const CommandText& text, const char* rest) {
  return *rest == '\0' ? std::string(text.name) : std::string(text.name) + " " + rest;
}

}  // namespace

std::string helpPage(const CommandText& text, const std::vector<OptionDefinition>& options) {
  std::string page = "Usage: otawrap " + named(text, text.synopsis) + "\n\n" + text.description;
  if (!options.empty()) {
    page += std::string("\n") + text.optionsTitle + "\n";
    for (const OptionDefinition& option : options) page += optionLine(option);
    page += optionLine({'h', "help", nullptr, "this text"});
  }
  page += std::string("\nExample: ") + text.example + "\n";
  page += std::string("\nExit codes: ") + exitCodesLine(text.kind);
  return page;
}

std::string commandList(const std::vector<const CommandText*>& commands) {
  std::string list;
  for (const CommandText* text : commands) {
    list += aligned("  " + named(*text, text->operands), text->summary);
  }
  return list;
}

}  // namespace otawrap
