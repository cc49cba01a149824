// ECDSA over sect283k1: s = k^-1 (e + r d) mod n with r = x(kG) mod n.
#include "sign/ecdsa283.h"

#include "ecc/order283.h"
#include "ecc/scalar_mult283.h"
#include "sign/rfc6979.h"
#include "sign/secure_wipe.h"

namespace otawrap {

namespace {

constexpr std::array<std::uint8_t, kScalar283Octets> orderOctets() {
  std::array<std::uint8_t, kScalar283Octets> octets{};
  limbsToOctets(sect283k1Order, octets.size(), octets.data());
  return octets;
}

// n as 36 big-endian octets, 281 bits.
constexpr std::array<std::uint8_t, kScalar283Octets> kOrderOctets = orderOctets();
constexpr NonceOrder kNonceOrder{kOrderOctets.data(), kOrderOctets.size(), 281};

// x(P) read as an integer (below 2^283), mod n.
void coordinateModOrder(const Field283& x, Scalar283& out) {
  std::uint8_t octets[kScalar283Octets];
  limbsToOctets(x, sizeof octets, octets);
  scalar283FromOctets(octets, sizeof octets, out);
}

}  // namespace

EcdsaStatus ecdsa283Sign(const std::uint8_t privateKey[kScalar283Octets],
                         const std::uint8_t digest[kEcdsaDigestOctets],
                         std::uint8_t rOut[kScalar283Octets], std::uint8_t sOut[kScalar283Octets]) {
  Scalar283 d;
  scalar283FromOctets(privateKey, kScalar283Octets, d);
  if (limbsIsZero(d) != 0) {
    return EcdsaStatus::keyIsZero;
  }
  std::uint8_t x[kScalar283Octets];
  limbsToOctets(d, sizeof x, x);
  std::uint8_t kOctets[kScalar283Octets];
  rfc6979NonceFor(kNonceOrder, x, digest, kOctets);
  Scalar283 k;
  limbsFromOctets(kOctets, sizeof kOctets, k);

  Affine283 R;
  sect283k1MultiplyBase(k, R);
  Scalar283 r;
  coordinateModOrder(R.x, r);
  // r = 0 or s = 0 happen with probability about 2^-281 and are not retried.
  Scalar283 e;
  scalar283FromOctets(digest, kEcdsaDigestOctets, e);
  Scalar283 s;
  scalar283Multiply(r, d, s);
  scalar283Add(s, e, s);
  scalar283Invert(k, k);  // k is in [1, n-1]
  scalar283Multiply(s, k, s);

  limbsToOctets(r, kScalar283Octets, rOut);
  limbsToOctets(s, kScalar283Octets, sOut);

  secureWipe(d.data(), sizeof d);
  secureWipe(x, sizeof x);
  secureWipe(kOctets, sizeof kOctets);
  secureWipe(k.data(), sizeof k);
  secureWipe(s.data(), sizeof s);
  secureWipe(&R, sizeof R);
  return EcdsaStatus::ok;
}

EcdsaStatus ecdsa283PublicKey(const std::uint8_t privateKey[kScalar283Octets],
                              Affine283& publicKeyOut) {
  Scalar283 d;
  scalar283FromOctets(privateKey, kScalar283Octets, d);
  if (limbsIsZero(d) != 0) {
    return EcdsaStatus::keyIsZero;
  }
  sect283k1MultiplyBase(d, publicKeyOut);
  secureWipe(d.data(), sizeof d);
  return EcdsaStatus::ok;
}

int ecdsa283Verify(const Affine283& publicKey, const std::uint8_t digest[kEcdsaDigestOctets],
                   const std::uint8_t r[kScalar283Octets], const std::uint8_t s[kScalar283Octets]) {
  Scalar283 rValue;
  Scalar283 w;
  limbsFromOctets(r, kScalar283Octets, rValue);
  limbsFromOctets(s, kScalar283Octets, w);
  if (scalar283InRange(rValue) == 0 || scalar283InRange(w) == 0) {
    return 0;
  }
  Scalar283 e;
  scalar283FromOctets(digest, kEcdsaDigestOctets, e);
  scalar283Invert(w, w);
  Scalar283 u1;
  Scalar283 u2;
  scalar283Multiply(e, w, u1);
  scalar283Multiply(rValue, w, u2);
  Affine283 sum;
  if (sect283k1MultiplyCombined(u1, u2, publicKey, sum) == 0) {
    return 0;
  }
  Scalar283 v;
  coordinateModOrder(sum.x, v);
  return v == rValue ? 1 : 0;
}

}  // namespace otawrap
