// OpenSSL as an independent oracle for ECDSA over sect163k1 (test-only).
// Keys, digests, nonces, r and s are big-endian octet strings.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace otawrap::test {

using Octets21 = std::array<std::uint8_t, 21>;

// Verifies (r, s) over the digest (any length, read whole as a big-endian
// integer e) with the public key d*G, computed by OpenSSL from the private key.
bool sslEcdsaVerify(const std::vector<std::uint8_t>& digest, const Octets21& r, const Octets21& s,
                    const Octets21& privateKey);

// The textbook signature for a given nonce k: r = x(kG) mod n and
// s = k^-1 (e + d r) mod n, all computed with OpenSSL BIGNUM and EC_POINT_mul.
void sslEcdsaSignWithNonce(const std::vector<std::uint8_t>& digest, const Octets21& privateKey,
                           const Octets21& k, Octets21& r, Octets21& s);

// k = (R + 0xFFFF * 2^336) mod n for 40 little-endian random octets R.
Octets21 sslNonceFromRandom(const std::array<std::uint8_t, 40>& random40);

// value mod n as 21 octets, for a big-endian octet string of any length.
Octets21 sslReduceModOrder(const std::vector<std::uint8_t>& value);

}  // namespace otawrap::test
