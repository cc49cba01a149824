// The help texts, generated from the commands' definitions: one page per command
// (synopsis, description, every option on one line, an example, the exit
// codes) and the lines of the overview.
#pragma once

#include <string>
#include <vector>

#include "cli/command_definition.h"

namespace otawrap {

// The page `otawrap help COMMAND` and `COMMAND --help` print. The options
// section (with -h, --help last) is left out when there are no options.
std::string helpPage(const CommandText& text, const std::vector<OptionDefinition>& options);

// One line per command: its overview words and its summary, aligned.
std::string commandList(const std::vector<const CommandText*>& commands);

}  // namespace otawrap
