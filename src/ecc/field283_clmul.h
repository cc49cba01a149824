// GF(2^283) multiplication and squaring on PCLMULQDQ: the same limbs as
// field283MultiplyPortable and field283SquarePortable; the caller checks
// cpuFeatures().pclmul first. Builds without the hardware paths compile the
// portable routines under these names.
#pragma once

#include "ecc/field283.h"

namespace otawrap {

void field283MultiplyClmul(const Field283& a, const Field283& b, Field283& out);
void field283SquareClmul(const Field283& a, Field283& out);
// count squarings in a row.
void field283SquareTimesClmul(const Field283& a, int count, Field283& out);

}  // namespace otawrap
