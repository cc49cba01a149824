// Arithmetic in GF(2^283), polynomial basis, modulo f(x) = x^283 + x^12 + x^7 +
// x^5 + 1 (the field of sect283k1, SEC 2 section 3.4.1).
//
// A Field283 is five 64-bit limbs, least significant first; bit i of limb k is
// the coefficient of x^(64k+i). Elements are canonical (degree below 283, limb
// 4 below 2^27): every routine takes and gives that form. Multiply, square and
// the routines built on them run a PCLMULQDQ path when cpuFeatures().pclmul
// holds and a portable one otherwise, with the same limbs. Nothing here
// allocates or fails, except the documented statuses; apart from them every
// routine runs the same operations whatever the values.
#pragma once

#include <cstdint>

#include "ecc/binary_field.h"

namespace otawrap {

using Field283Polynomial = Pentanomial<283, 5, 7, 12>;
using Field283 = Limbs<5>;

// Status of field283Invert when the input is zero (as fieldInvert's).
inline constexpr int kField283NoInverse = 0xFB01;

// out = a + b. out may alias a or b.
void field283Add(const Field283& a, const Field283& b, Field283& out);
// out = a*b. out may alias a or b.
void field283Multiply(const Field283& a, const Field283& b, Field283& out);
void field283MultiplyPortable(const Field283& a, const Field283& b, Field283& out);
// out = a^2. out may alias a.
void field283Square(const Field283& a, Field283& out);
void field283SquarePortable(const Field283& a, Field283& out);
// out = a^(2^count), count >= 0. out may alias a.
void field283SquareTimes(const Field283& a, int count, Field283& out);
// out = a^-1 and returns 0; returns kField283NoInverse, out untouched, for a = 0.
// Itoh-Tsujii along 1, 2, 4, ..., 256, 272, 280, 282: 11 multiplications and
// 282 squarings. out may alias a.
int field283Invert(const Field283& a, Field283& out);
int field283InvertPortable(const Field283& a, Field283& out);
// z with z^2 + z = beta and returns 1, when one exists (trace of beta zero);
// else returns 0 with z = the half-trace of beta. The other solution is z + 1.
int field283SolveQuadratic(const Field283& beta, Field283& z);
// 1 if a == b, else 0.
int field283Equal(const Field283& a, const Field283& b);
// 1 if a is below 2^283 (a canonical element), else 0.
int field283IsCanonical(const Field283& a);

}  // namespace otawrap
