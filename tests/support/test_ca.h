// A certificate authority of our own for implicit certificates (SEC 4, ECQV)
// in the 48-octet ZigBee layout, written with OpenSSL BIGNUM and EC_POINT
// arithmetic and the OpenSSL-based AES-MMO. Test keys only: every key comes
// from a seeded generator and protects nothing.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "ecc/point.h"
#include "support/openssl_ecdsa.h"

namespace otawrap::test {

struct IssuedCredentials {
  std::array<std::uint8_t, 8> subject;       // IEEE address, most significant first
  std::array<std::uint8_t, 48> certificate;  // P || subject || issuer || profile
  Octets21 privateKey;                       // d = e*kU + r mod n
  AffinePoint publicKey;                     // d*G, computed by OpenSSL
};

class TestCertificateAuthority {
 public:
  // CA private key and issuer address drawn from std::mt19937(seed).
  explicit TestCertificateAuthority(std::uint32_t seed);

  const Octets21& privateKey() const { return privateKey_; }
  const AffinePoint& publicKey() const { return publicKey_; }
  // 02/03 || x, 22 octets.
  std::vector<std::uint8_t> publicKeyCompressed() const;

  // Issues credentials for subject: the requester's kU and the CA's k are
  // drawn from the CA's generator; P = kU*G + k*G, e = MMO(certificate),
  // r = e*k + dCA, d = e*kU + r (all mod n).
  IssuedCredentials issue(const std::array<std::uint8_t, 8>& subject);

 private:
  std::mt19937 rng_;
  Octets21 privateKey_;
  AffinePoint publicKey_;
  std::array<std::uint8_t, 8> issuer_;
};

}  // namespace otawrap::test
