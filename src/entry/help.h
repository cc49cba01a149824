// otawrap help [COMMAND], and the page every COMMAND --help prints. Beside
// the dispatcher, not among the commands: it reads the command list.
#pragma once

#include "app/command.h"

namespace otawrap {

const Command& helpCommand();

// Prints the help page of command. Returns 0, or 2 when it was lost.
int printHelpPage(const Command& command, const Console& console);

// The overview `otawrap help` prints.
std::string overviewText();

}  // namespace otawrap
