// The wrap corrections behind modAdd and modSub and the Montgomery
// multiplication behind modInvert, open to the tests. Nothing else in the
// program calls them.
#pragma once

#include <array>
#include <cstdint>

#include "ecc/modn.h"

namespace otawrap {

// x held the wanted residue plus 2^176 (a subtraction wrapped): x becomes a
// loose representative of that residue. In place.
void modFixBorrow(ModNumber& x);
// x held the wanted residue minus 2^176 (an addition wrapped): x becomes a
// loose representative of that residue. In place.
void modFixCarry(ModNumber& x);

// A number below 2^192 in three 64-bit limbs, least significant first.
using ModLimbs = std::array<std::uint64_t, 3>;

// groupOrder in limbs.
inline constexpr ModLimbs kOrderLimbs = [] {
  ModLimbs r{};
  for (int k = 0; k < kWordCount; ++k) {
    r[k / 4] |= static_cast<std::uint64_t>(groupOrder[k]) << (16 * (k % 4));
  }
  return r;
}();

// -n^-1 mod 2^64 (Newton's iteration x = x(2 - n x) doubles the correct low
// bits; n is odd, so x = n is right to 3 bits and five steps give 96).
inline constexpr std::uint64_t kMontgomeryFactor = [] {
  std::uint64_t x = kOrderLimbs[0];
  for (int i = 0; i < 5; ++i) {
    x *= 2u - kOrderLimbs[0] * x;
  }
  return 0u - x;
}();

// R^2 mod n with R = 2^192: 1 doubled 384 times, subtracting n whenever the
// value reaches n (values stay below 2n < 2^164, so no limb overflows).
inline constexpr ModLimbs kMontgomeryRSquared = [] {
  ModLimbs x{1, 0, 0};
  for (int i = 0; i < 384; ++i) {
    x = ModLimbs{x[0] << 1, (x[1] << 1) | (x[0] >> 63), (x[2] << 1) | (x[1] >> 63)};
    bool atLeastN = true;
    for (int k = 2; k >= 0; --k) {
      if (x[k] != kOrderLimbs[k]) {
        atLeastN = x[k] > kOrderLimbs[k];
        break;
      }
    }
    if (atLeastN) {
      std::uint64_t borrow = 0;
      for (int k = 0; k < 3; ++k) {
        const std::uint64_t d = x[k] - kOrderLimbs[k] - borrow;
        borrow = (x[k] < kOrderLimbs[k] || (x[k] == kOrderLimbs[k] && borrow != 0)) ? 1u : 0u;
        x[k] = d;
      }
    }
  }
  return x;
}();

// out = a * b * R^-1 mod n, below 2n, for a and b below 2n (R = 2^192 > 4n).
// out may alias a or b. The same operations for every input.
void modMontgomeryMultiply(const ModLimbs& a, const ModLimbs& b, ModLimbs& out);

}  // namespace otawrap
