// Failure reporting shared by the fuzz targets: a broken invariant prints what
// failed and aborts, which libFuzzer records as a crash and the replay test as
// a failed run.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace otawrap::fuzz {

inline void fuzzCheck(bool condition, const char* what) {
  if (!condition) {
    static_cast<void>(std::fprintf(stderr, "fuzz check failed: %s\n", what));
    std::abort();
  }
}

}  // namespace otawrap::fuzz
