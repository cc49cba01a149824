// Run-time window tables for any point of order n, laid out like
// basePointTable: entry j (-5..5) holds the same tau-expression applied to Q
// that basePointTable's entry j applies to G.
//
//   entry  0: Q                     entry  1 / -1: (tau^2 + 1)Q / (tau^2 - 1)Q
//   entry  2 / -2: (tau^3 +- 1)Q    entry  3 / -3: (tau^4 - tau^2 +- 1)Q
//   entry  4 / -4: (tau^4 +- 1)Q    entry  5 / -5: (tau^4 + tau^2 +- 1)Q
//
// Nothing here allocates or fails.
#pragma once

#include "ecc/point.h"

namespace otawrap {

inline constexpr int kPointTableEntries = 11;

// table[0..10] = entries -5..5 for Q, canonical coordinates; entry 0 is
// table[5]. Q must be a finite point of order n (for other points some entries
// may come out as (0, 0)). Ten mixed additions and one shared field inversion.
// table must not overlap Q.
void pointTableBuild(const AffinePoint& Q, AffinePoint table[kPointTableEntries]);

}  // namespace otawrap
