// The signer against OpenSSL: known answers, result codes, the nonce mapping
// and signatures recomputed from the same nonce with BIGNUM and EC_POINT_mul.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "ecc/modn.h"
#include "sign/ecdsa.h"
#include "sign/ecdsa_internal.h"
#include "support/openssl_ecdsa.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::Octets21;

template <std::size_t N>
std::array<std::uint8_t, N> arrayOf(const std::string& hex) {
  const std::vector<std::uint8_t> bytes = test::hexToBytes(hex);
  std::array<std::uint8_t, N> out{};
  EXPECT_EQ(bytes.size(), N);
  std::copy_n(bytes.begin(), std::min(N, bytes.size()), out.begin());
  return out;
}

// Random octets for the fixed callbacks, set by each test before signing.
std::array<std::uint8_t, 40> gRandom{};
int gFillCalls = 0;

int fixedFill(std::uint8_t* destination, std::uint32_t count) {
  ++gFillCalls;
  std::memcpy(destination, gRandom.data(), std::min<std::size_t>(count, gRandom.size()));
  return 0;
}

int failingFill(std::uint8_t*, std::uint32_t) {
  ++gFillCalls;
  return 7;
}

void noYield() {}

TEST(EcdsaKnownAnswers, DeterministicSignaturesMatchTheVectorFile) {
  const auto records = test::readVectorFile(test::vectorPath("ecdsa-sect163k1-rfc6979.txt"));
  ASSERT_EQ(records.size(), 8u);
  for (const auto& record : records) {
    SCOPED_TRACE(record.at("d"));
    const auto d = arrayOf<21>(record.at("d"));
    const auto digest = arrayOf<16>(record.at("digest"));
    Octets21 r{};
    Octets21 s{};
    ASSERT_EQ(ecdsaSignDeterministic(d.data(), digest.data(), r.data(), s.data()), EcdsaStatus::ok);
    EXPECT_EQ(test::bytesToHex(r.data(), 21), record.at("r"));
    EXPECT_EQ(test::bytesToHex(s.data(), 21), record.at("s"));

    // The nonce travels through the 40 random octets unchanged.
    const auto k = arrayOf<21>(record.at("k"));
    std::array<std::uint8_t, 40> random40{};
    ecdsaRandomForNonce(k.data(), random40.data());
    EXPECT_EQ(test::sslNonceFromRandom(random40), k);
  }
}

TEST(EcdsaResultCodes, ChecksRunInOrderAndLeaveOutputsUntouched) {
  const std::array<std::uint8_t, 21> key{0, 1};
  const std::array<std::uint8_t, 16> digest{};
  struct Case {
    const char* name;
    const std::uint8_t* key;
    const std::uint8_t* digest;
    RandomFill fill;
    bool rPresent, sPresent;
    YieldCallback yield;
    std::uint32_t level;
    EcdsaStatus expected;
    int expectedFillCalls;
  } cases[] = {
      {"no key, nothing else", nullptr, nullptr, nullptr, false, false, nullptr, 11, EcdsaStatus::missingKey, 0},
      {"no digest, no fill", key.data(), nullptr, nullptr, true, true, nullptr, 0, EcdsaStatus::missingBuffer, 0},
      {"no r", key.data(), digest.data(), fixedFill, false, true, nullptr, 0, EcdsaStatus::missingBuffer, 0},
      {"no s", key.data(), digest.data(), fixedFill, true, false, nullptr, 0, EcdsaStatus::missingBuffer, 0},
      {"no fill", key.data(), digest.data(), nullptr, true, true, nullptr, 0, EcdsaStatus::missingCallback, 0},
      {"level 1 without yield", key.data(), digest.data(), fixedFill, true, true, nullptr, 1, EcdsaStatus::missingCallback, 0},
      {"level 11 without yield", key.data(), digest.data(), fixedFill, true, true, nullptr, 11, EcdsaStatus::missingCallback,
       0},
      {"level 11 with yield", key.data(), digest.data(), fixedFill, true, true, noYield, 11, EcdsaStatus::yieldLevelTooHigh, 0},
      {"fill fails", key.data(), digest.data(), failingFill, true, true, nullptr, 0, EcdsaStatus::randomSourceFailed, 1},
      {"level 0 without yield signs", key.data(), digest.data(), fixedFill, true, true, nullptr, 0,
       EcdsaStatus::ok, 1},
      {"level 10 with yield signs", key.data(), digest.data(), fixedFill, true, true, noYield, 10,
       EcdsaStatus::ok, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Octets21 r;
    Octets21 s;
    r.fill(0xA5);
    s.fill(0x5A);
    gRandom.fill(0x11);
    gFillCalls = 0;
    const EcdsaStatus result = ecdsaSign(c.key, c.digest, c.fill, c.rPresent ? r.data() : nullptr,
                                 c.sPresent ? s.data() : nullptr, c.yield, c.level);
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(gFillCalls, c.expectedFillCalls);
    if (result != EcdsaStatus::ok) {
      EXPECT_TRUE(std::all_of(r.begin(), r.end(), [](std::uint8_t b) { return b == 0xA5; }));
      EXPECT_TRUE(std::all_of(s.begin(), s.end(), [](std::uint8_t b) { return b == 0x5A; }));
    }
  }
}

TEST(EcdsaNonce, ZeroRandomGivesTheFixedTopWordModOrder) {
  std::array<std::uint8_t, 40> zero{};
  ModNumber k;
  AffinePoint point;
  ecdsaEphemeralKey(zero.data(), k, point, nullptr);
  Octets21 ours{};
  wordsToOctets(1, kWordCount, k.data(), 21, ours.data());
  EXPECT_EQ(ours, test::sslNonceFromRandom(zero));
}

// Random keys, digests and random octets: our signature equals the textbook
// one computed by OpenSSL from the same nonce, and verifies.
TEST(EcdsaAgainstOpenSsl, RandomSignaturesMatchTheTextbookComputation) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 200; ++round) {
    Octets21 key{};
    std::vector<std::uint8_t> digest(16);
    for (auto& b : key) b = static_cast<std::uint8_t>(rng());
    key[0] &= (round % 3 == 0) ? 0x07 : 0x03;  // some keys at or above n
    for (auto& b : digest) b = static_cast<std::uint8_t>(rng());
    if (round % 7 == 0) std::fill_n(digest.begin(), 3, 0);  // short e
    for (auto& b : gRandom) b = static_cast<std::uint8_t>(rng());

    Octets21 r{};
    Octets21 s{};
    ASSERT_EQ(ecdsaSign(key.data(), digest.data(), fixedFill, r.data(), s.data(), nullptr, 0), EcdsaStatus::ok);
    Octets21 expectedR{};
    Octets21 expectedS{};
    test::sslEcdsaSignWithNonce(digest, key, test::sslNonceFromRandom(gRandom), expectedR,
                                expectedS);
    EXPECT_EQ(r, expectedR) << "round " << round;
    EXPECT_EQ(s, expectedS) << "round " << round;
    EXPECT_TRUE(test::sslEcdsaVerify(digest, r, s, key)) << "round " << round;
  }
}

