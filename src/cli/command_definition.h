// A subcommand declared once: its words, its help texts, one row per option
// (names, value name, one line of help, how the value is checked and stored),
// which options exclude which, its operands and the function that runs it.
// Parsing, the help page and dispatch all come from this one value; a command
// defines its definition in its own file under commands/ (shared services: app/).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "cli/option_parser.h"
#include "cli/values.h"

namespace otawrap {

using Arguments = std::vector<std::string>;

// What the overview and the help page show of a command. The name is
// written here only: the overview, the usage line and the dispatcher take it
// from here.
struct CommandText {
  const char* name;
  const char* alias;         // the "--" form as first argument, or nullptr
  CommandKind kind;          // decides the exit codes and the page's "Exit codes:" line
  const char* operands;      // after the name in the overview, e.g. "INPUT... [options]"
  const char* summary;       // what it does, after that line
  const char* synopsis;      // after "Usage: otawrap NAME "; "\n" lines as written
  const char* description;   // the page's paragraph, ending with a newline
  const char* optionsTitle;  // "Options:" or a variant ("Options (exactly one key):")
  const char* example;       // a command line that runs as written
};

template <typename Options>
struct OptionRow {
  OptionDefinition option;
  // Checks the value and stores it into the options; "" or the error text
  // naming the option as written and the value.
  std::string (*store)(const ParsedOption& given, Options& options);
};

// The member a path of member pointers names, e.g. (o.*output).*file.
template <typename T, typename Member>
auto& memberOf(T& object, Member member) {
  return object.*member;
}
template <typename T, typename Member, typename... Rest>
auto& memberOf(T& object, Member member, Rest... rest) {
  return memberOf(object.*member, rest...);
}

// The stores of plain options, written once: a row names the member it sets
// by its path of member pointers, e.g. setFlag<O, &O::report, &ReportChoice::json>.
template <typename Options, auto... path>
std::string setFlag(const ParsedOption&, Options& options) {
  memberOf(options, path...) = true;
  return "";
}

template <typename Options, auto... path>
std::string clearFlag(const ParsedOption&, Options& options) {
  memberOf(options, path...) = false;
  return "";
}

// Any text, the empty one included.
template <typename Options, auto... path>
std::string setText(const ParsedOption& given, Options& options) {
  memberOf(options, path...) = given.value;
  return "";
}

// A text that may not be empty.
template <typename Options, auto... path>
std::string setValue(const ParsedOption& given, Options& options) {
  if (given.value.empty()) return "empty value for " + given.name;
  return setText<Options, path...>(given, options);
}

template <typename Number>
void assignNumber(Number& member, std::uint32_t value) {
  member = static_cast<Number>(value);
}

template <typename Number>
void assignNumber(std::optional<Number>& member, std::uint32_t value) {
  member = static_cast<Number>(value);
}

// An identifier of at most digits hex digits (parseIdentifier), into a
// 16- or 32-bit member or an optional one.
template <typename Options, int digits, auto... path>
std::string setHex(const ParsedOption& given, Options& options) {
  std::uint32_t value = 0;
  std::string error = parseIdentifier(given.name, given.value, digits, value);
  if (error.empty()) assignNumber(memberOf(options, path...), value);
  return error;
}

template <typename Options, auto... path>
std::string setFile(const ParsedOption& given, Options& options) {
  if (given.value.empty()) return "empty file name for " + given.name;
  return setText<Options, path...>(given, options);
}

// A directory, stored ending with a separator (cli/values.h).
template <typename Options, auto... path>
std::string setDirectory(const ParsedOption& given, Options& options) {
  if (given.value.empty()) return "empty directory name for " + given.name;
  memberOf(options, path...) = directoryPrefix(given.value);
  return "";
}

template <typename Options>
struct CommandDefinition {
  CommandText text;
  std::vector<OptionRow<Options>> options;  // in the order of the help page
  std::vector<Exclusion> exclusions;
  OperandRule operands;
  // Stores the operands and checks what only the whole command line shows
  // (required options, pairs); "" or the error text. May be nullptr.
  std::string (*finish)(const std::vector<std::string>& operands, Options& options);
  // Runs the command on its parsed options; returns the exit code.
  int (*run)(const Options& options, const Console& console);
};

template <typename Options>
std::vector<OptionDefinition> optionDefinitions(const std::vector<OptionRow<Options>>& rows) {
  std::vector<OptionDefinition> definitions;
  definitions.reserve(rows.size());
  for (const OptionRow<Options>& row : rows) definitions.push_back(row.option);
  return definitions;
}

// Parses arguments (those after the command word) into options, which start
// as the command's defaults: options in order, then exclusions, then finish.
// Returns "" or the error text without the help hint; hint, when given, gets
// the parser's hint beside the error ("" when none).
template <typename Options>
std::string parseCommand(const CommandDefinition<Options>& definition, const Arguments& arguments,
                         Options& options, std::string* hint = nullptr) {
  const std::vector<OptionDefinition> definitions = optionDefinitions(definition.options);
  ParsedArguments parsed;
  std::string error = parseOptions(definitions, definition.operands, arguments, parsed);
  if (hint != nullptr) *hint = parsed.hint;
  if (!error.empty()) return error;
  for (const ParsedOption& given : parsed.options) {
    error = definition.options[given.row].store(given, options);
    if (!error.empty()) return error;
  }
  error = exclusionError(definitions, definition.exclusions, parsed);
  if (!error.empty()) return error;
  return definition.finish == nullptr ? "" : definition.finish(parsed.operands, options);
}

// Concatenates groups of rows, e.g. a command's own rows and shared ones.
template <typename Options>
std::vector<OptionRow<Options>> joinRows(
    std::initializer_list<std::vector<OptionRow<Options>>> groups) {
  std::vector<OptionRow<Options>> rows;
  for (const std::vector<OptionRow<Options>>& group : groups) {
    rows.insert(rows.end(), group.begin(), group.end());
  }
  return rows;
}

}  // namespace otawrap
