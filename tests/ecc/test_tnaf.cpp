// tauNAF recoding checked independently: the constants are rederived from the
// Lucas sequence and from delta = 1 + tau + ... + tau^162 in Z[tau]; the digits
// are evaluated back in Z[tau] with BIGNUMs; and the reduced element is mapped
// to Z/n through the eigenvalue of tau on the order-n subgroup, found with
// OpenSSL's sect163k1 (tau(G) = lambda*G).
#include <gtest/gtest.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

#include <utility>
#include <vector>

#include "ecc/modn.h"
#include "ecc/tnaf.h"
#include "ecc/tnaf_internal.h"
#include "support/openssl_bignum.h"

namespace otawrap {
namespace {

using test::BnPtr;
using test::WordSource;

constexpr std::uint64_t kSeed = 0x6D6F646E33ull;  // fixed seed for every random case here
constexpr const char* kSec2OrderHex = "04000000000000000000020108A2E0CC0D99F8A5EF";

// An element a + b*tau of Z[tau], tau^2 = tau - 2.
struct TauElement {
  BnPtr a;
  BnPtr b;
};

class TnafTest : public ::testing::Test {
 protected:
  TnafTest() : ctx_(test::bnCtxNew()), n_(test::bnFromHex(kSec2OrderHex)) {}

  static BnPtr sum(const BIGNUM* x, const BIGNUM* y) {
    BnPtr r = test::bnNew();
    BN_add(r.get(), x, y);
    return r;
  }
  static BnPtr difference(const BIGNUM* x, const BIGNUM* y) {
    BnPtr r = test::bnNew();
    BN_sub(r.get(), x, y);
    return r;
  }
  BnPtr product(const BIGNUM* x, const BIGNUM* y) {
    BnPtr r = test::bnNew();
    BN_mul(r.get(), x, y, ctx_.get());
    return r;
  }
  BnPtr modN(const BIGNUM* x) {
    BnPtr r = test::bnNew();
    BN_nnmod(r.get(), x, n_.get(), ctx_.get());
    return r;
  }
  static BnPtr small(long value) {
    BnPtr r = test::bnFromWord(static_cast<unsigned long>(value < 0 ? -value : value));
    BN_set_negative(r.get(), value < 0 ? 1 : 0);
    return r;
  }

  // (a + b*tau) * tau = -2b + (a + b)*tau.
  static TauElement timesTau(const TauElement& x) {
    BnPtr minus2b = test::bnNew();
    BN_lshift1(minus2b.get(), x.b.get());
    BN_set_negative(minus2b.get(), !BN_is_negative(minus2b.get()) && !BN_is_zero(minus2b.get()));
    return TauElement{std::move(minus2b), sum(x.a.get(), x.b.get())};
  }

  // Decodes a digit array into digit values (0, +1, -1) by position; code 10
  // gives 2 so that the caller sees it.
  static std::vector<int> decode(const TnafDigits& digits) {
    std::vector<int> values(176);
    for (int p = 0; p < 176; ++p) {
      const unsigned code = (digits[p / 8] >> (2 * (p % 8))) & 3u;
      values[p] = code == 0 ? 0 : code == 1 ? 1 : code == 3 ? -1 : 2;
    }
    return values;
  }

  // sum of digit_p * tau^p, by Horner's rule from the top.
  static TauElement evaluate(const std::vector<int>& values) {
    TauElement acc{test::bnFromWord(0), test::bnFromWord(0)};
    for (int p = 175; p >= 0; --p) {
      acc = timesTau(acc);
      BnPtr digit = small(values[p]);
      acc.a = sum(acc.a.get(), digit.get());
    }
    return acc;
  }

  // d0, d1 from the Lucas sequence U_(j+1) = U_j - 2*U_(j-1).
  static std::pair<BnPtr, BnPtr> deltaFromLucas() {
    BnPtr previous = test::bnFromWord(0);
    BnPtr current = test::bnFromWord(1);
    for (int j = 1; j < 163; ++j) {
      BnPtr twice = test::bnNew();
      BN_lshift1(twice.get(), previous.get());
      BnPtr next = difference(current.get(), twice.get());
      previous = std::move(current);
      current = std::move(next);
    }
    // previous = U_162, current = U_163.
    BnPtr d1 = test::bnNew();
    BN_lshift1(d1.get(), previous.get());
    BN_add_word(d1.get(), 1);
    BN_sub(d1.get(), d1.get(), current.get());
    EXPECT_FALSE(BN_is_odd(d1.get()));
    BN_rshift1(d1.get(), d1.get());
    return {std::move(current), std::move(d1)};
  }

