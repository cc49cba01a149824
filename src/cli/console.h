// Where a command prints and the exit codes it ends with. Small on purpose:
// `version` and `help` need nothing more.
#pragma once

#include <ostream>

namespace otawrap {

// Standard output and standard error of one run.
struct Console {
  std::ostream& out;
  std::ostream& err;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCheckFailed = 1;  // a file was read; a check it needed failed
inline constexpr int kExitError = 2;        // usage, input or write error

}  // namespace otawrap
