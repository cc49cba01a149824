// Arithmetic modulo the group order against OpenSSL BIGNUM: the constants are
// derived independently, and every operation is compared with BN_mod_* on
// fixed-seed random loose inputs and on a table of edge values.
#include <gtest/gtest.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

#include <utility>
#include <vector>

#include "ecc/modn.h"
#include "ecc/modn_internal.h"
#include "support/openssl_bignum.h"

namespace otawrap {
namespace {

using test::BnPtr;
using test::WordSource;

constexpr std::uint64_t kSeed = 0x6D6F646E32ull;  // fixed seed for every random case here

// The order of the base point as published in SEC 2.
constexpr const char* kSec2OrderHex = "04000000000000000000020108A2E0CC0D99F8A5EF";

class ModTest : public ::testing::Test {
 protected:
  ModTest() : ctx_(test::bnCtxNew()), n_(test::bnFromHex(kSec2OrderHex)) {}

  static BnPtr pow2(int bits) {
    BnPtr bn = test::bnNew();
    BN_set_bit(bn.get(), bits);
    return bn;
  }
  // x mod n, canonical.
  BnPtr reduced(const BIGNUM* x) {
    BnPtr r = test::bnNew();
    BN_nnmod(r.get(), x, n_.get(), ctx_.get());
    return r;
  }
  BnPtr residue(const Words& w) { return reduced(test::bnFromWords(w).get()); }
  static Words wordsOfHex(const char* hex) { return test::wordsOf(test::bnFromHex(hex).get()); }

  // Values that stress the corrections: around 0, n, 2n, 2^162 and 2^176.
  std::vector<Words> edgeValues() {
    std::vector<BnPtr> bns;
    bns.push_back(test::bnFromWord(0));
    bns.push_back(test::bnFromWord(1));
    bns.push_back(test::bnFromWord(2));
    for (int delta : {-1, 0, 1}) {
      BnPtr x = test::bnCopy(n_.get());
      BN_add_word(x.get(), 1);
      BN_sub_word(x.get(), static_cast<BN_ULONG>(1 - delta));
      bns.push_back(std::move(x));
      BnPtr y = test::bnNew();
      BN_lshift1(y.get(), n_.get());
      BN_add_word(y.get(), 1);
      BN_sub_word(y.get(), static_cast<BN_ULONG>(1 - delta));
      bns.push_back(std::move(y));
    }
    bns.push_back(pow2(162));
    BnPtr top = pow2(176);
    BN_sub_word(top.get(), 1);
    bns.push_back(std::move(top));
    BnPtr topMinusN = pow2(176);
    BN_sub(topMinusN.get(), topMinusN.get(), n_.get());
    bns.push_back(std::move(topMinusN));
    std::vector<Words> values;
    values.reserve(bns.size() + 2);
    for (const BnPtr& bn : bns) {
      values.push_back(test::wordsOf(bn.get()));
    }
    values.push_back(orderWrap);
    values.push_back(orderWrapNeg);
    Words highBit{};
    highBit[10] = 0x8000;
    values.push_back(highBit);
    return values;
  }

  test::BnCtxPtr ctx_;
  BnPtr n_;
};

// --- constants ------------------------------------------------------------------

TEST_F(ModTest, GroupOrderMatchesSec2AndOpenSslCurve) {
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(groupOrder).get(), n_.get()));
  EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sect163k1);
  ASSERT_NE(group, nullptr);
  EXPECT_TRUE(test::bnEqual(EC_GROUP_get0_order(group), n_.get()));
  EC_GROUP_free(group);
  EXPECT_EQ(BN_num_bits(n_.get()), 163);
  EXPECT_EQ(BN_check_prime(n_.get(), ctx_.get(), nullptr), 1);
}

TEST_F(ModTest, OrderTailAndWrapConstantsFollowFromN) {
  BnPtr tail = test::bnNew();
  BN_sub(tail.get(), n_.get(), pow2(162).get());
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(orderTail).get(), tail.get()));
  EXPECT_EQ(BN_num_bits(tail.get()), 82);

  BnPtr wrap = test::bnNew();
  BN_mod(wrap.get(), pow2(176).get(), n_.get(), ctx_.get());
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(orderWrap).get(), wrap.get()));

  BnPtr minusWrap = test::bnNew();
  BN_sub(minusWrap.get(), test::bnFromWord(0).get(), pow2(176).get());
  BN_nnmod(minusWrap.get(), minusWrap.get(), n_.get(), ctx_.get());
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(orderWrapNeg).get(), minusWrap.get()));

  BnPtr shiftedTail = test::bnNew();
  BN_lshift(shiftedTail.get(), tail.get(), 14);
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(orderWrapNeg).get(), shiftedTail.get()));

  BnPtr sum = test::bnNew();
  BN_add(sum.get(), test::bnFromWords(orderWrapNeg).get(), test::bnFromWords(orderWrap).get());
  EXPECT_TRUE(test::bnEqual(sum.get(), n_.get()));
  EXPECT_EQ(orderWrapNeg[0], 0xC000);
  EXPECT_EQ(orderWrap[10], 0x0003);
}