  // round(x * 2^176 / n), ties upward.
  BnPtr scaledReciprocal(const BIGNUM* x) {
    BnPtr numerator = test::bnNew();
    BN_lshift(numerator.get(), x, 177);
    BN_add(numerator.get(), numerator.get(), n_.get());
    BnPtr denominator = test::bnNew();
    BN_lshift1(denominator.get(), n_.get());
    BnPtr quotient = test::bnNew();
    BN_div(quotient.get(), nullptr, numerator.get(), denominator.get(), ctx_.get());
    return quotient;
  }

  // The root lambda of lambda^2 - lambda + 2 = 0 (mod n) with tau(G) = lambda*G.
  BnPtr tauEigenvalue() {
    EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sect163k1);
    EXPECT_NE(group, nullptr);
    BnPtr p = test::bnNew();
    BnPtr a = test::bnNew();
    BnPtr b = test::bnNew();
    EC_GROUP_get_curve(group, p.get(), a.get(), b.get(), ctx_.get());
    const EC_POINT* g = EC_GROUP_get0_generator(group);
    BnPtr gx = test::bnNew();
    BnPtr gy = test::bnNew();
    EC_POINT_get_affine_coordinates(group, g, gx.get(), gy.get(), ctx_.get());
    BN_GF2m_mod_sqr(gx.get(), gx.get(), p.get(), ctx_.get());
    BN_GF2m_mod_sqr(gy.get(), gy.get(), p.get(), ctx_.get());
    EC_POINT* frobenius = EC_POINT_new(group);
    EXPECT_EQ(EC_POINT_set_affine_coordinates(group, frobenius, gx.get(), gy.get(), ctx_.get()), 1);

    // lambda = (1 +- sqrt(-7)) / 2 (mod n).
    BnPtr minus7 = difference(n_.get(), test::bnFromWord(7).get());
    BnPtr root = test::bnNew();
    EXPECT_NE(BN_mod_sqrt(root.get(), minus7.get(), n_.get(), ctx_.get()), nullptr);
    BnPtr half = test::bnNew();
    BN_mod_inverse(half.get(), test::bnFromWord(2).get(), n_.get(), ctx_.get());
    BnPtr found;
    for (int sign : {1, -1}) {
      BnPtr candidate = sign > 0 ? sum(test::bnFromWord(1).get(), root.get())
                                 : difference(test::bnFromWord(1).get(), root.get());
      BN_mod_mul(candidate.get(), candidate.get(), half.get(), n_.get(), ctx_.get());
      EC_POINT* multiple = EC_POINT_new(group);
      EC_POINT_mul(group, multiple, nullptr, g, candidate.get(), ctx_.get());
      if (EC_POINT_cmp(group, multiple, frobenius, ctx_.get()) == 0) {
        EXPECT_EQ(found, nullptr) << "both roots act as tau";
        found = std::move(candidate);
      }
      EC_POINT_free(multiple);
    }
    EC_POINT_free(frobenius);
    EC_GROUP_free(group);
    EXPECT_NE(found, nullptr);
    return found;
  }

