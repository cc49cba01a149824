// otawrap help [COMMAND].
#pragma once

#include <string>

#include "commands/failure.h"

namespace otawrap {

// Prints the overview (empty topic) or the page of topic. Returns 0, or 2
// for an unknown topic or a lost text.
int runHelpCommand(const std::string& topic, Console console);

}  // namespace otawrap
