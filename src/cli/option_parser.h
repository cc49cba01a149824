// The subcommands' option parser, driven by one table per command.
//
// Short options take their value attached or as the next argument ("-o out",
// "-oout"); long ones as "--name value" or "--name=value". "--" ends the
// options. Options and operands come in any order. Fails, naming the option or
// operand, on an unknown option, a missing value, a value given to a flag, an
// option given twice that may not repeat, and a wrong number of operands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace otawrap {

struct OptionSpec {
  int id;                // the command's own number for the option
  char shortName;        // '\0' when there is none
  const char* longName;  // without the leading "--"
  bool takesValue;
  bool repeatable;       // a second use replaces (values) or repeats (flags) harmlessly
};

struct ParsedOption {
  int id;
  std::string name;  // as written, e.g. "-o" or "--output-dir"
  std::string value;
};

struct ParsedArguments {
  std::vector<ParsedOption> options;  // in command-line order
  std::vector<std::string> operands;
};

struct OperandRule {
  std::size_t count;    // exactly this many operands (at least, with orMore)
  const char* name;     // how the usage names them, e.g. "FILE"
  bool orMore = false;  // any number from count on
};

// Parses arguments[0..count) against specs. Returns an empty string on
// success, else the error text (without the help hint).
std::string parseOptions(const std::vector<OptionSpec>& specs, OperandRule operands,
                         const std::vector<std::string>& arguments, ParsedArguments& parsed);

}  // namespace otawrap
