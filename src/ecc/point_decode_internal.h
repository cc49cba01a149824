// The steps of pointDecode, open to the tests: half-trace, decompression, the
// curve and order checks. Nothing outside ecc/point_decode.cpp calls them.
#pragma once

#include "ecc/point.h"

namespace otawrap {

// out = sum of a^(4^i) for i = 0..81, the half-trace: out^2 + out = a + Tr(a),
// where Tr(a) = a + a^2 + ... + a^(2^162) is 0 or 1. Partially reduced; out
// may alias a.
void fieldHalfTrace(const FieldElement& a, FieldElement& out);

// y with y^2 + xy = x^3 + x^2 + 1 whose y/x has bit 0 equal to parity (0 or
// 1), canonical; for x = 0, y = 1 whatever the parity. Returns 1, or 0 with y
// untouched when x has no point. y must not overlap x.
int pointDecompress(const FieldElement& x, int parity, FieldElement& y);

// 1 if (x, y) satisfies y^2 + xy = x^3 + x^2 + 1, else 0. Accepts partially
// reduced coordinates; never true for (0, 0).
int pointIsOnCurve(const AffinePoint& P);

// 1 if n*P is the point at infinity, else 0 (double-and-add over the bits of
// n - 1, compared with -P). P must be a finite point on the curve; the point
// (0, 1) of order 2 gives 0.
int pointHasGroupOrder(const AffinePoint& P);

}  // namespace otawrap
