// kG on sect163k1 by tau-adic windows: the scalar is recoded into tauNAF digits,
// which are evaluated top down in a Horner scheme whose step is the Frobenius
// map; each window of up to `width` digit positions adds one precomputed point.
//
// Nothing here allocates or fails. A yield callback, if requested, is called
// synchronously from inside the loop; the computation may be re-entered from it.
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "ecc/words.h"

namespace otawrap {

// Cooperative yield: with level L in 1..10, callback runs at every digit position
// that is a multiple of 16*L (one cursor), after that position's work. Level 0
// never calls it. A nonzero level requires a callback.
struct YieldControl {
  void (*callback)();
  std::uint32_t level;
};

// out = k*G with canonical coordinates; the point at infinity is written as (0, 0).
// k is reduced in place to its canonical residue mod n first. table is entry 0 of
// basePointTable (basePointEntry0) and width must be 5, the table's range. yield
// may be null. Always returns 0.
int scalarMultiply(AffinePoint& out, ModNumber& k, std::int32_t width, const AffinePoint* table,
                   const YieldControl* yield);

}  // namespace otawrap
