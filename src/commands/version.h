// otawrap version.
#pragma once

#include <string>

#include "app/command.h"

namespace otawrap {

const Command& versionCommand();

// "otawrap <version>" and a newline.
std::string versionText();

}  // namespace otawrap
