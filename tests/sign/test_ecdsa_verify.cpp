// ECDSA verification against OpenSSL: signatures made by ECDSA_do_sign_ex and
// by the textbook BIGNUM signer are accepted, every corruption is rejected,
// and the verdict equals ECDSA_do_verify's on thousands of random cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "ecc/modn.h"
#include "sign/ecdsa.h"
#include "sign/ecdsa_verify.h"
#include "support/field_reference.h"
#include "support/openssl_curve.h"
#include "support/openssl_ecdsa.h"
#include "support/openssl_verify.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Octets21;

// Random tests draw from std::mt19937 with the seed given at each use.
// A uniform-ish value in [1, n-1]: 163 random bits, reduced, never zero.
Octets21 randomScalar(std::mt19937& rng) {
  Bytes raw(21);
  for (auto& b : raw) b = static_cast<std::uint8_t>(rng());
  raw[0] &= 0x07;
  Octets21 k = test::sslReduceModOrder(raw);
  if (std::all_of(k.begin(), k.end(), [](std::uint8_t b) { return b == 0; })) k[20] = 1;
  return k;
}

Bytes randomDigest(std::mt19937& rng) {
  Bytes d(16);
  for (auto& b : d) b = static_cast<std::uint8_t>(rng());
  return d;
}

Octets21 octetsOfWords(const Words& w) {
  Octets21 out{};
  wordsToOctets(1, kWordCount, w.data(), 21, out.data());
  return out;
}

int verify(const AffinePoint& Q, const Bytes& digest, const Octets21& r, const Octets21& s) {
  return ecdsaVerify(Q, digest.data(), r.data(), s.data());
}

struct Signed {
  Octets21 key;
  AffinePoint publicKey;
  Bytes digest;
  Octets21 r;
  Octets21 s;
};

Signed opensslSigned(std::mt19937& rng) {
  Signed v;
  v.key = randomScalar(rng);
  v.publicKey = test::sslPublicKey(v.key);
  v.digest = randomDigest(rng);
  test::sslEcdsaSign(v.digest, v.key, randomScalar(rng), v.r, v.s);
  return v;
}

TEST(EcdsaVerify, AcceptsSignaturesMadeByOpenSsl) {
  std::mt19937 rng(163);
  for (int round = 0; round < 100; ++round) {
    const Signed v = opensslSigned(rng);
    ASSERT_TRUE(test::sslEcdsaVerifyPoint(v.digest, v.r, v.s, v.publicKey));
    EXPECT_EQ(verify(v.publicKey, v.digest, v.r, v.s), 1) << round;
  }
}

TEST(EcdsaVerify, AcceptsSignaturesWithOpenSslsOwnRandomNonces) {
  std::mt19937 rng(164);  // keys and digests; the nonces are OpenSSL's
  for (int round = 0; round < 20; ++round) {
    const Octets21 key = randomScalar(rng);
    const Bytes digest = randomDigest(rng);
    Octets21 r;
    Octets21 s;
    test::sslEcdsaSignRandomNonce(digest, key, r, s);
    EXPECT_EQ(verify(test::sslPublicKey(key), digest, r, s), 1) << round;
    s[20] ^= 1;
    EXPECT_EQ(verify(test::sslPublicKey(key), digest, r, s), 0) << round;
  }
}

TEST(EcdsaVerify, AcceptsTextbookSignaturesAndOurOwn) {
  std::mt19937 rng(41);
  for (int round = 0; round < 30; ++round) {
    const Octets21 key = randomScalar(rng);
    const Bytes digest = randomDigest(rng);
    Octets21 r;
    Octets21 s;
    test::sslEcdsaSignWithNonce(digest, key, randomScalar(rng), r, s);
    AffinePoint Q;
    ASSERT_EQ(ecdsaPublicKey(key.data(), Q), EcdsaStatus::ok);
    EXPECT_EQ(verify(Q, digest, r, s), 1);
    ASSERT_EQ(ecdsaSignDeterministic(key.data(), digest.data(), r.data(), s.data()), EcdsaStatus::ok);
    EXPECT_EQ(verify(Q, digest, r, s), 1);
  }
}

