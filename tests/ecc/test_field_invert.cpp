// The Itoh-Tsujii inversion and the repeated squaring under it: both paths
// against each other word for word, against single squarings, and against the
// textbook Euclid and OpenSSL, on random and edge inputs.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ecc/cpu_features.h"
#include "ecc/field.h"
#include "ecc/field_clmul.h"
#include "ecc/square_maps.h"
#include "support/field_reference.h"
#include "support/openssl_field.h"

namespace otawrap {
namespace {

FieldElement monomialSum(std::initializer_list<int> degrees) {
  FieldElement a{};
  for (int d : degrees) {
    a[d / 16] = static_cast<Word>(a[d / 16] ^ (1u << (d % 16)));
  }
  return a;
}

// Zero and its other forms (f, f + f*x^k), one, x, and values around x^162,
// x^163 and x^176, then random 176-bit values, sparse and dense.
std::vector<FieldElement> inputs(int randomCount) {
  FieldElement ones;
  ones.fill(0xFFFF);
  FieldElement belowX163{};  // x^163 - 1 as an integer: every canonical bit set
  belowX163.fill(0xFFFF);
  belowX163[10] = 0x0007;
  std::vector<FieldElement> values = {
      FieldElement{},          fieldPolynomial,
      monomialSum({0, 3, 6, 7, 163, 4, 7, 10, 11, 167}),  // f * (x^4 + 1)
      monomialSum({0}),        monomialSum({1}),
      monomialSum({162}),      monomialSum({163}),
      monomialSum({164}),      monomialSum({175}),
      monomialSum({0, 162}),   monomialSum({0, 3, 6, 7}),  // x^163 mod f
      ones,                    belowX163,
  };
  std::mt19937_64 rng(0x69747369ull);  // "itsi"
  for (int i = 0; i < randomCount; ++i) {
    FieldElement a;
    for (Word& w : a) {
      w = static_cast<Word>(rng());
      if (i % 4 == 1) {
        w = static_cast<Word>(w & rng() & rng());
      }
    }
    values.push_back(a);
  }
  return values;
}

TEST(FieldSquareTimes, EveryPathLeavesTheWordsOfSingleSquarings) {
  for (const FieldElement& a : inputs(200)) {
    FieldElement expected = a;
    int done = 0;
    for (int count : {0, 1, 2, 3, 16, 64, 163, 200}) {
      for (; done < count; ++done) {
        fieldSquarePortable(expected, expected);
      }
      FieldElement portable;
      fieldSquareTimesPortable(a, count, portable);
      ASSERT_EQ(portable, expected) << count;
      FieldElement dispatched = a;
      fieldSquareTimes(dispatched, count, dispatched);  // in place
      ASSERT_EQ(dispatched, expected) << count;
      if (cpuFeatures().pclmul) {
        FieldElement clmul;
        fieldSquareTimesClmul(a.data(), count, clmul.data());
        ASSERT_EQ(clmul, expected) << count;
      }
    }
  }
}

TEST(FieldInvertPaths, MatchEachOtherTheTextbookEuclidAndOpenSsl) {
  struct Path {
    const char* name;
    int (*invert)(const FieldElement&, FieldElement&);
  };
  const Path paths[] = {{"dispatched", fieldInvert}, {"portable", fieldInvertPortable}};
  for (const FieldElement& a : inputs(500)) {
    FieldElement expected;
    const bool exists = test::sslFieldInvert(a, expected);
    for (const Path& path : paths) {
      FieldElement out;
      out.fill(0x5A5A);
      const FieldElement sentinel = out;
      const int status = path.invert(a, out);
      if (!exists) {
        ASSERT_EQ(status, 0xFB01) << path.name;
        ASSERT_EQ(out, sentinel) << path.name;  // untouched
        continue;
      }
      ASSERT_EQ(status, 0) << path.name;
      ASSERT_LE(out[10], 7) << path.name;  // canonical
      ASSERT_EQ(out, expected) << path.name;
      ASSERT_EQ(out, test::slowFieldInvert(a)) << path.name;
      FieldElement aliased = a;
      ASSERT_EQ(path.invert(aliased, aliased), 0) << path.name;
      ASSERT_EQ(aliased, out) << path.name;
    }
  }
}

// The squaring maps are data written by a script: every row equals the one the
// library's own multiply makes (x^(2^k) by k squarings, then its powers).
template <typename F>
void expectRowsOfTheLibrary(const SquarePowerMap<F>& data, int k, const char* name) {
  const SquarePowerMap<F> computed = binaryFieldSquarePowerMap<F>(k);
  for (unsigned i = 0; i < F::degree; ++i) {
    EXPECT_EQ(data.rows[i], computed.rows[i]) << name << " row " << i;
  }
}

TEST(SquareMaps, EveryRowOfTheWrittenTablesMatchesTheLibrary) {
  expectRowsOfTheLibrary(kSquare163By32, 32, "kSquare163By32");
  expectRowsOfTheLibrary(kSquare163By64, 64, "kSquare163By64");
}

}  // namespace
}  // namespace otawrap