  // Everything that must hold for the recoding of k.
  void checkRecoding(const Words& k, const BIGNUM* lambda) {
    const BnPtr bk = test::bnFromWords(k);
    SCOPED_TRACE("k = " + test::bnToHex(bk.get()));
    Words r0;
    Words r1;
    WideWords scratch;
    tauPartialReduce(k, r0, r1, scratch);
    const BnPtr br0 = test::bnFromSignedWords(r0);
    const BnPtr br1 = test::bnFromSignedWords(r1);

    // The exact formula with each quotient rounded on its own (ties upward).
    const BnPtr d0 = test::bnFromWords(deltaD0);
    const BnPtr d1 = test::bnFromWords(deltaD1);
    BnPtr l0 = test::bnNew();
    BnPtr l1 = test::bnNew();
    for (auto [scale, quotient] : {std::make_pair(&lambdaScale0, l0.get()),
                                   std::make_pair(&lambdaScale1, l1.get())}) {
      BnPtr t = product(bk.get(), test::bnFromWords(*scale).get());
      BnPtr half = test::bnNew();
      BN_set_bit(half.get(), 175);
      BN_add(t.get(), t.get(), half.get());
      BN_rshift(quotient, t.get(), 176);
    }
    BnPtr twoL1D1 = product(l1.get(), d1.get());
    BN_lshift1(twoL1D1.get(), twoL1D1.get());
    const BnPtr expectedR0 = difference(
        difference(bk.get(), product(l0.get(), d0.get()).get()).get(), twoL1D1.get());
    const BnPtr expectedR1 =
        difference(product(l1.get(), sum(d0.get(), d1.get()).get()).get(),
                   product(l0.get(), d1.get()).get());
    ASSERT_TRUE(test::bnEqual(br0.get(), expectedR0.get())) << test::bnToDec(br0.get());
    ASSERT_TRUE(test::bnEqual(br1.get(), expectedR1.get())) << test::bnToDec(br1.get());

    // Small: |r0|, |r1| < 2^82 and norm below 1.001 n.
    EXPECT_LE(BN_num_bits(br0.get()), 82);
    EXPECT_LE(BN_num_bits(br1.get()), 82);
    BnPtr norm = sum(product(br0.get(), br0.get()).get(), product(br0.get(), br1.get()).get());
    BnPtr twoR1Squared = product(br1.get(), br1.get());
    BN_lshift1(twoR1Squared.get(), twoR1Squared.get());
    norm = sum(norm.get(), twoR1Squared.get());
    BnPtr bound = product(n_.get(), test::bnFromWord(1001).get());
    EXPECT_LT(BN_cmp(product(norm.get(), test::bnFromWord(1000).get()).get(), bound.get()), 0);

    // k - rho is a multiple of delta: (a + b*tau) * conj(delta) has both
    // coefficients divisible by n, where conj(delta) = (d0 + d1) - d1*tau.
    const BnPtr a = difference(bk.get(), br0.get());
    const BnPtr b = difference(test::bnFromWord(0).get(), br1.get());
    BnPtr twoBD1 = product(b.get(), d1.get());
    BN_lshift1(twoBD1.get(), twoBD1.get());
    EXPECT_TRUE(BN_is_zero(
        modN(sum(product(a.get(), sum(d0.get(), d1.get()).get()).get(), twoBD1.get()).get())
            .get()));
    EXPECT_TRUE(BN_is_zero(
        modN(difference(product(b.get(), d0.get()).get(), product(a.get(), d1.get()).get()).get())
            .get()));

    // rho acts as k on the order-n subgroup: r0 + r1*lambda = k (mod n).
    EXPECT_TRUE(test::bnEqual(
        modN(sum(br0.get(), product(br1.get(), lambda).get()).get()).get(), modN(bk.get()).get()));

    // The digits: valid codes, non-adjacent, within 165 positions, and they sum
    // back to r0 + r1*tau.
    TnafDigits digits;
    digits.fill(0xBEEF);  // the recoding clears the array itself
    tauNafRecode(k, digits);
    const std::vector<int> values = decode(digits);
    for (int p = 0; p < 176; ++p) {
      ASSERT_NE(values[p], 2) << "code 10 at position " << p;
      if (p >= 165) {
        ASSERT_EQ(values[p], 0) << "digit beyond position 164: " << p;
      }
      if (p > 0) {
        ASSERT_FALSE(values[p] != 0 && values[p - 1] != 0) << "adjacent digits at " << p;
      }
    }
    const TauElement rho = evaluate(values);
    EXPECT_TRUE(test::bnEqual(rho.a.get(), br0.get())) << test::bnToDec(rho.a.get());
    EXPECT_TRUE(test::bnEqual(rho.b.get(), br1.get())) << test::bnToDec(rho.b.get());
  }

