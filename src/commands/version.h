// otawrap version.
#pragma once

#include <string>

namespace otawrap {

// "otawrap <version>" and a newline.
std::string versionText();

}  // namespace otawrap
