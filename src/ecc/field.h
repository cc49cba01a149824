// Arithmetic in GF(2^163), polynomial basis, modulo f(x) = x^163 + x^7 + x^6 + x^3 + 1
// (the field of sect163k1).
//
// A FieldElement is 11 words, least significant first; bit i of word k is the
// coefficient of x^(16k+i). Values may be held partially reduced (any 176-bit
// value stands for its residue mod f); every operation accepts that form. Only
// fieldReduceFinal, fieldInvert, fieldIsZero and fieldEqual produce or test the
// canonical form (degree below 163, word 10 at most 7).
//
// Nothing here allocates, fails (except the documented inversion status), or
// touches state beyond its arguments and the two constants below; multiply and
// square also read cpuFeatures() to pick between two paths that leave the same
// words.
#pragma once

#include <array>
#include <cstdint>

#include "ecc/words.h"

namespace otawrap {

// Status of fieldInvert when the input is congruent to zero.
inline constexpr int kNoInverse = 0xFB01;

// f itself: bits 0, 3, 6, 7 and 163.
inline constexpr FieldElement fieldPolynomial = {0x00C9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0008};

// Entry b holds bit j of b at bit 2j (odd bits zero): squaring spreads bits.
inline constexpr std::array<std::uint16_t, 256> squareSpreadTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    unsigned spread = 0;
    for (unsigned j = 0; j < 8; ++j) {
      spread |= ((b >> j) & 1u) << (2 * j);
    }
    table[b] = static_cast<std::uint16_t>(spread);
  }
  return table;
}();

// out = a + b (word-wise XOR). out may alias a or b. Keeps whatever form the XOR has.
void fieldAdd(const FieldElement& a, const FieldElement& b, FieldElement& out);

// out = a*b mod f, partially reduced. out may alias a or b (written only at the end).
// Runs fieldMultiplyClmul (field_clmul.h) when cpuFeatures().pclmul holds, else
// fieldMultiplyPortable; both leave the same words.
void fieldMultiply(const FieldElement& a, const FieldElement& b, FieldElement& out);

// fieldMultiply by a comb over 16-bit words, whatever the processor.
void fieldMultiplyPortable(const FieldElement& a, const FieldElement& b, FieldElement& out);

// out = a^2 mod f, partially reduced: the same words as fieldMultiply(a, a, out).
// out may alias a. Carry-less or portable as fieldMultiply.
void fieldSquare(const FieldElement& a, FieldElement& out);

// fieldSquare by a table that spreads bits, whatever the processor.
void fieldSquarePortable(const FieldElement& a, FieldElement& out);

// out = wide mod f, partially reduced. wide is used as scratch and left changed;
// out is written after all folds, so it may be the low half of wide.
void fieldReduceWide(WideWords& wide, FieldElement& out);

// a = a mod f in canonical form, in place.
void fieldReduceFinal(FieldElement& a);

// out = a^(2^count) mod f, partially reduced: the words of count fieldSquare
// calls in a row (a itself when count is 0). count >= 0; out may alias a.
void fieldSquareTimes(const FieldElement& a, int count, FieldElement& out);

// fieldSquareTimes on fieldSquarePortable, whatever the processor.
void fieldSquareTimesPortable(const FieldElement& a, int count, FieldElement& out);

// out = a^-1 mod f in canonical form and returns 0; returns kNoInverse and leaves
// out untouched when a is congruent to 0. out may alias a. A fixed chain of
// fieldSquareTimes and fieldMultiply (Itoh-Tsujii), so apart from the zero test
// the work does not depend on a; carry-less or portable as fieldMultiply.
int fieldInvert(const FieldElement& a, FieldElement& out);

// fieldInvert on the portable square and multiply, whatever the processor.
int fieldInvertPortable(const FieldElement& a, FieldElement& out);

// 1 if a is congruent to 0, else 0. Leaves a in canonical form (same residue).
int fieldIsZero(FieldElement& a);

// 1 if a and b are congruent mod f, else 0. Neither input changes.
int fieldEqual(const FieldElement& a, const FieldElement& b);

}  // namespace otawrap