TEST(EcdsaKeys, KeyAtOrAboveOrderSignsLikeItsResidue) {
  const Octets21 order = arrayOf<21>("04000000000000000000020108A2E0CC0D99F8A5EF");
  const std::array<std::uint8_t, 16> digest{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  gRandom.fill(0x42);
  // n + 5 and 5, and 2^168 - 1 and its residue.
  Octets21 high = order;
  high[20] = static_cast<std::uint8_t>(high[20] + 5);
  Octets21 residue{};
  residue[20] = 5;
  Octets21 top;
  top.fill(0xFF);
  const Octets21 topResidue = test::sslReduceModOrder(std::vector<std::uint8_t>(21, 0xFF));
  for (const auto& [a, b] : {std::pair{high, residue}, std::pair{top, topResidue}}) {
    Octets21 r1{}, s1{}, r2{}, s2{};
    ASSERT_EQ(ecdsaSign(a.data(), digest.data(), fixedFill, r1.data(), s1.data(), nullptr, 0), EcdsaStatus::ok);
    ASSERT_EQ(ecdsaSign(b.data(), digest.data(), fixedFill, r2.data(), s2.data(), nullptr, 0), EcdsaStatus::ok);
    EXPECT_EQ(r1, r2);
    EXPECT_EQ(s1, s2);
  }
}

TEST(EcdsaDeterministic, SameInputSameSignatureAndZeroKeyRefused) {
  const Octets21 key = arrayOf<21>("0123456789ABCDEF0123456789ABCDEF0123456789");
  const std::array<std::uint8_t, 16> digest{9, 8, 7};
  Octets21 r1{}, s1{}, r2{}, s2{};
  ASSERT_EQ(ecdsaSignDeterministic(key.data(), digest.data(), r1.data(), s1.data()), EcdsaStatus::ok);
  ASSERT_EQ(ecdsaSignDeterministic(key.data(), digest.data(), r2.data(), s2.data()), EcdsaStatus::ok);
  EXPECT_EQ(r1, r2);
  EXPECT_EQ(s1, s2);
  EXPECT_TRUE(test::sslEcdsaVerify(std::vector<std::uint8_t>(digest.begin(), digest.end()), r1,
                                   s1, key));

  const Octets21 order = arrayOf<21>("04000000000000000000020108A2E0CC0D99F8A5EF");
  for (const Octets21& zeroKey : {Octets21{}, order}) {
    Octets21 r;
    r.fill(0x33);
    Octets21 s = r;
    EXPECT_EQ(ecdsaSignDeterministic(zeroKey.data(), digest.data(), r.data(), s.data()), EcdsaStatus::keyIsZero);
    EXPECT_EQ(r[0], 0x33);
    EXPECT_EQ(s[20], 0x33);
  }
}

}  // namespace
}  // namespace otawrap
