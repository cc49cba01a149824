// Long-running cross-checks against OpenSSL, kept out of the per-subsystem
// suites (label "long"): tens of thousands of signatures and a few hundred
// thousand field and mod-n operations on seeded random operands.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "ecc/field.h"
#include "ecc/modn.h"
#include "sign/ecdsa.h"
#include "sign/mmo.h"
#include "support/openssl_bignum.h"
#include "support/openssl_curve.h"
#include "support/openssl_ecdsa.h"
#include "support/openssl_field.h"
#include "support/openssl_hash.h"

namespace otawrap {
namespace {

using test::Octets21;

constexpr int kSignaturePairs = 10000;   // each signed twice: random and deterministic nonce
constexpr int kArithmeticRounds = 50000;  // eight operations each

// The random octets the seeded callback hands out, kept for the oracle.
std::mt19937_64 gNonceSource(0x5EC163);  // fixed seed
std::array<std::uint8_t, 40> gLastRandom{};

int seededFill(std::uint8_t* destination, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    destination[i] = static_cast<std::uint8_t>(gNonceSource() >> 56);
  }
  std::memcpy(gLastRandom.data(), destination, std::min<std::size_t>(count, gLastRandom.size()));
  return 0;
}

// Random (key, message) pairs: the message is hashed with our AES-MMO (checked
// against the OpenSSL-based hash), signed with a seeded random nonce and with
// the deterministic nonce; both signatures verify with OpenSSL, and the first
// equals the textbook signature OpenSSL computes from the same nonce.
TEST(LongCrossChecks, TenThousandKeyMessagePairsSignAndVerifyWithOpenSsl) {
  std::mt19937 rng(1630001);  // fixed seed
  int verified = 0;
  for (int pair = 0; pair < kSignaturePairs; ++pair) {
    Octets21 key{};
    for (auto& b : key) b = static_cast<std::uint8_t>(rng());
    // Mostly keys below 2^162 (below n), some anywhere in 168 bits (at or above n).
    if (pair % 4 != 0) key[0] &= 0x03;
    if (std::all_of(key.begin(), key.end(), [](std::uint8_t b) { return b == 0; })) key[20] = 1;
    std::vector<std::uint8_t> message(rng() % 200);
    for (auto& b : message) b = static_cast<std::uint8_t>(rng());

    std::vector<std::uint8_t> digest(16);
    mmoHash(message.data(), static_cast<std::uint32_t>(message.size()), digest.data());
    ASSERT_EQ(digest, test::opensslMmoHash(message.data(), message.size())) << "pair " << pair;

    Octets21 r{};
    Octets21 s{};
    ASSERT_EQ(ecdsaSign(key.data(), digest.data(), seededFill, r.data(), s.data(), nullptr, 0), EcdsaStatus::ok);
    Octets21 expectedR{};
    Octets21 expectedS{};
    test::sslEcdsaSignWithNonce(digest, key, test::sslNonceFromRandom(gLastRandom), expectedR,
                                expectedS);
    ASSERT_EQ(r, expectedR) << "pair " << pair;
    ASSERT_EQ(s, expectedS) << "pair " << pair;
    ASSERT_TRUE(test::sslEcdsaVerify(digest, r, s, key)) << "pair " << pair;
    ++verified;

    ASSERT_EQ(ecdsaSignDeterministic(key.data(), digest.data(), r.data(), s.data()), EcdsaStatus::ok);
    ASSERT_TRUE(test::sslEcdsaVerify(digest, r, s, key)) << "deterministic, pair " << pair;
    ++verified;
  }
  std::printf("signatures verified by OpenSSL: %d (%d key/message pairs)\n", verified,
              kSignaturePairs);
  RecordProperty("signatures_verified", verified);
}

// Field and mod-n operations on random operands (uniform or carry-heavy
// patterned words, full 176 bits, so unreduced and loose inputs), compared
// with OpenSSL's GF(2^m) and BIGNUM arithmetic.
TEST(LongCrossChecks, HundredThousandFieldAndModularOperationsAgreeWithOpenSsl) {
  test::WordSource source(0xF163);  // fixed seed
  const test::BnCtxPtr ctx = test::bnCtxNew();
  const Words orderWords = test::sslGroupOrder();
  const test::BnPtr n = test::bnFromWords(orderWords);
  const auto modOf = [&](const Words& x) {
    test::BnPtr r = test::bnNew();
    BN_nnmod(r.get(), test::bnFromWords(x).get(), n.get(), ctx.get());
    return r;
  };

  long operations = 0;
  for (int round = 0; round < kArithmeticRounds; ++round) {
    const bool patterned = round % 2 == 1;
    const Words a = source.words(patterned);
    const Words b = source.words(patterned);

    FieldElement out{};
    fieldMultiply(a, b, out);
    ASSERT_EQ(test::sslFieldReduce(out), test::sslFieldMultiply(a, b)) << "round " << round;
    fieldSquare(a, out);
    ASSERT_EQ(test::sslFieldReduce(out), test::sslFieldSquare(a)) << "round " << round;
    WideWords wide = source.wideWords(patterned);
    const FieldElement wideExpected = test::sslFieldReduceWide(wide);
    fieldReduceWide(wide, out);
    ASSERT_EQ(test::sslFieldReduce(out), wideExpected) << "round " << round;
    FieldElement inverse{};
    FieldElement expectedInverse{};
    const bool invertible = test::sslFieldInvert(a, expectedInverse);
    ASSERT_EQ(fieldInvert(a, inverse), invertible ? 0 : kNoInverse) << "round " << round;
    if (invertible) {
      ASSERT_EQ(inverse, expectedInverse) << "round " << round;
    }

    ModNumber m{};
    test::BnPtr expected = test::bnNew();
    modMultiply(a, b, m);
    BN_mod_mul(expected.get(), test::bnFromWords(a).get(), test::bnFromWords(b).get(), n.get(),
               ctx.get());
    ASSERT_TRUE(test::bnEqual(modOf(m).get(), expected.get())) << "round " << round;
    modAdd(a, b, m);
    BN_mod_add(expected.get(), test::bnFromWords(a).get(), test::bnFromWords(b).get(), n.get(),
               ctx.get());
    ASSERT_TRUE(test::bnEqual(modOf(m).get(), expected.get())) << "round " << round;
    modSub(a, b, m);
    BN_mod_sub(expected.get(), test::bnFromWords(a).get(), test::bnFromWords(b).get(), n.get(),
               ctx.get());
    ASSERT_TRUE(test::bnEqual(modOf(m).get(), expected.get())) << "round " << round;
    const int status = modInvert(a, m);
    if (BN_is_zero(modOf(a).get())) {
      ASSERT_EQ(status, kModNoInverse);
    } else {
      ASSERT_EQ(status, 0);
      ASSERT_NE(BN_mod_inverse(expected.get(), test::bnFromWords(a).get(), n.get(), ctx.get()),
                nullptr);
      ASSERT_TRUE(test::bnEqual(modOf(m).get(), expected.get())) << "round " << round;
    }
    operations += 8;
  }
  std::printf("field and mod-n operations checked against OpenSSL: %ld\n", operations);
  RecordProperty("arithmetic_operations", static_cast<int>(operations));
}

}  // namespace
}  // namespace otawrap
