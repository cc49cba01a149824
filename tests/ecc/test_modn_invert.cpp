// Inversion modulo the group order and the Montgomery multiplication under it,
// against OpenSSL BIGNUM and against the binary Euclidean inversion the program
// used before (kept here as the slow reference), on random and edge inputs.
#include <gtest/gtest.h>

#include <vector>

#include "ecc/modn.h"
#include "ecc/modn_internal.h"
#include "support/openssl_bignum.h"

namespace otawrap {
namespace {

using test::BnPtr;

constexpr std::uint64_t kSeed = 0x696E766Eull;  // "invn": fixed seed for the random cases

// Binary extended Euclid, bit by bit: x1*a = u and x2*a = v (mod n) with u, v
// starting at n and a. Returns kModNoInverse when a is a multiple of n.
int binaryEuclidInvert(const Words& a, Words& out) {
  Words u[2] = {groupOrder, a};
  Words x[2] = {Words{}, Words{}};
  x[1][0] = 1;
  int vi = 1;
  if (wordsIsZero(a.data(), kWordCount) != 0) {
    return kModNoInverse;
  }
  for (;;) {
    while ((u[vi][0] & 1u) == 0) {
      int carry = 0;
      if ((x[vi][0] & 1u) != 0) {
        carry = wordsAdd(x[vi].data(), groupOrder.data(), x[vi].data(), kWordCount);
      }
      wordsShiftRight1(u[vi]);
      wordsShiftRight1(x[vi]);
      x[vi][10] = static_cast<Word>(x[vi][10] | (carry << 15));
    }
    if (wordsIsOne(u[vi].data(), kWordCount) != 0) {
      out = x[vi];
      return 0;
    }
    if (wordsCompare(u[1 - vi], u[vi]) > 0) {
      vi = 1 - vi;
    }
    wordsSub(u[vi].data(), u[1 - vi].data(), u[vi].data(), kWordCount);
    modSub(x[vi], x[1 - vi], x[vi]);
    if (wordsIsZero(u[vi].data(), kWordCount) != 0) {
      return kModNoInverse;
    }
  }
}

BnPtr bnFromLimbs(const ModLimbs& limbs) {
  unsigned char bytes[24];
  for (int i = 0; i < 24; ++i) {
    bytes[i] = static_cast<unsigned char>(limbs[i / 8] >> (8 * (i % 8)));
  }
  return BnPtr(BN_lebin2bn(bytes, 24, nullptr));
}

ModLimbs limbsOf(const BIGNUM* bn) {
  unsigned char bytes[24];
  EXPECT_EQ(BN_bn2lebinpad(bn, bytes, 24), 24);
  ModLimbs limbs{};
  for (int i = 0; i < 24; ++i) {
    limbs[i / 8] |= static_cast<std::uint64_t>(bytes[i]) << (8 * (i % 8));
  }
  return limbs;
}

class ModInvertTest : public ::testing::Test {
 protected:
  ModInvertTest() : ctx_(test::bnCtxNew()), n_(test::bnFromWords(groupOrder)) {}

  BnPtr residue(const BIGNUM* x) {
    BnPtr r = test::bnNew();
    BN_nnmod(r.get(), x, n_.get(), ctx_.get());
    return r;
  }
  // n*k + delta as a BIGNUM (delta may be negative).
  BnPtr nearMultiple(unsigned k, int delta) {
    BnPtr x = test::bnCopy(n_.get());
    BN_mul_word(x.get(), k);
    BN_add_word(x.get(), 8);
    BN_sub_word(x.get(), static_cast<BN_ULONG>(8 - delta));
    return x;
  }
  static BnPtr power2(int bits, int delta) {
    BnPtr x = test::bnNew();
    BN_set_bit(x.get(), bits);
    BN_add_word(x.get(), 8);
    BN_sub_word(x.get(), static_cast<BN_ULONG>(8 - delta));
    return x;
  }
  // 0, 1, 2 and values around n, 2n, 7n, 2^162, 2^163, 2^164 and 2^176.
  std::vector<BnPtr> edgeValues() {
    std::vector<BnPtr> values;
    for (unsigned w : {0u, 1u, 2u, 3u}) {
      values.push_back(test::bnFromWord(w));
    }
    for (int delta : {-2, -1, 0, 1, 2}) {
      values.push_back(nearMultiple(1, delta));
      values.push_back(nearMultiple(2, delta));
      values.push_back(nearMultiple(7, delta));
      values.push_back(power2(162, delta));
      values.push_back(power2(163, delta));
      values.push_back(power2(164, delta));
      if (delta <= 0) {
        values.push_back(power2(176, delta - 1));
      }
    }
    return values;
  }

