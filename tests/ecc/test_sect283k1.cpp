// sect283k1: the field against OpenSSL's BN_GF2m and a bit-by-bit reference
// (both paths, the same limbs), the curve constants and G's tau table against
// OpenSSL, the regular digits of kG against the exact tau-adic sum, scalar
// multiplications and the arithmetic modulo n against OpenSSL, and the point
// encodings with every refusal.
#include <gtest/gtest.h>

#include <vector>

#include "ecc/cpu_features.h"
#include "ecc/field283_clmul.h"
#include "ecc/order283.h"
#include "ecc/scalar_mult283.h"
#include "ecc/tau_table283.h"
#include "ecc/tnaf283.h"
#include "support/field_reference.h"
#include "support/openssl_sect283k1.h"

namespace otawrap {

bool operator==(const Affine283& a, const Affine283& b) { return a.x == b.x && a.y == b.y; }

namespace {

using test::Source283;

constexpr int kRounds = 400;

const Field283 kOne = {1, 0, 0, 0, 0};
const Field283 kTop = {~Limb{0}, ~Limb{0}, ~Limb{0}, ~Limb{0}, (Limb{1} << 27) - 1u};

// Inputs that stress the reduction as well as random ones.
std::vector<Field283> fieldInputs() {
  std::vector<Field283> inputs = {kOne, kTop, {0, 0, 0, 0, Limb{1} << 26}, {Limb{1} << 63, 0, 0, 0, 0}};
  Source283 source(283);
  while (inputs.size() < kRounds) {
    inputs.push_back(source.element());
  }
  return inputs;
}

TEST(Field283, MultiplySquareAndInvertMatchTheOraclesOnBothPaths) {
  const auto inputs = fieldInputs();
  const bool clmul = cpuFeatures().pclmul;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const Field283& a = inputs[i];
    const Field283& b = inputs[(i * 7 + 3) % inputs.size()];
    const Field283 expected = test::sslField283Multiply(a, b);
    Field283 out;
    field283Multiply(a, b, out);
    EXPECT_EQ(out, expected) << i;
    field283MultiplyPortable(a, b, out);
    EXPECT_EQ(out, expected) << i;
    if (i < 40) {
      EXPECT_EQ(test::slowField283Multiply(a, b), expected) << i;
    }
    const Field283 square = test::sslField283Multiply(a, a);
    field283Square(a, out);
    EXPECT_EQ(out, square) << i;
    field283SquarePortable(a, out);
    EXPECT_EQ(out, square) << i;
    if (clmul) {
      field283MultiplyClmul(a, b, out);
      EXPECT_EQ(out, expected) << i;
      field283SquareClmul(a, out);
      EXPECT_EQ(out, square) << i;
    }
    const Field283 inverse = test::sslField283Invert(a);
    ASSERT_EQ(field283Invert(a, out), 0);
    EXPECT_EQ(out, inverse) << i;
    if (i < 50) {
      ASSERT_EQ(field283InvertPortable(a, out), 0);
      EXPECT_EQ(out, inverse) << i;
    }
  }
  Field283 untouched = kOne;
  EXPECT_EQ(field283Invert(Field283{}, untouched), kField283NoInverse);
  EXPECT_EQ(field283InvertPortable(Field283{}, untouched), kField283NoInverse);
  EXPECT_EQ(untouched, kOne);
}

TEST(Field283, SquareTimesAndTheQuadraticSolver) {
  Source283 source(7);
  int solved = 0;
  for (int i = 0; i < 60; ++i) {
    const Field283 a = source.element();
    Field283 expected = a;
    for (int c = 0; c < i; ++c) {
      field283SquarePortable(expected, expected);
    }
    Field283 out;
    field283SquareTimes(a, i, out);
    EXPECT_EQ(out, expected) << i;
    Field283 z;
    if (field283SolveQuadratic(a, z) != 0) {
      ++solved;
      Field283 check;
      field283Square(z, check);
      field283Add(check, z, check);
      EXPECT_EQ(check, a);
    }
  }
  EXPECT_GT(solved, 10);  // half of all elements have trace zero
  EXPECT_LT(solved, 50);
}

TEST(Sect283k1, ConstantsMatchOpenssl) {
  EXPECT_EQ(sect283k1Order, test::sslOrder283());
  EXPECT_TRUE(sect283k1Generator == test::sslGenerator283());
  EXPECT_EQ(kOrder283Montgomery.order[0] * kOrder283Montgomery.factor, ~Limb{0});
}

// Entry j as a + b tau (tau^2 = -tau - 2).
constexpr long kTauExpressions[kTau283Entries][2] = {{1, 0},  {-1, -1}, {3, 1},  {3, -1},
                                                     {-1, 1}, {3, 3},   {-1, -3}, {1, 2},
                                                     {-3, -4}, {5, 4},  {1, -2}};

// Each tau-adic entry of G is (a + b tau)G = aG + b tau(G) for the integers
// its expression reduces to with tau^2 = -tau - 2; delta's norm is n.
TEST(Sect283k1, TauConstantsAndTheTauTableOfGMatchOpenssl) {
  const Affine283 tauG{test::sslField283Multiply(sect283k1Generator.x, sect283k1Generator.x),
                       test::sslField283Multiply(sect283k1Generator.y, sect283k1Generator.y)};
  const auto signedMultiple = [](long v, const Affine283& P) {
    Limbs<5> k{static_cast<Limb>(v < 0 ? -v : v), 0, 0, 0, 0};
    if (v < 0) {
      limbsSub(sect283k1Order, k, k);
    }
    return test::sslMultiplyPoint283(k, P);
  };
  Affine283 table[kTau283Entries];
  tau283TableBuild(sect283k1Generator, table);
  for (std::size_t j = 0; j < kTau283Entries; ++j) {
    const Affine283 expected = test::sslPointAdd283(signedMultiple(kTauExpressions[j][0], sect283k1Generator),
                                                    signedMultiple(kTauExpressions[j][1], tauG));
    EXPECT_TRUE(sect283k1TauTable[j] == expected) << j;
    EXPECT_TRUE(table[j] == expected) << j;
  }
  // n = d0^2 - d0 d1 + 2 d1^2.
  const Limbs<5> d0{kTau283.d0[0], kTau283.d0[1], kTau283.d0[2], 0, 0};
  const Limbs<5> d1{kTau283.d1[0], kTau283.d1[1], kTau283.d1[2], 0, 0};
  Limbs<5> norm{};
  Limbs<5> t;
  // All products are below 2^290 < 2^320: plain limb arithmetic.
  const auto times = [](const Limbs<5>& a, const Limbs<5>& b) {
    Limbs<5> out{};
    for (std::size_t i = 0; i < 5; ++i) {
      Limb carry = 0;
      for (std::size_t j = 0; i + j < 5; ++j) {
        out[i + j] = limbMultiplyAdd(a[i], b[j], out[i + j], carry, carry);
      }
    }
    return out;
  };
  limbsAdd(times(d0, d0), times(d1, d1), norm);
  limbsAdd(norm, times(d1, d1), norm);
  t = times(d0, d1);
  limbsSub(norm, t, norm);
  EXPECT_EQ(norm, sect283k1Order);
}

// Scalars that reach the ends of the recoding and both parities.
std::vector<Limbs<5>> scalarInputs() {
  Limbs<5> nMinus1;
  Limbs<5> nMinus2;
  limbsSub(sect283k1Order, Limbs<5>{1, 0, 0, 0, 0}, nMinus1);
  limbsSub(sect283k1Order, Limbs<5>{2, 0, 0, 0, 0}, nMinus2);
  std::vector<Limbs<5>> inputs = {{1, 0, 0, 0, 0}, {2, 0, 0, 0, 0}, {15, 0, 0, 0, 0},
                                  {16, 0, 0, 0, 0}, {17, 0, 0, 0, 0}, nMinus1, nMinus2,
                                  {0, 0, 0, 0, Limb{1} << 24}};
  Source283 source(99);
  while (inputs.size() < 40) {
    inputs.push_back(source.scalar());
  }
  return inputs;
}

// a * c mod 2^192 (two's complement) for a small c.
Limbs<3> scaled(const Limbs<3>& a, long c) {
  Limbs<3> out{};
  for (long i = 0; i < (c < 0 ? -c : c); ++i) {
    limbsAdd(out, a, out);
  }
  if (c < 0) {
    limbsSub(Limbs<3>{}, out, out);
  }
  return out;
}

// The regular digits: each +-entry of its slot (the entry's residue mod tau^5
// is 4 slot + 1), and their sum of a_i tau^(4i) is exactly the partial
// reduction made odd. kG on them against OpenSSL, edge and random scalars; 0
// gives the point at infinity.
TEST(Sect283k1, RegularDigitsSumToTheScalarAndKgMatchesOpenssl) {
  for (std::size_t s = 0; s < kTau283RegularSlots; ++s) {
    const long* e = kTauExpressions[kTau283RegularEntry[s]];
    EXPECT_EQ(((e[0] + 26 * e[1]) % 32 + 32) % 32, static_cast<long>(4 * s + 1)) << s;
  }
  std::vector<Limbs<5>> scalars = scalarInputs();
  for (const Limbs<5>& k : {Limbs<5>{}, Limbs<5>{3, 0, 0, 0, 0}, Limbs<5>{~Limb{0}, 0, 0, 0, 0}}) {
    scalars.push_back(k);
  }
  Source283 source(0x726567);  // "reg"
  while (scalars.size() < 250) {
    scalars.push_back(source.scalar());
  }
  for (std::size_t i = 0; i < scalars.size(); ++i) {
    const Limbs<5>& k = scalars[i];
    Tau283RegularDigits digits;
    tau283RegularRecode(k, digits);
    // sum = sum * tau^4 + digit, tau^4 = 2 + 3 tau.
    Limbs<3> sum0{};
    Limbs<3> sum1{};
    for (std::size_t j = kTau283RegularDigits; j-- > 0;) {
      ASSERT_LT(digits[j], 16) << i;
      const long* e = kTauExpressions[kTau283RegularEntry[digits[j] & 7u]];
      const long sign = (digits[j] & 8u) != 0 ? -1 : 1;
      Limbs<3> next0;
      Limbs<3> next1;
      limbsSub(scaled(sum0, 2), scaled(sum1, 6), next0);
      limbsAdd(next0, scaled(Limbs<3>{1, 0, 0}, sign * e[0]), next0);
      limbsSub(scaled(sum0, 3), sum1, next1);
      limbsAdd(next1, scaled(Limbs<3>{1, 0, 0}, sign * e[1]), next1);
      sum0 = next0;
      sum1 = next1;
    }
    Limbs<3> r0;
    Limbs<3> r1;
    tau283PartialReduce(k, r0, r1);
    if ((r0[0] & 1u) == 0) {
      limbsAdd(r0, kTau283.d0, r0);
      limbsAdd(r1, kTau283.d1, r1);
    }
    EXPECT_EQ(sum0, r0) << i;
    EXPECT_EQ(sum1, r1) << i;
    Affine283 out = sect283k1Generator;
    if (limbsIsZero(k) != 0) {
      EXPECT_EQ(sect283k1MultiplyBase(k, out), 0);
      EXPECT_TRUE(out == sect283k1Generator);  // untouched
      continue;
    }
    ASSERT_EQ(sect283k1MultiplyBase(k, out), 1) << i;
    EXPECT_TRUE(out == test::sslMultiplyGenerator283(k)) << i;
  }
}

TEST(Sect283k1, MultiplicationsMatchOpenssl) {
  const auto scalars = scalarInputs();
  const Affine283 P = test::sslMultiplyGenerator283(Limbs<5>{0x1234567, 0, 0, 0, 0});
  for (std::size_t i = 0; i < scalars.size(); ++i) {
    const Limbs<5>& k = scalars[i];
    const Limbs<5>& other = scalars[(i + 5) % scalars.size()];
    Affine283 out;
    ASSERT_EQ(sect283k1MultiplyPoint(k, P, out), 1);
    EXPECT_TRUE(out == test::sslMultiplyPoint283(k, P)) << i;
    ASSERT_EQ(sect283k1MultiplyCombined(k, other, P, out), 1);
    EXPECT_TRUE(out == test::sslPointAdd283(test::sslMultiplyGenerator283(k),
                                            test::sslMultiplyPoint283(other, P)))
        << i;
    EXPECT_EQ(point283IsOnCurve(out), 1);
    // The tauNAF digits: no two adjacent nonzero, and their Horner sum on G is k*G.
    Tnaf283Digits digits;
    const int length = tnaf283Recode(k, digits);
    EXPECT_LE(length, 290);
    for (int p = 0; p + 1 < length; ++p) {
      EXPECT_FALSE(digits[static_cast<std::size_t>(p)] != 0 && digits[static_cast<std::size_t>(p) + 1] != 0);
    }
  }
  // k*G + (n - k)*G is the point at infinity; so is n*P.
  Limbs<5> k = scalars[9];
  Limbs<5> rest;
  limbsSub(sect283k1Order, k, rest);
  Affine283 out;
  EXPECT_EQ(sect283k1MultiplyCombined(k, rest, sect283k1Generator, out), 0);
  EXPECT_EQ(sect283k1MultiplyPoint(sect283k1Order, P, out), 0);
}

TEST(Order283, ArithmeticMatchesBignum) {
  Source283 source(5);
  for (int i = 0; i < kRounds; ++i) {
    const Limbs<5> a = source.scalar();
    const Limbs<5> b = source.scalar();
    Scalar283 out;
    scalar283Multiply(a, b, out);
    EXPECT_EQ(out, test::sslModMultiply283(a, b)) << i;
    if (limbsIsZero(a) == 0) {
      ASSERT_EQ(scalar283Invert(a, out), 0);
      EXPECT_EQ(out, test::sslModInvert283(a)) << i;
    }
    scalar283Add(a, b, out);
    Scalar283 sum;
    limbsAdd(a, b, sum);
    EXPECT_EQ(out, test::sslModMultiply283(sum, Limbs<5>{1, 0, 0, 0, 0})) << i;
    // 40 octets of anything reduce as BIGNUM does.
    std::uint8_t octets[40];
    for (std::size_t j = 0; j < sizeof octets; ++j) {
      octets[j] = static_cast<std::uint8_t>(a[j % 5] >> (j % 8 * 8) ^ b[j % 3]);
    }
    Limbs<5> raw;
    limbsFromOctets(octets, sizeof octets, raw);
    scalar283FromOctets(octets, sizeof octets, out);
    EXPECT_EQ(out, test::sslModMultiply283(raw, Limbs<5>{1, 0, 0, 0, 0})) << i;
  }
  Scalar283 untouched{7, 0, 0, 0, 0};
  EXPECT_EQ(scalar283Invert(Scalar283{}, untouched), kScalar283NoInverse);
  EXPECT_EQ(scalar283InRange(sect283k1Order), 0);
  EXPECT_EQ(scalar283InRange(Scalar283{}), 0);
  EXPECT_EQ(scalar283InRange(Scalar283{1, 0, 0, 0, 0}), 1);
}

std::vector<std::uint8_t> encoded(const Affine283& P, bool compressed) {
  std::vector<std::uint8_t> out(compressed ? kPoint283CompressedOctets : kPoint283UncompressedOctets);
  if (compressed) {
    point283EncodeCompressed(P, out.data());
  } else {
    point283EncodeUncompressed(P, out.data());
  }
  return out;
}

TEST(Point283, DecodingRoundTripsAndRefusesEveryFault) {
  Source283 source(11);
  for (int i = 0; i < 20; ++i) {
    const Affine283 P = test::sslMultiplyGenerator283(source.scalar());
    for (bool compressed : {true, false}) {
      const auto octets = encoded(P, compressed);
      Affine283 out{};
      ASSERT_EQ(point283Decode(octets.data(), octets.size(), out), Point283Status::ok);
      EXPECT_TRUE(out == P);
    }
  }
  const Affine283 P = sect283k1Generator;
  // P + (0, 1), of order 2n: on the curve, wrong order.
  const Affine283 twoN = test::sslPointAdd283(P, Affine283{{}, kOne});
  struct Case {
    const char* name;
    std::vector<std::uint8_t> octets;
    Point283Status status;
  };
  std::vector<Case> cases = {
      {"empty", {}, Point283Status::badLength},
      {"one short", encoded(P, true), Point283Status::badLength},
      {"infinity", {0x00}, Point283Status::badLength},
      {"compressed with 04", encoded(P, true), Point283Status::badPrefix},
      {"uncompressed with 02", encoded(P, false), Point283Status::badPrefix},
      {"x of 2^283", encoded(P, true), Point283Status::notInField},
      {"y of 2^283", encoded(P, false), Point283Status::notInField},
      {"x zero", std::vector<std::uint8_t>(37, 0), Point283Status::notOnCurve},
      {"y off the curve", encoded(P, false), Point283Status::notOnCurve},
      {"order 2n, compressed", encoded(twoN, true), Point283Status::wrongOrder},
      {"order 2n, uncompressed", encoded(twoN, false), Point283Status::wrongOrder},
  };
  cases[1].octets.pop_back();
  cases[3].octets[0] = 0x04;
  cases[4].octets[0] = 0x02;
  cases[5].octets[1] |= 0x08;
  cases[6].octets[37] |= 0x08;
  cases[7].octets[0] = 0x02;
  cases[8].octets[72] ^= 1;
  for (const Case& c : cases) {
    Affine283 out{};
    EXPECT_EQ(point283Decode(c.octets.data(), c.octets.size(), out), c.status) << c.name;
    EXPECT_TRUE(out == Affine283{}) << c.name;
  }
  // An x with no point: trace of x + 1/x^2 is one for about half of all x.
  Source283 xs(3);
  int refused = 0;
  for (int i = 0; i < 20; ++i) {
    std::vector<std::uint8_t> octets(37, 0);
    octets[0] = 0x02;
    limbsToOctets(xs.element(), 36, octets.data() + 1);
    Affine283 out;
    const Point283Status status = point283Decode(octets.data(), octets.size(), out);
    refused += status == Point283Status::notOnCurve ? 1 : 0;
    EXPECT_TRUE(status == Point283Status::notOnCurve || status == Point283Status::wrongOrder ||
                status == Point283Status::ok);
  }
  EXPECT_GT(refused, 2);
}

}  // namespace
}  // namespace otawrap
