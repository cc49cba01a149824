// Run-time window tables against OpenSSL's (a + b*tau)Q and the slow
// evaluation of their window digits; u1*G + u2*Q from two cursors against
// EC_POINT_mul(group, R, u1, Q, u2, ctx) and against two separate products.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ecc/base_point_table.h"
#include "ecc/modn.h"
#include "ecc/multi_scalar.h"
#include "ecc/point_table.h"
#include "support/field_reference.h"
#include "support/openssl_curve.h"
#include "support/openssl_field.h"
#include "support/openssl_verify.h"

namespace otawrap {
namespace {

// Random tests draw from std::mt19937_64 with the seed given at each use.
Words randomWords(std::mt19937_64& rng, unsigned topMask = 0xFFFF) {
  Words k;
  for (auto& w : k) w = static_cast<Word>(rng());
  k[10] = static_cast<Word>(k[10] & topMask);
  return k;
}

// value mod n for a small signed value, as 11 words.
Words signedScalar(long value) {
  Words k{};
  k[0] = static_cast<Word>(value < 0 ? -value : value);
  if (value < 0) {
    Words n = groupOrder;
    wordsSub(n.data(), k.data(), k.data(), kWordCount);
  }
  return k;
}

AffinePoint tau(const AffinePoint& P) {
  return AffinePoint{test::sslFieldSquare(P.x), test::sslFieldSquare(P.y)};
}

// (a + b*tau)Q with OpenSSL's group law.
AffinePoint sslTauCombinationOf(const AffinePoint& Q, long a, long b) {
  return test::sslPointAdd(test::sslMultiplyPoint(signedScalar(a), Q),
                           test::sslMultiplyPoint(signedScalar(b), tau(Q)));
}

// Sum of digits[p] * tau^p(Q), Horner from the top, in the slow reference.
AffinePoint slowEvaluate(const std::vector<int>& digits, const AffinePoint& Q) {
  AffinePoint sum{};
  for (int p = static_cast<int>(digits.size()) - 1; p >= 0; --p) {
    sum = AffinePoint{test::slowFieldMultiply(sum.x, sum.x), test::slowFieldMultiply(sum.y, sum.y)};
    if (digits[p] != 0) {
      sum = test::slowPointAdd(sum, digits[p] > 0 ? Q : test::slowPointNegate(Q));
    }
  }
  return sum;
}

struct EntryForm {
  int index;              // -5..5
  long a, b;              // (a + b*tau)
  std::vector<int> digits;  // window digits, lowest position first
};
// The forms of the stored G table, restated from its definition.
const EntryForm kForms[] = {
    {-5, -1, -2, {-1, 0, 1, 0, 1}}, {-4, 1, -3, {-1, 0, 0, 0, 1}}, {-3, 3, -4, {-1, 0, -1, 0, 1}},
    {-2, -3, -1, {-1, 0, 0, 1}},    {-1, -3, 1, {-1, 0, 1}},       {0, 1, 0, {1}},
    {1, -1, 1, {1, 0, 1}},          {2, -1, -1, {1, 0, 0, 1}},     {3, 5, -4, {1, 0, -1, 0, 1}},
    {4, 3, -3, {1, 0, 0, 0, 1}},    {5, 1, -2, {1, 0, 1, 0, 1}},
};

TEST(PointTable, BuiltForGReproducesTheStoredTable) {
  AffinePoint table[kPointTableEntries];
  pointTableBuild(basePointTable[5], table);
  for (int j = 0; j < kPointTableEntries; ++j) {
    EXPECT_EQ(table[j], basePointTable[j]) << "entry " << j - 5;
  }
}

TEST(PointTable, EveryEntryMatchesOpenSslTauCombinationAndTheSlowDigits) {
  std::mt19937_64 rng(1101);
  for (int round = 0; round < 4; ++round) {
    const AffinePoint Q = test::sslMultiplyGenerator(randomWords(rng, 3));
    AffinePoint table[kPointTableEntries];
    pointTableBuild(Q, table);
    for (const EntryForm& form : kForms) {
      SCOPED_TRACE(form.index);
      const AffinePoint& entry = table[form.index + 5];
      EXPECT_EQ(entry, sslTauCombinationOf(Q, form.a, form.b));
      if (round == 0) {
        EXPECT_EQ(entry, slowEvaluate(form.digits, Q));
      }
      EXPECT_LE(entry.x[10], 7) << "canonical";
      EXPECT_LE(entry.y[10], 7) << "canonical";
    }
  }
}

TEST(PointTable, PartiallyReducedInputGivesTheSameTable) {
  const AffinePoint Q = test::sslMultiplyGenerator(Words{0x1234, 0x5678});
  AffinePoint loose = Q;
  for (int w = 0; w < 11; ++w) {
    loose.x[w] ^= fieldPolynomial[w];
    loose.y[w] ^= fieldPolynomial[w];
  }
  AffinePoint a[kPointTableEntries];
  AffinePoint b[kPointTableEntries];
  pointTableBuild(Q, a);
  pointTableBuild(loose, b);
  for (int j = 0; j < kPointTableEntries; ++j) {
    EXPECT_EQ(a[j], b[j]) << j;
  }
}

AffinePoint combined(Words u1, Words u2, const AffinePoint& Q) {
  AffinePoint table[kPointTableEntries];
  pointTableBuild(Q, table);
  AffinePoint out;
  out.x.fill(0xEEEE);
  out.y.fill(0xEEEE);
  scalarMultiplyCombined(out, u1, basePointEntry0, u2, &table[5]);
  return out;
}

Words orderPlus(long delta) {
  Words k = groupOrder;
  Words d{};
  d[0] = static_cast<Word>(delta < 0 ? -delta : delta);
  if (delta < 0) {
    wordsSub(k.data(), d.data(), k.data(), kWordCount);
  } else {
    wordsAdd(k.data(), d.data(), k.data(), kWordCount);
  }
  return k;
}

TEST(ScalarMultiplyCombined, EdgeScalarsMatchOpenSsl) {
  Words all;
  all.fill(0xFFFF);
  const std::vector<Words> edges = {Words{},       Words{1},      Words{2},     Words{3},
                                    orderPlus(-1), orderPlus(-2), groupOrder,   orderPlus(1),
                                    all,           Words{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4}};
  std::mt19937_64 rng(17);
  const AffinePoint Q = test::sslMultiplyGenerator(randomWords(rng, 3));
  const AffinePoint G = basePointTable[5];
  const AffinePoint minusG = test::slowPointNegate(G);
  for (const AffinePoint& point : {Q, G, minusG}) {
    for (std::size_t i = 0; i < edges.size(); ++i) {
      for (std::size_t j = 0; j < edges.size(); ++j) {
        SCOPED_TRACE(testing::Message() << "u1 #" << i << ", u2 #" << j);
        EXPECT_EQ(combined(edges[i], edges[j], point),
                  test::sslMultiplyCombined(edges[i], point, edges[j]));
      }
    }
  }
}

TEST(ScalarMultiplyCombined, RandomScalarsMatchOpenSslAndTwoSeparateProducts) {
  std::mt19937_64 rng(2024);
  for (int round = 0; round < 200; ++round) {
    const AffinePoint Q = test::sslMultiplyGenerator(randomWords(rng, 3));
    const Words u1 = randomWords(rng, round % 3 == 0 ? 0xFFFF : 3);
    const Words u2 = randomWords(rng, round % 5 == 0 ? 0xFFFF : 3);
    const AffinePoint ours = combined(u1, u2, Q);
    EXPECT_EQ(ours, test::sslMultiplyCombined(u1, Q, u2)) << round;
    if (round < 20) {
      EXPECT_EQ(ours, test::sslPointAdd(test::sslMultiplyGenerator(u1), test::sslMultiplyPoint(u2, Q)));
    }
  }
}

TEST(ScalarMultiplyCombined, CancellingSumsGiveInfinity) {
  std::mt19937_64 rng(909);
  for (int round = 0; round < 10; ++round) {
    // Q = qG; u1 = -u2*q makes u1*G + u2*Q the point at infinity.
    Words q = randomWords(rng, 3);
    modReduceFinal(q);
    const AffinePoint Q = test::sslMultiplyGenerator(q);
    Words u2 = randomWords(rng, 3);
    modReduceFinal(u2);
    Words u1;
    modMultiply(u2, q, u1);
    modReduceFinal(u1);
    Words n = groupOrder;
    wordsSub(n.data(), u1.data(), u1.data(), kWordCount);
    EXPECT_EQ(combined(u1, u2, Q), AffinePoint{});
  }
}

TEST(ScalarMultiplyCombined, ScalarsMayBeOneArrayAndAreLeftCanonical) {
  const AffinePoint Q = test::sslMultiplyGenerator(Words{99});
  AffinePoint table[kPointTableEntries];
  pointTableBuild(Q, table);
  Words k = orderPlus(5);
  AffinePoint out;
  scalarMultiplyCombined(out, k, basePointEntry0, k, &table[5]);
  EXPECT_EQ(k, Words{5});
  EXPECT_EQ(out, test::sslMultiplyGenerator(Words{5 * 100}));
}

}  // namespace
}  // namespace otawrap
