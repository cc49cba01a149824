// The window cursors behind scalarMultiply, shared with the two-scalar sum of
// ecc/multi_scalar and open to the tests. Nothing outside ecc/ uses them.
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "ecc/scalar_mult.h"
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

// A cursor set up at position 176 over digits, ready for tauWindowEvaluate.
WindowCursor windowCursorStart(const TnafDigits& digits, const AffinePoint* table, std::int32_t width);

// out = the sum over the count cursors (1 to 5) of each cursor's digit expansion
// applied to its table's base point; the cursors are advanced. Yields with the
// step 2^(5 - count) * level. yield may be null.
void tauWindowEvaluate(int count, WindowCursor* cursors, AffinePoint& out, const YieldControl* yield);

}  // namespace otawrap
