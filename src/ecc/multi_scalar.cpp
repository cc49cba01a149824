// Two cursors, one running sum.
#include "ecc/multi_scalar.h"

#include "ecc/modn.h"
#include "ecc/scalar_mult_internal.h"

namespace otawrap {

void scalarMultiplyCombined(AffinePoint& out, ModNumber& k1, const AffinePoint* table1,
                            ModNumber& k2, const AffinePoint* table2) {
  constexpr std::int32_t kWidth = 5;
  TnafDigits digits1;
  TnafDigits digits2;
  modReduceFinal(k1);
  modReduceFinal(k2);
  tauNafRecode(k1, digits1);
  tauNafRecode(k2, digits2);
  WindowCursor cursors[2] = {windowCursorStart(digits1, table1, kWidth),
                             windowCursorStart(digits2, table2, kWidth)};
  tauWindowEvaluate(2, cursors, out, nullptr);
}

}  // namespace otawrap
