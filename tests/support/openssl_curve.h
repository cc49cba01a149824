// OpenSSL as an independent oracle for points of sect163k1 (NID_sect163k1).
// Test-only. Affine points are returned canonical; the point at infinity as (0, 0).
#pragma once

#include "ecc/point.h"

namespace otawrap::test {

// k*G for any 176-bit k (reduced mod n by OpenSSL's arithmetic).
AffinePoint sslMultiplyGenerator(const Words& k);
// k*P for a finite point P of the curve.
AffinePoint sslMultiplyPoint(const Words& k, const AffinePoint& P);
// P + Q (either may be (0, 0) for infinity).
AffinePoint sslPointAdd(const AffinePoint& P, const AffinePoint& Q);
// (a + b*tau)G = aG + b*tau(G) with tau(x, y) = (x^2, y^2); a, b signed.
AffinePoint sslTauCombination(long a, long b);
// True when (x, y) satisfies y^2 + xy = x^3 + x^2 + 1.
bool sslIsOnCurve(const AffinePoint& P);
// The generator and the group order as published for sect163k1.
AffinePoint sslGenerator();
Words sslGroupOrder();

}  // namespace otawrap::test