// --- addition and subtraction --------------------------------------------------

TEST_F(ModTest, AddAndSubMatchOpenSslOnRandomLooseValues) {
  WordSource source(kSeed);
  for (int round = 0; round < 6000; ++round) {
    const Words a = source.words(round % 2 == 0);
    const Words b = source.words(round % 3 == 0);
    BnPtr ba = test::bnFromWords(a);
    BnPtr bb = test::bnFromWords(b);
    BnPtr sum = test::bnNew();
    BnPtr diff = test::bnNew();
    BN_mod_add(sum.get(), ba.get(), bb.get(), n_.get(), ctx_.get());
    BN_mod_sub(diff.get(), ba.get(), bb.get(), n_.get(), ctx_.get());

    Words out;
    modAdd(a, b, out);
    ASSERT_TRUE(test::bnEqual(residue(out).get(), sum.get())) << round;
    modSub(a, b, out);
    ASSERT_TRUE(test::bnEqual(residue(out).get(), diff.get())) << round;

    Words x = a;
    modAdd(x, b, x);
    ASSERT_TRUE(test::bnEqual(residue(x).get(), sum.get()));
    x = b;
    modAdd(a, x, x);
    ASSERT_TRUE(test::bnEqual(residue(x).get(), sum.get()));
    x = a;
    modSub(x, b, x);
    ASSERT_TRUE(test::bnEqual(residue(x).get(), diff.get()));
    x = b;
    modSub(a, x, x);
    ASSERT_TRUE(test::bnEqual(residue(x).get(), diff.get()));
  }
}

TEST_F(ModTest, AddAndSubOnEveryPairOfEdgeValues) {
  const std::vector<Words> edges = edgeValues();
  for (const Words& a : edges) {
    for (const Words& b : edges) {
      BnPtr ba = test::bnFromWords(a);
      BnPtr bb = test::bnFromWords(b);
      BnPtr sum = test::bnNew();
      BnPtr diff = test::bnNew();
      BN_mod_add(sum.get(), ba.get(), bb.get(), n_.get(), ctx_.get());
      BN_mod_sub(diff.get(), ba.get(), bb.get(), n_.get(), ctx_.get());
      Words out;
      modAdd(a, b, out);
      EXPECT_TRUE(test::bnEqual(residue(out).get(), sum.get()))
          << test::bnToHex(ba.get()) << " + " << test::bnToHex(bb.get());
      modSub(a, b, out);
      EXPECT_TRUE(test::bnEqual(residue(out).get(), diff.get()))
          << test::bnToHex(ba.get()) << " - " << test::bnToHex(bb.get());
    }
  }
}

TEST_F(ModTest, SubOfZeroAndOneIsExactlyNMinusOne) {
  Words zero{};
  Words one{};
  one[0] = 1;
  Words out;
  modSub(zero, one, out);
  BnPtr expected = test::bnCopy(n_.get());
  BN_sub_word(expected.get(), 1);
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(out).get(), expected.get()));
}

TEST_F(ModTest, AddOfLargestValuesStaysLoose) {
  Words top;
  top.fill(0xFFFF);
  Words out;
  modAdd(top, top, out);
  BnPtr expected = pow2(177);
  BN_sub_word(expected.get(), 2);
  EXPECT_TRUE(test::bnEqual(residue(out).get(), reduced(expected.get()).get()));
  EXPECT_GE(BN_cmp(test::bnFromWords(out).get(), n_.get()), 0);  // not reduced below n
}

TEST_F(ModTest, CorrectionsRemoveOrAddOneWrap) {
  // modFixBorrow takes x to x - 2^176, modFixCarry to x + 2^176 (mod n).
  WordSource source(kSeed + 1);
  std::vector<Words> inputs = edgeValues();
  for (int round = 0; round < 2000; ++round) {
    inputs.push_back(source.words(round % 2 == 0));
  }
  for (const Words& x : inputs) {
    BnPtr bx = test::bnFromWords(x);
    BnPtr minus = test::bnNew();
    BnPtr plus = test::bnNew();
    BN_sub(minus.get(), bx.get(), pow2(176).get());
    BN_add(plus.get(), bx.get(), pow2(176).get());
    Words y = x;
    modFixBorrow(y);
    ASSERT_TRUE(test::bnEqual(residue(y).get(), reduced(minus.get()).get()));
    y = x;
    modFixCarry(y);
    ASSERT_TRUE(test::bnEqual(residue(y).get(), reduced(plus.get()).get()));
  }
}

// --- multiplication and reductions ---------------------------------------------

