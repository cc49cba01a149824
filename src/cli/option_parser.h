// The subcommands' option parser, driven by one row per option.
//
// Short options take their value attached or as the next argument ("-o out",
// "-oout"); long ones as "--name value" or "--name=value". "--" ends the
// options. Options and operands come in any order. Fails, naming the option or
// operand, on an unknown option (with a hint at the nearest long one), a missing value, a value given to a flag, an
// option given twice that may not repeat, and a wrong number of operands.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace otawrap {

// One option as the parser and the help see it.
struct OptionDefinition {
  char shortName;        // '\0' when there is none
  const char* longName;  // without the leading "--"
  const char* metavar;   // the value's name in the help, e.g. "DIR"; nullptr: a flag
  const char* help;      // one line; "\n" continues it on the next line of the page
  bool repeatable = false;  // a second use replaces (values) or repeats (flags) harmlessly
  // The values it takes, space-separated, for shell completion (each one
  // its store accepts); nullptr: any value (a metavar "DIR" completes directories).
  const char* choices = nullptr;
};

struct ParsedOption {
  std::size_t row;   // index of its definition
  std::string name;  // as written, e.g. "-o" or "--output-dir"
  std::string value;
};

struct ParsedArguments {
  std::vector<ParsedOption> options;  // in command-line order
  std::vector<std::string> operands;
  // Beside an unknown long option's error: "did you mean '--NAME'?" for the
  // option within two edits (one for names of up to three letters); else "".
  std::string hint;
};

inline constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

struct OperandRule {
  std::size_t least;  // at least this many operands
  std::size_t most;   // at most this many (kAnyNumber: no bound)
  const char* name;   // how the usage names them, e.g. "FILE"
};

// Parses arguments against definitions. With no definitions at all every argument is an
// operand. Returns an empty string on success, else the error text (without
// the help hint).
std::string parseOptions(const std::vector<OptionDefinition>& definitions, OperandRule operands,
                         const std::vector<std::string>& arguments, ParsedArguments& parsed);

// Long names (without "--") of options of which at most one may be given.
struct Exclusion {
  std::vector<const char*> longNames;
};

// The first exclusion parsed breaks, worded "--a and --b exclude each other"
// for two names, "give only one of --a, --b and --c" for more; "" when none.
std::string exclusionError(const std::vector<OptionDefinition>& definitions,
                           const std::vector<Exclusion>& exclusions,
                           const ParsedArguments& parsed);

}  // namespace otawrap