TEST(EcdsaVerify, AcceptsWhenTheXCoordinateIsAboveN) {
  // r = x(kG) - n: the comparison must reduce x modulo n first.
  std::mt19937 rng(2718);
  const Words n = groupOrder;
  int found = 0;
  while (found < 5) {
    const Octets21 k = randomScalar(rng);
    Words kw{};
    octetsToWords(21, k.data(), kWordCount, kw.data());
    if (wordsCompare(test::sslMultiplyGenerator(kw).x, n) < 0) continue;
    ++found;
    const Octets21 key = randomScalar(rng);
    const Bytes digest = randomDigest(rng);
    Octets21 r;
    Octets21 s;
    test::sslEcdsaSign(digest, key, k, r, s);
    EXPECT_EQ(verify(test::sslPublicKey(key), digest, r, s), 1);
  }
}

Octets21 fromWords(const Words& w) { return octetsOfWords(w); }

TEST(EcdsaVerify, RejectsEveryCorruption) {
  std::mt19937 rng(99);
  const Signed v = opensslSigned(rng);
  ASSERT_EQ(verify(v.publicKey, v.digest, v.r, v.s), 1);
  Words n = groupOrder;
  Words nPlus1 = n;
  wordsIncrementFrom(0, kWordCount, nPlus1.data());
  Octets21 allOnes;
  allOnes.fill(0xFF);
  Octets21 zero{};

  // Flipped bits: every bit of r, s and the digest.
  for (std::size_t byte = 0; byte < 21; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      Octets21 r = v.r;
      Octets21 s = v.s;
      r[byte] ^= static_cast<std::uint8_t>(1u << bit);
      s[byte] ^= static_cast<std::uint8_t>(1u << bit);
      EXPECT_EQ(verify(v.publicKey, v.digest, r, v.s), 0) << "r byte " << byte << " bit " << bit;
      EXPECT_EQ(verify(v.publicKey, v.digest, v.r, s), 0) << "s byte " << byte << " bit " << bit;
      if (byte < 16) {
        Bytes d = v.digest;
        d[byte] ^= static_cast<std::uint8_t>(1u << bit);
        EXPECT_EQ(verify(v.publicKey, d, v.r, v.s), 0) << "digest byte " << byte;
      }
    }
  }

  struct Case {
    const char* name;
    Octets21 r;
    Octets21 s;
  } cases[] = {
      {"r = 0", zero, v.s},
      {"s = 0", v.r, zero},
      {"r = n", fromWords(n), v.s},
      {"s = n", v.r, fromWords(n)},
      {"r = n + 1", fromWords(nPlus1), v.s},
      {"s = n + 1", v.r, fromWords(nPlus1)},
      {"r = 2^168 - 1", allOnes, v.s},
      {"s = 2^168 - 1", v.r, allOnes},
      {"r and s swapped", v.s, v.r},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(verify(v.publicKey, v.digest, c.r, c.s), 0) << c.name;
    EXPECT_FALSE(test::sslEcdsaVerifyPoint(v.digest, c.r, c.s, v.publicKey)) << c.name;
  }
  // r + n stands for the same residue as r but is out of range (it still fits
  // in 21 octets: r + n < 2^164).
  Words rw{};
  octetsToWords(21, v.r.data(), kWordCount, rw.data());
  wordsAdd(rw.data(), n.data(), rw.data(), kWordCount);
  EXPECT_EQ(verify(v.publicKey, v.digest, fromWords(rw), v.s), 0) << "r + n";
  Words sPlusN{};
  octetsToWords(21, v.s.data(), kWordCount, sPlusN.data());
  wordsAdd(sPlusN.data(), n.data(), sPlusN.data(), kWordCount);
  EXPECT_EQ(verify(v.publicKey, v.digest, v.r, fromWords(sPlusN)), 0) << "s + n";
  EXPECT_FALSE(test::sslEcdsaVerifyPoint(v.digest, v.r, fromWords(sPlusN), v.publicKey));

  // Wrong keys: another key, -Q, and tau(Q).
  const AffinePoint other = test::sslPublicKey(randomScalar(rng));
  EXPECT_EQ(verify(other, v.digest, v.r, v.s), 0);
  EXPECT_EQ(verify(test::slowPointNegate(v.publicKey), v.digest, v.r, v.s), 0);
  const AffinePoint tauQ{test::slowFieldMultiply(v.publicKey.x, v.publicKey.x),
                         test::slowFieldMultiply(v.publicKey.y, v.publicKey.y)};
  EXPECT_EQ(verify(tauQ, v.digest, v.r, v.s), 0);

  // -s is a valid signature too (ECDSA is malleable) and both verifiers agree.
  Words sw{};
  octetsToWords(21, v.s.data(), kWordCount, sw.data());
  wordsSub(n.data(), sw.data(), sw.data(), kWordCount);
  EXPECT_EQ(verify(v.publicKey, v.digest, v.r, fromWords(sw)), 1);
}