  test::BnCtxPtr ctx_;
  BnPtr n_;
};

// --- constants ------------------------------------------------------------------

TEST_F(TnafTest, DeltaMatchesLucasSequenceAndGeometricSum) {
  auto [d0, d1] = deltaFromLucas();
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(deltaD0).get(), d0.get()));
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(deltaD1).get(), d1.get()));
  EXPECT_TRUE(test::bnEqual(d0.get(), test::bnFromDec("1824026374634505274957943").get()));
  EXPECT_TRUE(test::bnEqual(d1.get(), test::bnFromDec("755360064476226375461594").get()));

  // delta = 1 + tau + ... + tau^162, evaluated in Z[tau].
  std::vector<int> ones(176, 0);
  for (int p = 0; p < 163; ++p) {
    ones[p] = 1;
  }
  const TauElement delta = evaluate(ones);
  EXPECT_TRUE(test::bnEqual(delta.a.get(), d0.get()));
  EXPECT_TRUE(test::bnEqual(delta.b.get(), d1.get()));

  // Its norm is the group order.
  BnPtr norm = sum(product(d0.get(), d0.get()).get(), product(d0.get(), d1.get()).get());
  BnPtr twoD1Squared = product(d1.get(), d1.get());
  BN_lshift1(twoD1Squared.get(), twoD1Squared.get());
  norm = sum(norm.get(), twoD1Squared.get());
  EXPECT_TRUE(test::bnEqual(norm.get(), n_.get()));
  EXPECT_TRUE(test::bnEqual(norm.get(), test::bnFromWords(groupOrder).get()));
}

TEST_F(TnafTest, LambdaScalesAreRoundedReciprocals) {
  const BnPtr d0 = test::bnFromWords(deltaD0);
  const BnPtr d1 = test::bnFromWords(deltaD1);
  const BnPtr s0 = sum(d0.get(), d1.get());
  EXPECT_TRUE(test::bnEqual(s0.get(), test::bnFromDec("2579386439110731650419537").get()));
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(lambdaScale0).get(),
                            scaledReciprocal(s0.get()).get()));
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(lambdaScale1).get(),
                            scaledReciprocal(d1.get()).get()));
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(lambdaScale0).get(),
                            test::bnFromDec("42260667418390227360473676694").get()));
  EXPECT_TRUE(test::bnEqual(test::bnFromWords(lambdaScale1).get(),
                            test::bnFromDec("12375819296378492935562750967").get()));
}

TEST_F(TnafTest, ConstantsAreStored24BytesApartWithZeroWords) {
  const auto* base = reinterpret_cast<const unsigned char*>(&tauConstants[0]);
  const Words* named[] = {&deltaD0, &deltaD1, &lambdaScale0, &lambdaScale1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(named[i]) - base, 24 * i);
    EXPECT_EQ(tauConstants[i].zero, 0);
  }
}

TEST_F(TnafTest, EigenvalueOfTauIsARootOfItsCharacteristicPolynomial) {
  const BnPtr lambda = tauEigenvalue();
  ASSERT_NE(lambda, nullptr);
  // lambda^2 - lambda + 2 = 0 (mod n).
  BnPtr value = product(lambda.get(), lambda.get());
  value = difference(value.get(), lambda.get());
  BN_add_word(value.get(), 2);
  EXPECT_TRUE(BN_is_zero(modN(value.get()).get()));
}

// --- recoding ---------------------------------------------------------------------