  test::BnCtxPtr ctx_;
  BnPtr n_;
};

TEST_F(ModInvertTest, MontgomeryConstantsFollowFromN) {
  EXPECT_TRUE(test::bnEqual(bnFromLimbs(kOrderLimbs).get(), n_.get()));
  EXPECT_EQ(kOrderLimbs[0] * kMontgomeryFactor, ~std::uint64_t{0});  // n * factor = -1 mod 2^64
  BnPtr rSquared = power2(384, 0);
  EXPECT_TRUE(test::bnEqual(bnFromLimbs(kMontgomeryRSquared).get(), residue(rSquared.get()).get()));
}

TEST_F(ModInvertTest, MontgomeryMultiplyMatchesOpenSsl) {
  // Operands below 2n: random, and every pair of the edges that fit.
  std::vector<ModLimbs> operands;
  BnPtr twoN = test::bnNew();
  BN_lshift1(twoN.get(), n_.get());
  for (const BnPtr& edge : edgeValues()) {
    if (BN_cmp(edge.get(), twoN.get()) < 0) {
      operands.push_back(limbsOf(edge.get()));
    }
  }
  test::WordSource source(kSeed);
  for (int i = 0; i < 400; ++i) {
    BnPtr x = test::bnFromWords(source.words(i % 2 == 0));
    BN_mod(x.get(), x.get(), twoN.get(), ctx_.get());
    operands.push_back(limbsOf(x.get()));
  }
  BnPtr rInverse = test::bnNew();
  ASSERT_NE(BN_mod_inverse(rInverse.get(), power2(192, 0).get(), n_.get(), ctx_.get()), nullptr);
  for (const ModLimbs& a : operands) {
    for (const ModLimbs& b : {operands[0], operands[3], operands[17], operands[operands.size() / 2],
                              operands.back(), a}) {
      ModLimbs out;
      modMontgomeryMultiply(a, b, out);
      BnPtr got = bnFromLimbs(out);
      ASSERT_LT(BN_cmp(got.get(), twoN.get()), 0);
      BnPtr expected = test::bnNew();
      BN_mod_mul(expected.get(), bnFromLimbs(a).get(), bnFromLimbs(b).get(), n_.get(), ctx_.get());
      BN_mod_mul(expected.get(), expected.get(), rInverse.get(), n_.get(), ctx_.get());
      ASSERT_TRUE(test::bnEqual(residue(got.get()).get(), expected.get()));
      ModLimbs aliased = a;
      modMontgomeryMultiply(aliased, b, aliased);
      ASSERT_EQ(aliased, out);
    }
  }
}

TEST_F(ModInvertTest, MatchesOpenSslAndTheBinaryEuclid) {
  std::vector<Words> inputs;
  for (const BnPtr& edge : edgeValues()) {
    inputs.push_back(test::wordsOf(edge.get()));
  }
  test::WordSource source(kSeed + 1);
  for (int round = 0; round < 3000; ++round) {
    inputs.push_back(source.words(round % 3 == 0));
  }
  for (const Words& a : inputs) {
    Words sentinel;
    sentinel.fill(0x7777);
    Words out = sentinel;
    Words reference = sentinel;
    const int status = modInvert(a, out);
    ASSERT_EQ(status, binaryEuclidInvert(a, reference));
    BnPtr expected = test::bnNew();
    if (BN_mod_inverse(expected.get(), test::bnFromWords(a).get(), n_.get(), ctx_.get()) == nullptr) {
      ASSERT_EQ(status, 0xFB01) << test::bnToHex(test::bnFromWords(a).get());
      ASSERT_EQ(out, sentinel);  // untouched
      continue;
    }
    ASSERT_EQ(status, 0);
    BnPtr got = test::bnFromWords(out);
    ASSERT_TRUE(test::bnEqual(got.get(), expected.get())) << test::bnToHex(test::bnFromWords(a).get());
    ASSERT_TRUE(test::bnEqual(got.get(), residue(test::bnFromWords(reference).get()).get()));
    Words aliased = a;
    ASSERT_EQ(modInvert(aliased, aliased), 0);
    ASSERT_EQ(aliased, out);
  }
}

}  // namespace
}  // namespace otawrap
