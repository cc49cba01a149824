// otawrap help [COMMAND], and the page every COMMAND --help prints.
#pragma once

#include "app/command.h"

namespace otawrap {

// Prints the help page of command. Returns 0, or 2 when it was lost.
int printHelpPage(const Command& command, Console console);

// The overview `otawrap help` prints.
std::string overviewText();

}  // namespace otawrap
