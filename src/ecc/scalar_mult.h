// kG on sect163k1 by tau-adic windows: the scalar is recoded into tauNAF digits,
// which are evaluated top down in a Horner scheme whose step is the Frobenius
// map; each window of up to `width` digit positions adds one precomputed point.
//
// Nothing here allocates or fails. A yield callback, if requested, is called
// synchronously from inside the loop; the computation may be re-entered from it.
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "ecc/tnaf.h"

namespace otawrap {

// A scalar's walk through its digit array (kept beside it by the owner).
struct WindowCursor {
  const AffinePoint* table;  // entry 0 of the point table of this cursor's base point
  std::int32_t width;        // most digit positions in one window (5 here)
  std::int32_t position;     // 176 at the start; then the lowest nonzero digit of the last window
  std::int32_t value;        // window value e of the last window gathered; 0 at the start
  const Word* word;          // digit word holding position; one past word 21 at the start
  std::uint16_t mask;        // two-bit mask of position within *word; 0x0003 at the start
};

// Cooperative yield: with level L in 1..10, callback runs at every digit position
// that is a multiple of 16*L (one cursor), after that position's work. Level 0
// never calls it. A nonzero level requires a callback.
struct YieldControl {
  void (*callback)();
  std::uint32_t level;
};

// A cursor set up at position 176 over digits, ready for tauWindowEvaluate.
WindowCursor windowCursorStart(const TnafDigits& digits, const AffinePoint* table, std::int32_t width);

// out = k*G with canonical coordinates; the point at infinity is written as (0, 0).
// k is reduced in place to its canonical residue mod n first. table is entry 0 of
// basePointTable (basePointEntry0) and width must be 5, the table's range. yield
// may be null. Always returns 0.
int scalarMultiply(AffinePoint& out, ModNumber& k, std::int32_t width, const AffinePoint* table,
                   const YieldControl* yield);

// out = the sum over the count cursors (1 to 5) of each cursor's digit expansion
// applied to its table's base point; the cursors are advanced. Yields with the
// step 2^(5 - count) * level. yield may be null.
void tauWindowEvaluate(int count, WindowCursor* cursors, AffinePoint& out, const YieldControl* yield);

}  // namespace otawrap
