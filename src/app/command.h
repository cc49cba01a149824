// A command as the dispatcher and the help see it, whatever its options
// struct: its texts, its option rows and a main that parses and runs.
#pragma once

#include <string>
#include <vector>

#include "cli/command_definition.h"

namespace otawrap {

class Command {
 public:
  virtual ~Command() = default;
  virtual const CommandText& text() const = 0;
  virtual std::vector<OptionDefinition> options() const = 0;
  // Parses arguments (those after the command word) and runs the command; a
  // parse error is a usage error. Returns the exit code.
  virtual int main(const Arguments& arguments, const Console& console) const = 0;
};

// Prints a usage error of command ("otawrap: <message>", the hint when there
// is one, and the line naming its help) and returns its exit code.
int reportUsageError(const std::string& message, const char* command, const Console& console,
                     const std::string& hint = "");

// What a command with these options says of a directory given where it
// reads a file: --recursive where it has that option; else nullptr.
const char* directoryHintFor(const std::vector<OptionDefinition>& options);

template <typename Options>
class DefinedCommand final : public Command {
 public:
  explicit DefinedCommand(const CommandDefinition<Options>& definition) : definition_(definition) {}
  const CommandText& text() const override { return definition_.text; }
  std::vector<OptionDefinition> options() const override { return optionDefinitions(definition_.options); }
  int main(const Arguments& arguments, const Console& console) const override {
    const Console run{console.out, console.err, definition_.text.kind, directoryHintFor(options())};
    Options parsed{};
    std::string hint;
    const std::string error = parseCommand(definition_, arguments, parsed, &hint);
    if (!error.empty()) return reportUsageError(error, definition_.text.name, run, hint);
    return definition_.run(parsed, run);
  }

 private:
  const CommandDefinition<Options>& definition_;
};

}  // namespace otawrap