TEST_F(TnafTest, KnownSmallScalars) {
  BnPtr nMinus1 = difference(n_.get(), test::bnFromWord(1).get());
  BnPtr nMinus2 = difference(n_.get(), test::bnFromWord(2).get());
  struct Case {
    Words k;
    long r0;
    long r1;
    Word word0;
  } cases[] = {
      {test::wordsOf(test::bnFromWord(0).get()), 0, 0, 0x0000},
      {test::wordsOf(test::bnFromWord(1).get()), 1, 0, 0x0001},
      {test::wordsOf(test::bnFromWord(2).get()), 2, 0, 0x00CC},   // -tau^3 - tau
      {test::wordsOf(test::bnFromWord(3).get()), 3, 0, 0x0413},   // tau^5 + tau^2 - 1
      {test::wordsOf(nMinus1.get()), -1, 0, 0x0003},              // -1
      {test::wordsOf(nMinus2.get()), -2, 0, 0x0044},              // tau^3 + tau
  };
  for (const Case& c : cases) {
    Words r0;
    Words r1;
    WideWords scratch;
    tauPartialReduce(c.k, r0, r1, scratch);
    EXPECT_TRUE(test::bnEqual(test::bnFromSignedWords(r0).get(), small(c.r0).get()));
    EXPECT_TRUE(test::bnEqual(test::bnFromSignedWords(r1).get(), small(c.r1).get()));
    TnafDigits digits;
    digits.fill(0xFFFF);
    tauNafRecode(c.k, digits);
    EXPECT_EQ(digits[0], c.word0);
    for (int w = 1; w < 22; ++w) {
      EXPECT_EQ(digits[w], 0) << "word " << w;
    }
  }
}

TEST_F(TnafTest, EdgeScalarsSatisfyEveryProperty) {
  const BnPtr lambda = tauEigenvalue();
  ASSERT_NE(lambda, nullptr);
  std::vector<BnPtr> scalars;
  for (unsigned long v : {0ul, 1ul, 2ul, 3ul, 4ul, 5ul, 7ul, 0xFFFFul}) {
    scalars.push_back(test::bnFromWord(v));
  }
  for (unsigned long below : {1ul, 2ul, 3ul, 4ul, 1000ul}) {
    scalars.push_back(difference(n_.get(), test::bnFromWord(below).get()));
  }
  // Near the rounding boundaries of the quotients: k * s0 / n and k * d1 / n
  // close to half-integers, and powers of two.
  for (int bit = 1; bit < 163; bit += 7) {
    BnPtr power = test::bnNew();
    BN_set_bit(power.get(), bit);
    scalars.push_back(std::move(power));
  }
  const BnPtr d0 = test::bnFromWords(deltaD0);
  const BnPtr d1 = test::bnFromWords(deltaD1);
  BnPtr half = test::bnNew();
  BN_rshift1(half.get(), n_.get());
  scalars.push_back(std::move(half));
  scalars.push_back(sum(d0.get(), d1.get()));
  scalars.push_back(test::bnCopy(d0.get()));
  scalars.push_back(test::bnCopy(d1.get()));
  for (const BnPtr& k : scalars) {
    checkRecoding(test::wordsOf(k.get()), lambda.get());
  }
}

TEST_F(TnafTest, RandomScalarsSatisfyEveryProperty) {
  const BnPtr lambda = tauEigenvalue();
  ASSERT_NE(lambda, nullptr);
  WordSource source(kSeed);
  int topWordDigits = 0;  // digits landing in the top two bits of a word
  for (int round = 0; round < 2000; ++round) {
    Words k = source.words(round % 4 == 0);
    modReduceFinal(k);
    checkRecoding(k, lambda.get());
    if (HasFatalFailure()) {
      return;
    }
    TnafDigits digits;
    tauNafRecode(k, digits);
    for (Word w : digits) {
      topWordDigits += (w & 0xC000u) != 0 ? 1 : 0;
    }
  }
  EXPECT_GT(topWordDigits, 0);
}

TEST_F(TnafTest, MostScalarsUseAboutOneHundredSixtyThreePositions) {
  // The partial reduction keeps expansions near 163 digits instead of ~326.
  WordSource source(kSeed + 1);
  int longest = 0;
  for (int round = 0; round < 500; ++round) {
    Words k = source.words(false);
    modReduceFinal(k);
    TnafDigits digits;
    tauNafRecode(k, digits);
    int top = -1;
    for (int p = 0; p < 176; ++p) {
      if (((digits[p / 8] >> (2 * (p % 8))) & 3u) != 0) {
        top = p;
      }
    }
    longest = top + 1 > longest ? top + 1 : longest;
  }
  EXPECT_GE(longest, 160);
  EXPECT_LE(longest, 165);
}

}  // namespace
}  // namespace otawrap
