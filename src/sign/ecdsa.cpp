// ECDSA signing over sect163k1 with the windowed fixed-base multiplication.
#include "sign/ecdsa.h"
#include "sign/ecdsa_internal.h"

#include "codec/bytes.h"
#include "ecc/base_point_table.h"
#include "ecc/modn.h"
#include "sign/rfc6979.h"
#include "sign/secure_wipe.h"

namespace otawrap {

namespace {

constexpr int kWindowWidth = 5;

// 0xFFFF * 2^336 mod n, the fixed top word the nonce reduction adds to R.
ModNumber nonceOffset() {
  WideWords wide{};
  wide[21] = 0xFFFF;
  ModNumber offset;
  modReduceWide(wide, offset);
  modReduceFinal(offset);
  return offset;
}

}  // namespace

int ecdsaEphemeralKey(const std::uint8_t random40[40], ModNumber& kOut, AffinePoint& pointOut,
                      const YieldControl* yieldControl) {
  WideWords wide{};
  for (std::size_t i = 0; i < 20; ++i) {
    wide[i] = loadLittle16(random40 + 2 * i);
  }
  wide[20] = 0;
  wide[21] = 0xFFFF;
  ModNumber k;
  modReduceWide(wide, k);
  modReduceFinal(k);
  wordsCopy(k, kOut);
  scalarMultiply(pointOut, k, kWindowWidth, basePointEntry0, yieldControl);
  secureWipe(wide.data(), sizeof wide);
  secureWipe(k.data(), sizeof k);
  return 0;
}

int ecdsaSignWithRandom(const std::uint8_t privateKey[21], const std::uint8_t digest[16],
                        const std::uint8_t random40[40], std::uint8_t rOut[21],
                        std::uint8_t sOut[21], const YieldControl* yieldControl) {
  ModNumber k;
  AffinePoint point;
  ecdsaEphemeralKey(random40, k, point, yieldControl);

  // r = x(kG) mod n; the canonical field element read as an integer.
  ModNumber r;
  wordsCopy(point.x, r);
  modReduceFinal(r);

  // k^-1 in place; k is never zero modulo n here except for a broken random
  // source, and then stays zero as the inversion leaves it untouched.
  modInvert(k, k);
  modReduceFinal(k);

  ModNumber e;
  ModNumber d;
  octetsToWords(kEcdsaDigestOctets, digest, kWordCount, e.data());
  octetsToWords(kScalarOctets, privateKey, kWordCount, d.data());

  ModNumber t;
  modMultiply(d, r, t);
  modAdd(t, e, t);
  modMultiply(t, k, k);  // s, written over k^-1
  modReduceFinal(k);

  wordsToOctets(1, kWordCount, r.data(), kScalarOctets, rOut);
  wordsToOctets(1, kWordCount, k.data(), kScalarOctets, sOut);

  secureWipe(k.data(), sizeof k);
  secureWipe(d.data(), sizeof d);
  secureWipe(t.data(), sizeof t);
  secureWipe(&point, sizeof point);
  return 0;
}

EcdsaStatus ecdsaSign(const std::uint8_t* privateKey, const std::uint8_t* digest, RandomFill randomFill,
              std::uint8_t* rOut, std::uint8_t* sOut, YieldCallback yieldCallback,
              std::uint32_t yieldLevel) {
  if (privateKey == nullptr) {
    return EcdsaStatus::missingKey;
  }
  if (digest == nullptr || rOut == nullptr || sOut == nullptr) {
    return EcdsaStatus::missingBuffer;
  }
  if (randomFill == nullptr || (yieldLevel != 0 && yieldCallback == nullptr)) {
    return EcdsaStatus::missingCallback;
  }
  if (yieldLevel > kEcdsaMaxYieldLevel) {
    return EcdsaStatus::yieldLevelTooHigh;
  }
  std::uint8_t random40[kEcdsaRandomOctets];
  const int fillResult = randomFill(random40, kEcdsaRandomOctets);
  if (fillResult != 0) {
    secureWipe(random40, sizeof random40);
    return EcdsaStatus::randomSourceFailed;
  }
  const YieldControl yieldControl{yieldCallback, yieldLevel};
  ecdsaSignWithRandom(privateKey, digest, random40, rOut, sOut, &yieldControl);
  secureWipe(random40, sizeof random40);
  return EcdsaStatus::ok;
}

void ecdsaRandomForNonce(const std::uint8_t k[21], std::uint8_t random40[40]) {
  ModNumber value;
  octetsToWords(kScalarOctets, k, kWordCount, value.data());
  modSub(value, nonceOffset(), value);
  modReduceFinal(value);
  for (std::size_t i = 0; i < kWordCount; ++i) {
    storeLittle16(value[i], random40 + 2 * i);
  }
  for (std::size_t i = 2 * kWordCount; i < kEcdsaRandomOctets; ++i) {
    random40[i] = 0;
  }
  secureWipe(value.data(), sizeof value);
}

EcdsaStatus ecdsaSignDeterministic(const std::uint8_t privateKey[21], const std::uint8_t digest[16],
                           std::uint8_t rOut[21], std::uint8_t sOut[21]) {
  // x = d mod n as 21 octets; the nonce derivation needs 0 < x < n.
  ModNumber d;
  octetsToWords(kScalarOctets, privateKey, kWordCount, d.data());
  modReduceFinal(d);
  if (wordsIsZero(d.data(), kWordCount) == 1) {
    return EcdsaStatus::keyIsZero;
  }
  std::uint8_t x[kScalarOctets];
  wordsToOctets(1, kWordCount, d.data(), kScalarOctets, x);
  std::uint8_t k[kScalarOctets];
  rfc6979Nonce(x, digest, k);
  std::uint8_t random40[kEcdsaRandomOctets];
  ecdsaRandomForNonce(k, random40);
  ecdsaSignWithRandom(privateKey, digest, random40, rOut, sOut, nullptr);
  secureWipe(d.data(), sizeof d);
  secureWipe(x, sizeof x);
  secureWipe(k, sizeof k);
  secureWipe(random40, sizeof random40);
  return EcdsaStatus::ok;
}

}  // namespace otawrap
