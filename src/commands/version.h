// otawrap version.
#pragma once

#include <string>

#include "commands/failure.h"

namespace otawrap {

// "otawrap <version>" and a newline.
std::string versionText();

// Prints versionText(). Returns 0, or 2 when it could not be written.
int runVersionCommand(Console console);

}  // namespace otawrap
