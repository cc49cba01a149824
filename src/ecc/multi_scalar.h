// k1*P1 + k2*P2 in one tau-adic window evaluation: both scalars are recoded
// into tauNAF digits and walked by two cursors that add into one running sum,
// so the pair costs one Frobenius chain instead of two.
//
// Nothing here allocates or fails.
#pragma once

#include "ecc/point.h"
#include "ecc/words.h"

namespace otawrap {

// out = k1*P1 + k2*P2 with canonical coordinates; the point at infinity is
// written as (0, 0). table1 and table2 are entry 0 of width-5 window tables
// (basePointEntry0 for G, or entry 0 of a pointTableBuild table); P1 and P2
// must have order n. k1 and k2 are reduced in place to their canonical
// residues mod n first; they may be the same array.
void scalarMultiplyCombined(AffinePoint& out, ModNumber& k1, const AffinePoint* table1,
                            ModNumber& k2, const AffinePoint* table2);

}  // namespace otawrap
