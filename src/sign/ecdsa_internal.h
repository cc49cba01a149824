// The steps of the signer, open to the tests: the nonce step, the signature
// once the random octets are known, and the inverse of the nonce step. Nothing
// outside sign/ecdsa.cpp calls them.
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "ecc/scalar_mult.h"
#include "ecc/words.h"

namespace otawrap {

// The nonce step: k = (R + 0xFFFF * 2^336) mod n, canonical, from the 40
// octets R (little-endian), and pointOut = kG. Returns 0.
int ecdsaEphemeralKey(const std::uint8_t random40[40], ModNumber& kOut, AffinePoint& pointOut,
                      const YieldControl* yieldControl);

// The signature computation behind ecdsaSign once the 40 random octets are
// known; all pointers valid. Returns 0.
int ecdsaSignWithRandom(const std::uint8_t privateKey[21], const std::uint8_t digest[16],
                        const std::uint8_t random40[40], std::uint8_t rOut[21],
                        std::uint8_t sOut[21], const YieldControl* yieldControl);

// The 40 random octets that make the signer's reduction yield exactly the
// nonce k (0 < k < n, 21 big-endian octets): R = (k - 0xFFFF * 2^336) mod n,
// little-endian, zero-padded.
void ecdsaRandomForNonce(const std::uint8_t k[21], std::uint8_t random40[40]);

}  // namespace otawrap
