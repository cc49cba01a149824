// OpenSSL as an independent oracle for public points and ECDSA verification
// over sect163k1 (test-only). Points are returned canonical, infinity as (0, 0);
// octet strings are big-endian.
#pragma once

#include <cstdint>
#include <vector>

#include "ecc/point.h"
#include "support/openssl_ecdsa.h"

namespace otawrap::test {

// u1*G + u2*Q by EC_POINT_mul(group, R, u1, Q, u2, ctx); u1, u2 any 176-bit values.
AffinePoint sslMultiplyCombined(const Words& u1, const AffinePoint& Q, const Words& u2);
// k*P with k taken as it is (not reduced mod n), for order checks.
AffinePoint sslMultiplyUnreduced(const Words& k, const AffinePoint& P);
// EC_POINT_oct2point: false when OpenSSL refuses the octets.
bool sslPointDecode(const std::vector<std::uint8_t>& octets, AffinePoint& out);
// EC_POINT_point2oct of a finite point, compressed or uncompressed.
std::vector<std::uint8_t> sslPointEncode(const AffinePoint& P, bool compressed);
// EC_POINT_set_compressed_coordinates(x, yBit): false when x has no point.
bool sslSetCompressed(const FieldElement& x, int yBit, AffinePoint& out);
// d*G for a private key (used mod n).
AffinePoint sslPublicKey(const Octets21& privateKey);
// ECDSA_do_sign_ex with the nonce k (0 < k < n) fixed through its precomputed
// k^-1 and r, so signatures are reproducible.
void sslEcdsaSign(const std::vector<std::uint8_t>& digest, const Octets21& privateKey,
                  const Octets21& k, Octets21& r, Octets21& s);
// ECDSA_do_sign with OpenSSL's own random nonce (not reproducible; use it only
// where any valid signature will do).
void sslEcdsaSignRandomNonce(const std::vector<std::uint8_t>& digest, const Octets21& privateKey,
                             Octets21& r, Octets21& s);
// ECDSA_do_verify with the public key Q. r and s may be any 21 octets.
bool sslEcdsaVerifyPoint(const std::vector<std::uint8_t>& digest, const Octets21& r,
                         const Octets21& s, const AffinePoint& Q);

}  // namespace otawrap::test
