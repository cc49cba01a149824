// Slow, obviously correct reference arithmetic for GF(2^163) and sect163k1,
// written bit by bit for cross-checking the word-oriented code.
#pragma once

#include <ostream>

#include "ecc/field283.h"
#include "ecc/point.h"

namespace otawrap {

// Word-for-word equality and readable printing of affine points in test output.
bool operator==(const AffinePoint& a, const AffinePoint& b);
bool operator!=(const AffinePoint& a, const AffinePoint& b);
void PrintTo(const AffinePoint& p, std::ostream* out);

}  // namespace otawrap

namespace otawrap::test {

// a*b mod f by shift-and-add over single bits, reduced bit by bit from the top.
FieldElement slowFieldMultiply(const FieldElement& a, const FieldElement& b);
// a mod f, canonical, reduced bit by bit.
FieldElement slowFieldReduce(const FieldElement& a);
// a^-1 mod f by the textbook polynomial extended Euclid. a must be nonzero mod f.
FieldElement slowFieldInvert(const FieldElement& a);

// Textbook affine group law on y^2 + xy = x^3 + x^2 + 1; (0, 0) is infinity.
// Inputs are canonical affine points (or (0, 0)).
AffinePoint slowPointAdd(const AffinePoint& P, const AffinePoint& Q);
AffinePoint slowPointDouble(const AffinePoint& P);
AffinePoint slowPointNegate(const AffinePoint& P);
// k*P by left-to-right double-and-add over the 176 bits of k.
AffinePoint slowPointMultiply(const Words& k, const AffinePoint& P);
bool slowIsOnCurve(const AffinePoint& P);

// GF(2^283): a*b mod x^283 + x^12 + x^7 + x^5 + 1, shift-and-add over single
// bits, reduced bit by bit from the top.
Field283 slowField283Multiply(const Field283& a, const Field283& b);

}  // namespace otawrap::test
