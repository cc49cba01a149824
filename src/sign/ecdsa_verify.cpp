// u1*G + u2*Q with the fixed G table and a table built for Q at each call.
#include "sign/ecdsa_verify.h"

#include "ecc/base_point_table.h"
#include "ecc/modn.h"
#include "ecc/multi_scalar.h"
#include "ecc/point_table.h"
#include "ecc/scalar_mult.h"
#include "sign/ecdsa.h"
#include "sign/secure_wipe.h"

namespace otawrap {

namespace {


// value = the octets as an integer; 1 if 1 <= value <= n - 1, else 0.
int scalarReadInRange(const std::uint8_t octets[21], ModNumber& value) {
  octetsToWords(kScalarOctets, octets, kWordCount, value.data());
  return (wordsIsZero(value.data(), kWordCount) == 0 && wordsCompare(value, groupOrder) < 0) ? 1 : 0;
}

}  // namespace

int ecdsaVerify(const AffinePoint& publicKey, const std::uint8_t digest[16], const std::uint8_t r[21],
                const std::uint8_t s[21]) {
  ModNumber rValue;
  ModNumber w;
  if (scalarReadInRange(r, rValue) == 0 || scalarReadInRange(s, w) == 0) {
    return 0;
  }
  ModNumber e;
  octetsToWords(kEcdsaDigestOctets, digest, kWordCount, e.data());

  modInvert(w, w);  // s is a unit: 1 <= s < n and n is prime
  ModNumber u1;
  ModNumber u2;
  modMultiply(e, w, u1);
  modMultiply(rValue, w, u2);

  AffinePoint table[11];
  pointTableBuild(publicKey, table);
  AffinePoint sum;
  scalarMultiplyCombined(sum, u1, basePointEntry0, u2, &table[5]);
  if (wordsIsZero(sum.x.data(), kWordCount) != 0) {
    return 0;  // infinity; no point of order n has x = 0
  }
  ModNumber v;
  wordsCopy(sum.x, v);
  modReduceFinal(v);
  return wordsCompare(v, rValue) == 0 ? 1 : 0;
}

EcdsaStatus ecdsaPublicKey(const std::uint8_t privateKey[21], AffinePoint& publicKeyOut) {
  ModNumber d;
  octetsToWords(kScalarOctets, privateKey, kWordCount, d.data());
  modReduceFinal(d);
  if (wordsIsZero(d.data(), kWordCount) != 0) {
    return EcdsaStatus::keyIsZero;
  }
  scalarMultiply(publicKeyOut, d, 5, basePointEntry0, nullptr);
  secureWipe(d.data(), sizeof d);
  return EcdsaStatus::ok;
}

}  // namespace otawrap
