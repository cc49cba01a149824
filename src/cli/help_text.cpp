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

}  // namespace

std::string helpPage(const CommandText& text, const std::vector<OptionDefinition>& options) {
  std::string page = std::string("Usage: otawrap ") + text.synopsis + "\n\n" + text.description;
  if (!options.empty()) {
    page += std::string("\n") + text.optionsTitle + "\n";
    for (const OptionDefinition& option : options) page += optionLine(option);
    page += optionLine({'h', "help", nullptr, "this text"});
  }
  page += std::string("\nExample: ") + text.example + "\n";
  page += std::string("\nExit codes: ") + text.exitCodes;
  return page;
}

std::string commandList(const std::vector<const CommandText*>& commands) {
  std::string list;
  for (const CommandText* text : commands) {
    list += aligned(std::string("  ") + text->overview, text->summary);
  }
  return list;
}

}  // namespace otawrap
