// Slow, obvious arithmetic for the differential fuzz target: polynomials over
// GF(2) one bit at a time, and unsigned integers as schoolbook 16-bit digits
// reduced by binary long division. Nothing here shares code with src/ecc.
#pragma once

#include <array>
#include <cstdint>

#include "ecc/words.h"

namespace otawrap::fuzz {

// a*b mod f(x) = x^163 + x^7 + x^6 + x^3 + 1, canonical: bit-by-bit product of
// the two 176-bit polynomials, then every term of degree 163 or more folded
// down from the top.
Words referenceFieldMultiply(const Words& a, const Words& b);
// a mod f, canonical.
Words referenceFieldReduce(const Words& a);

// The exact 352-bit product of two 176-bit integers.
WideWords referenceIntegerMultiply(const Words& a, const Words& b);
// wide mod n (the order of sect163k1's base point), by shifting in one bit at
// a time and subtracting n whenever the remainder reaches it.
Words referenceModReduce(const WideWords& wide);
// a mod n.
Words referenceModReduce(const Words& a);

}  // namespace otawrap::fuzz