TEST(EcdsaVerify, AgreesWithOpenSslOnRandomValidAndCorruptedCases) {
  std::mt19937 rng(5150);
  int accepted = 0;
  int rejected = 0;
  const Words n = groupOrder;
  for (int round = 0; round < 2000; ++round) {
    Signed v = opensslSigned(rng);
    switch (rng() % 8) {
      case 0:
      case 1:
        break;  // valid
      case 2:
        v.r[rng() % 21] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      case 3:
        v.s[rng() % 21] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      case 4:
        v.digest[rng() % 16] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
      case 5:
        v.publicKey = test::sslPublicKey(randomScalar(rng));
        break;
      case 6:  // random r and s, sometimes at or above n
        for (auto& b : v.r) b = static_cast<std::uint8_t>(rng());
        for (auto& b : v.s) b = static_cast<std::uint8_t>(rng());
        v.r[0] &= rng() % 2 == 0 ? 0x03 : 0x07;
        v.s[0] &= rng() % 2 == 0 ? 0x03 : 0x07;
        break;
      default: {  // r or s replaced by n itself
        Octets21 nOctets = octetsOfWords(n);
        (rng() % 2 == 0 ? v.r : v.s) = nOctets;
        break;
      }
    }
    const bool expected = test::sslEcdsaVerifyPoint(v.digest, v.r, v.s, v.publicKey);
    ASSERT_EQ(verify(v.publicKey, v.digest, v.r, v.s) == 1, expected) << "round " << round;
    (expected ? accepted : rejected) += 1;
  }
  EXPECT_GT(accepted, 400);
  EXPECT_GT(rejected, 1000);
}

TEST(EcdsaPublicKey, MatchesOpenSslAndRefusesZero) {
  std::mt19937 rng(8);
  for (int round = 0; round < 20; ++round) {
    Octets21 key;
    for (auto& b : key) b = static_cast<std::uint8_t>(rng());
    key[0] &= 0x07;  // some keys at or above n: used as their residue
    AffinePoint Q;
    ASSERT_EQ(ecdsaPublicKey(key.data(), Q), EcdsaStatus::ok);
    EXPECT_EQ(Q, test::sslPublicKey(key));
  }
  const Octets21 zero{};
  const Octets21 n = octetsOfWords(groupOrder);
  AffinePoint Q;
  Q.x.fill(0x1111);
  EXPECT_EQ(ecdsaPublicKey(zero.data(), Q), EcdsaStatus::keyIsZero);
  EXPECT_EQ(ecdsaPublicKey(n.data(), Q), EcdsaStatus::keyIsZero);
  EXPECT_EQ(Q.x[0], 0x1111) << "untouched on failure";
}

}  // namespace
}  // namespace otawrap
