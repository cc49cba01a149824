// kG by the regular tau-adic digits; kP by four-bit windows with odd signed
// digits; k1*G + k2*P by tau-adic windows.
#include "ecc/scalar_mult283.h"

#include "ecc/tau_table283.h"
#include "ecc/tnaf283.h"

namespace otawrap {

namespace {

constexpr std::size_t kWindows = 71;
constexpr std::size_t kTopWindow = kWindows - 1;
constexpr std::size_t kOddDigits = 8;

// A window's digit: entry index j (|d| = 2j + 1) and sign mask (all ones when
// d is negative).
struct Digit {
  unsigned index;
  Limb negative;
};

// Bits 4i..4i+4 of k (limbs may be crossed), no branches on k.
unsigned windowBits(const Scalar283& k, std::size_t i) {
  const std::size_t bit = 4 * i;
  const std::size_t limb = bit / 64;
  const unsigned shift = bit % 64;
  Limb v = k[limb] >> shift;
  if (shift > 59 && limb + 1 < k.size()) {
    v |= k[limb + 1] << (64 - shift);
  }
  return static_cast<unsigned>(v & 31u);
}

// Digit i of the odd k; flip (all ones or zero) flips its sign.
Digit digitAt(const Scalar283& k, std::size_t i, Limb flip) {
  if (i == kTopWindow) {
    const unsigned top = windowBits(k, i) | 1u;  // at most 7 for k below 2^283
    return Digit{top >> 1, flip};
  }
  const unsigned u = windowBits(k, i) | 1u;
  const unsigned negative = (u >> 4) ^ 1u;
  const unsigned v = u & 15u;
  return Digit{(v ^ (15u & (0u - negative))) >> 1, (0u - static_cast<Limb>(negative)) ^ flip};
}

// k itself when odd, else n - k, and the matching sign flip. Constant time.
Scalar283 oddScalar(const Scalar283& k, Limb& flip) {
  Scalar283 negated;
  limbsSub(sect283k1Order, k, negated);
  flip = (k[0] & 1u) - 1u;
  Scalar283 odd;
  limbsSelect(flip, k, negated, odd);
  return odd;
}

// The entry of a regular digit (slot | 8 * negative), by scanning all eight
// slots under masks.
Affine283 regularEntry(std::uint8_t digit) {
  const unsigned slot = digit & 7u;
  Affine283 entry{};
  for (unsigned s = 0; s < kTau283RegularSlots; ++s) {
    const Limb mask = 0u - ((static_cast<Limb>(s ^ slot) - 1u) >> 63);
    const Affine283& candidate = sect283k1TauTable[kTau283RegularEntry[s]];
    for (std::size_t k = 0; k < entry.x.size(); ++k) {
      entry.x[k] |= candidate.x[k] & mask;
      entry.y[k] |= candidate.y[k] & mask;
    }
  }
  affineConditionalNegate(entry, 0u - static_cast<Limb>(digit >> 3));
  return entry;
}

// table[j] = (2j + 1)P, affine: 2P, then seven sums in projective form made
// affine with one shared inversion.
void oddMultiples(const Affine283& P, Affine283 table[kOddDigits]) {
  Ld283 doubled;
  ldDouble(ldFromAffine(P), doubled);
  Affine283 twice;
  ldToAffine(doubled, twice);
  Ld283 sums[kOddDigits];
  sums[0] = ldFromAffine(P);
  for (std::size_t j = 1; j < kOddDigits; ++j) {
    ldAddMixed(sums[j - 1], twice, sums[j]);
  }
  ldBatchToAffine(sums + 1, table + 1, kOddDigits - 1);
  table[0] = P;
}

// acc = k*P by the windows from the top, four doublings between them.
void variableWindows(const Scalar283& k, const Affine283& P, Ld283& acc) {
  Affine283 table[kOddDigits];
  oddMultiples(P, table);
  Limb flip = 0;
  const Scalar283 odd = oddScalar(k, flip);
  Digit d = digitAt(odd, kTopWindow, flip);
  Affine283 entry = table[d.index];
  affineConditionalNegate(entry, d.negative);
  acc = ldFromAffine(entry);
  for (std::size_t i = kTopWindow; i-- > 0;) {
    for (int s = 0; s < 4; ++s) {
      ldDouble(acc, acc);
    }
    d = digitAt(odd, i, flip);
    entry = table[d.index];
    affineConditionalNegate(entry, d.negative);
    ldAddMixed(acc, entry, acc);
  }
}

// 1 and out = acc in affine form, or 0 when acc is the point at infinity.
int finish(const Ld283& acc, Affine283& out) {
  if (limbsIsZero(acc.Z) != 0) {
    return 0;
  }
  ldToAffine(acc, out);
  return 1;
}

}  // namespace

int sect283k1MultiplyBase(const Scalar283& k, Affine283& out) {
  Tau283RegularDigits digits;
  tau283RegularRecode(k, digits);
  Ld283 acc = ldFromAffine(regularEntry(digits[kTau283RegularDigits - 1]));
  for (std::size_t i = kTau283RegularDigits - 1; i-- > 0;) {
    field283SquareTimes(acc.X, 4, acc.X);
    field283SquareTimes(acc.Y, 4, acc.Y);
    field283SquareTimes(acc.Z, 4, acc.Z);
    ldAddMixed(acc, regularEntry(digits[i]), acc);
  }
  return finish(acc, out);
}

int sect283k1MultiplyPoint(const Scalar283& k, const Affine283& P, Affine283& out) {
  Ld283 acc;
  variableWindows(k, P, acc);
  return finish(acc, out);
}

int sect283k1MultiplyCombined(const Scalar283& k1, const Scalar283& k2, const Affine283& P,
                              Affine283& out) {
  Affine283 table[kTau283Entries];
  tau283TableBuild(P, table);
  return tau283MultiplyCombined(k1, sect283k1TauTable, k2, table, out);
}

}  // namespace otawrap
