// OpenSSL as an independent oracle for sect283k1 (NID_sect283k1): field
// arithmetic (BN_GF2m), points, and ECDSA on raw digests. Test-only; no
// GoogleTest, failures throw. Affine points are canonical; the point at
// infinity is (0, 0).
#pragma once

#include <cstdint>
#include <vector>

#include "ecc/order283.h"
#include "ecc/point283.h"

namespace otawrap::test {

using Bytes283 = std::vector<std::uint8_t>;

Field283 sslField283Multiply(const Field283& a, const Field283& b);
Field283 sslField283Invert(const Field283& a);
// k*G and k*P for any k below 2^320 (reduced mod n by OpenSSL).
Affine283 sslMultiplyGenerator283(const Limbs<5>& k);
Affine283 sslMultiplyPoint283(const Limbs<5>& k, const Affine283& P);
Affine283 sslPointAdd283(const Affine283& P, const Affine283& Q);
bool sslIsOnCurve283(const Affine283& P);
Limbs<5> sslOrder283();
Affine283 sslGenerator283();
// a*b mod n and a^-1 mod n by BIGNUM.
Limbs<5> sslModMultiply283(const Limbs<5>& a, const Limbs<5>& b);
Limbs<5> sslModInvert283(const Limbs<5>& a);
// ECDSA over sect283k1 on a raw digest: r || s (36 octets each) with a random
// nonce; and verification of r || s under a public point.
Bytes283 sslSign283(const Limbs<5>& privateKey, const std::uint8_t* digest, std::size_t length);
bool sslVerify283(const Affine283& publicKey, const std::uint8_t* digest, std::size_t length,
                  const std::uint8_t r[36], const std::uint8_t s[36]);
// A fresh random key pair from OpenSSL's generator.
void sslGenerateKey283(Limbs<5>& privateKey, Affine283& publicKey);

// Deterministic random field elements and scalars (below 2^283 and below n).
class Source283 {
 public:
  explicit Source283(std::uint64_t seed) : state_(seed) {}
  Field283 element();
  Limbs<5> scalar();

 private:
  std::uint64_t next();
  std::uint64_t state_;
};

}  // namespace otawrap::test
