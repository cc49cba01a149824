// Arithmetic modulo n, the order of the sect283k1 base point, in five 64-bit
// limbs over the Montgomery multiplication of ecc/montgomery.h (R = 2^320).
//
// A Scalar283 is canonical when it lies in [0, n); every routine here gives
// canonical results and, unless stated otherwise, takes canonical inputs. The
// same operations run whatever the values. Nothing allocates or fails beyond
// the documented status.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecc/montgomery.h"
#include "ecc/point283.h"

namespace otawrap {

using Scalar283 = Limbs<5>;

inline constexpr MontgomeryOrder<5> kOrder283Montgomery = montgomeryOrder<5>(sect283k1Order);

// Status of scalar283Invert for zero (as modInvert's).
inline constexpr int kScalar283NoInverse = 0xFB01;

// out = the big-endian integer octets[0..length-1] mod n; length at most 40.
void scalar283FromOctets(const std::uint8_t* octets, std::size_t length, Scalar283& out);
// out = a + b mod n. out may alias a or b.
void scalar283Add(const Scalar283& a, const Scalar283& b, Scalar283& out);
// out = a * b mod n. out may alias a or b.
void scalar283Multiply(const Scalar283& a, const Scalar283& b, Scalar283& out);
// out = a^-1 mod n and returns 0; returns kScalar283NoInverse (out untouched)
// for a = 0. Fermat's a^(n-2). out may alias a.
int scalar283Invert(const Scalar283& a, Scalar283& out);
// 1 if 1 <= a <= n - 1, else 0 (a any value below 2^320).
int scalar283InRange(const Scalar283& a);

}  // namespace otawrap