TEST_F(ModTest, MultiplyMatchesOpenSslAndStaysLoose) {
  WordSource source(kSeed + 2);
  int aboveN = 0;
  const int rounds = 6000;
  for (int round = 0; round < rounds; ++round) {
    const Words a = source.words(round % 4 == 0);
    const Words b = source.words(round % 5 == 0);
    BnPtr expected = test::bnNew();
    BN_mod_mul(expected.get(), test::bnFromWords(a).get(), test::bnFromWords(b).get(), n_.get(),
               ctx_.get());
    Words out;
    modMultiply(a, b, out);
    ASSERT_TRUE(test::bnEqual(residue(out).get(), expected.get())) << round;
    if (BN_cmp(test::bnFromWords(out).get(), n_.get()) >= 0) {
      ++aboveN;
    }
    Words x = a;
    modMultiply(x, b, x);
    ASSERT_EQ(x, out);
    x = b;
    modMultiply(a, x, x);
    ASSERT_EQ(x, out);
    x = a;
    modMultiply(x, x, x);
    Words square;
    modMultiply(a, a, square);
    ASSERT_EQ(x, square);

    modReduceFinal(out);
    ASSERT_TRUE(test::bnEqual(test::bnFromWords(out).get(), expected.get()));
  }
  // Products are left loose: most random ones lie above n.
  EXPECT_GT(aboveN, rounds / 2);
}

TEST_F(ModTest, MultiplyOnEveryPairOfEdgeValues) {
  const std::vector<Words> edges = edgeValues();
  for (const Words& a : edges) {
    for (const Words& b : edges) {
      BnPtr expected = test::bnNew();
      BN_mod_mul(expected.get(), test::bnFromWords(a).get(), test::bnFromWords(b).get(), n_.get(),
                 ctx_.get());
      Words out;
      modMultiply(a, b, out);
      EXPECT_TRUE(test::bnEqual(residue(out).get(), expected.get()));
    }
  }
}

TEST_F(ModTest, ReduceWideMatchesOpenSsl) {
  WordSource source(kSeed + 3);
  std::vector<WideWords> inputs;
  WideWords topOnly{};
  topOnly[21] = 0xFFFF;
  inputs.push_back(topOnly);
  WideWords allOnes;
  allOnes.fill(0xFFFF);
  inputs.push_back(allOnes);
  inputs.push_back(WideWords{});
  for (int round = 0; round < 6000; ++round) {
    inputs.push_back(source.wideWords(round % 2 == 0));
  }
  for (const WideWords& wide : inputs) {
    BnPtr expected = reduced(test::bnFromWords(wide).get());
    WideWords scratch = wide;
    Words out;
    modReduceWide(scratch, out);
    ASSERT_TRUE(test::bnEqual(residue(out).get(), expected.get()));
  }
  // 0xFFFF * 2^336 in particular.
  WideWords scratch = topOnly;
  Words out;
  modReduceWide(scratch, out);
  BnPtr expected = test::bnFromWord(0xFFFF);
  BN_lshift(expected.get(), expected.get(), 336);
  EXPECT_TRUE(test::bnEqual(residue(out).get(), reduced(expected.get()).get()));
}

TEST_F(ModTest, ReduceWideMayWriteIntoItsOwnLowHalf) {
  WordSource source(kSeed + 4);
  for (int round = 0; round < 500; ++round) {
    const WideWords wide = source.wideWords(true);
    WideWords separate = wide;
    Words expected;
    modReduceWide(separate, expected);
    // out is the same storage as words 0..10 of wide, as a caller reusing its
    // product buffer would pass it.
    WideWords shared = wide;
    modReduceWide(shared, *reinterpret_cast<Words*>(shared.data()));
    for (int k = 0; k < 11; ++k) {
      ASSERT_EQ(shared[k], expected[k]);
    }
  }
}

TEST_F(ModTest, ReduceFinalIsCanonicalForEveryTopWord) {
  // Every value of word 10 (every fold quotient) with random lower words.
  WordSource source(kSeed + 5);
  for (std::uint32_t top = 0; top <= 0xFFFF; ++top) {
    Words x = source.words(top % 2 == 0);
    x[10] = static_cast<Word>(top);
    BnPtr expected = residue(x);
    modReduceFinal(x);
    ASSERT_TRUE(test::bnEqual(test::bnFromWords(x).get(), expected.get())) << top;
  }
}

TEST_F(ModTest, ReduceFinalKnownValues) {
  BnPtr nMinus1 = test::bnCopy(n_.get());
  BN_sub_word(nMinus1.get(), 1);
  BnPtr top = pow2(176);
  BN_sub_word(top.get(), 1);
  std::vector<std::pair<BnPtr, BnPtr>> cases;  // input, canonical residue
  cases.emplace_back(test::bnCopy(n_.get()), test::bnFromWord(0));
  cases.emplace_back(test::bnCopy(nMinus1.get()), test::bnCopy(nMinus1.get()));
  cases.emplace_back(pow2(162), pow2(162));
  cases.emplace_back(test::bnCopy(top.get()), reduced(top.get()));
  for (const auto& [input, expected] : cases) {
    Words x = test::wordsOf(input.get());
    modReduceFinal(x);
    EXPECT_TRUE(test::bnEqual(test::bnFromWords(x).get(), expected.get()))
        << test::bnToHex(input.get());
  }
  for (const Words& edge : edgeValues()) {
    Words y = edge;
    modReduceFinal(y);
    EXPECT_TRUE(test::bnEqual(test::bnFromWords(y).get(), residue(edge).get()));
  }
}

}  // namespace
}  // namespace otawrap
