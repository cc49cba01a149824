// The help texts: the top-level overview and one page per subcommand
// (synopsis, every option on one line, an example, the exit codes).
#pragma once

#include <string>

namespace otawrap {

// The overview `otawrap help` prints.
const char* topLevelHelp();

// The page of a subcommand; nullptr for a name that has none.
const char* commandHelp(const std::string& command);

}  // namespace otawrap
