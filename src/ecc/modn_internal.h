// The wrap corrections behind modAdd and modSub and the Montgomery
// multiplication behind modInvert, open to the tests. Nothing else in the
// program calls them.
#pragma once

#include <array>
#include <cstdint>

#include "ecc/modn.h"
#include "ecc/montgomery.h"

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
inline constexpr ModLimbs kOrderLimbs = wordsToLimbs(groupOrder);

// The Montgomery constants of n (ecc/montgomery.h): R = 2^192.
inline constexpr MontgomeryOrder<3> kOrderMontgomery = montgomeryOrder<3>(kOrderLimbs);
// -n^-1 mod 2^64.
inline constexpr std::uint64_t kMontgomeryFactor = kOrderMontgomery.factor;
// R^2 mod n.
inline constexpr ModLimbs kMontgomeryRSquared = kOrderMontgomery.rSquared;

// out = a * b * R^-1 mod n, below 2n, for a and b below 2n (R = 2^192 > 4n).
// out may alias a or b. The same operations for every input.
void modMontgomeryMultiply(const ModLimbs& a, const ModLimbs& b, ModLimbs& out);

}  // namespace otawrap
