// GF(2^163) arithmetic against OpenSSL's BN_GF2m_* and a bit-by-bit reference,
// plus the hand-worked edge cases of the reduction and inversion. The
// carry-less multiply must leave the portable comb's words exactly.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ecc/cpu_features.h"
#include "ecc/field.h"
#include "ecc/field_clmul.h"
#include "support/field_reference.h"
#include "support/openssl_field.h"

namespace otawrap {
namespace {

using test::slowFieldInvert;
using test::slowFieldMultiply;
using test::slowFieldReduce;
using test::sslFieldInvert;
using test::sslFieldMultiply;
using test::sslFieldReduce;
using test::sslFieldReduceWide;
using test::sslFieldSquare;

constexpr int kOracleRounds = 10000;

FieldElement canonical(FieldElement a) {
  fieldReduceFinal(a);
  return a;
}

bool isCanonical(const FieldElement& a) { return a[10] <= 7; }

// Random elements of mixed shapes: canonical, full 176-bit (bits 163..175 set
// as often as not), sparse, and extreme words.
class ElementSource {
 public:
  explicit ElementSource(std::uint64_t seed) : rng_(seed) {}

  FieldElement next() {
    FieldElement a;
    for (Word& w : a) {
      w = static_cast<Word>(rng_());
    }
    switch (rng_() % 8) {
      case 0:
        a[10] &= 7;  // canonical
        break;
      case 1:
        a[10] |= 0xFFF8;  // every high bit set
        break;
      case 2:
        for (Word& w : a) {
          w = static_cast<Word>(w & rng_() & rng_());  // sparse
        }
        break;
      case 3:
        for (Word& w : a) {
          w = (rng_() & 1) != 0 ? 0xFFFF : 0;
        }
        break;
      default:
        break;  // any 176-bit value
    }
    return a;
  }

  WideWords nextWide() {
    WideWords w;
    for (Word& x : w) {
      x = static_cast<Word>(rng_());
    }
    return w;
  }

 private:
  std::mt19937_64 rng_;
};

FieldElement monomial(int degree) {
  FieldElement a{};
  a[degree / 16] = static_cast<Word>(1u << (degree % 16));
  return a;
}

TEST(FieldConstants, SquareSpreadTableSquaresEveryByte) {
  // Independent derivation: the carry-less square of b, computed bit by bit.
  for (unsigned b = 0; b < 256; ++b) {
    unsigned square = 0;
    for (unsigned i = 0; i < 8; ++i) {
      for (unsigned j = 0; j < 8; ++j) {
        if (((b >> i) & 1u) != 0 && ((b >> j) & 1u) != 0) {
          square ^= 1u << (i + j);
        }
      }
    }
    EXPECT_EQ(squareSpreadTable[b], square) << "entry " << b;
  }
  EXPECT_EQ(squareSpreadTable[0x00], 0x0000);
  EXPECT_EQ(squareSpreadTable[0x01], 0x0001);
  EXPECT_EQ(squareSpreadTable[0x02], 0x0004);
  EXPECT_EQ(squareSpreadTable[0x03], 0x0005);
  EXPECT_EQ(squareSpreadTable[0x80], 0x4000);
  EXPECT_EQ(squareSpreadTable[0xFF], 0x5555);
}

TEST(FieldConstants, PolynomialIsTheSect163k1Pentanomial) {
  // OpenSSL reduces f to zero with its own copy of the polynomial, and x^163
  // (only the top bit) to the low terms.
  EXPECT_EQ(sslFieldReduce(fieldPolynomial), FieldElement{});
  FieldElement low = fieldPolynomial;
  low[10] = 0;
  EXPECT_EQ(sslFieldReduce(monomial(163)), low);
  EXPECT_EQ(low[0], 0x00C9);
}

TEST(FieldMultiply, MatchesOpenSsl) {
  ElementSource source(0x6D756C7469706C79ULL);  // "multiply"
  for (int round = 0; round < kOracleRounds; ++round) {
    const FieldElement a = source.next();
    const FieldElement b = source.next();
    FieldElement r;
    fieldMultiply(a, b, r);
    ASSERT_EQ(canonical(r), sslFieldMultiply(a, b)) << "round " << round;
  }
}

// Each multiplication path this processor can run, beside the dispatching one.
struct MultiplyPath {
  const char* name;
  bool available;
  void (*multiply)(const FieldElement&, const FieldElement&, FieldElement&);
  void (*square)(const FieldElement&, FieldElement&);
};

void clmulMultiply(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  fieldMultiplyClmul(a.data(), b.data(), out.data());
}

void clmulSquare(const FieldElement& a, FieldElement& out) { fieldSquareClmul(a.data(), out.data()); }

const MultiplyPath kMultiplyPaths[] = {
    {"portable", true, fieldMultiplyPortable, fieldSquarePortable},
    {"pclmulqdq", cpuFeatures().pclmul, clmulMultiply, clmulSquare},
};

TEST(CpuFeatures, AgreeWithTheKernelsFlags) {
  // Linux lists the CPUID flags it sees; a build with the hardware paths must
  // report exactly what they need (a portable-only build reports neither).
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  bool amd = false;
  while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
    amd = amd || (line.rfind("vendor_id", 0) == 0 && line.find("AuthenticAMD") != std::string::npos);
  }
  if (line.empty()) {
    GTEST_SKIP() << "no /proc/cpuinfo flags here";
  }
  line += ' ';
  // The AES path needs SSSE3 as well (its key schedule shuffles bytes).
  const bool aes = line.find(" aes ") != std::string::npos && line.find(" ssse3 ") != std::string::npos;
  const bool pclmul = line.find(" pclmulqdq ") != std::string::npos;
  const CpuFeatures detected = detectCpuFeatures();
  if (detected.aes || detected.pclmul) {
    EXPECT_EQ(detected.aes, aes);
    EXPECT_EQ(detected.pclmul, pclmul);
    EXPECT_EQ(detected.fastKeygenAssist, amd);
  }
  EXPECT_EQ(cpuFeatures().aes, detected.aes);
  EXPECT_EQ(cpuFeatures().pclmul, detected.pclmul);
  EXPECT_EQ(cpuFeatures().fastKeygenAssist, detected.fastKeygenAssist);
}

TEST(FieldMultiplyPaths, EachMatchesOpenSsl) {
  for (const MultiplyPath& path : kMultiplyPaths) {
    if (!path.available) {
      continue;
    }
    ElementSource source(0x7061746873ULL);  // "paths"
    for (int round = 0; round < kOracleRounds; ++round) {
      const FieldElement a = source.next();
      const FieldElement b = source.next();
      FieldElement r;
      path.multiply(a, b, r);
      ASSERT_EQ(canonical(r), sslFieldMultiply(a, b)) << path.name << " round " << round;
      path.square(a, r);
      ASSERT_EQ(canonical(r), sslFieldSquare(a)) << path.name << " round " << round;
    }
  }
}

TEST(FieldMultiplyPaths, ClmulLeavesThePortableWordsExactly) {
  if (!cpuFeatures().pclmul) {
    GTEST_SKIP() << "no PCLMULQDQ on this processor or in this build";
  }
  // Partially reduced outputs are compared whole, not as residues: random mixed
  // shapes, every pair of monomials, and the all-ones extremes.
  std::vector<std::pair<FieldElement, FieldElement>> pairs;
  pairs.reserve(4 * kOracleRounds + 176 * 176 + 3);
  ElementSource source(0x636C6D756CULL);  // "clmul"
  for (int round = 0; round < 4 * kOracleRounds; ++round) {
    const FieldElement a = source.next();
    pairs.emplace_back(a, source.next());
  }
  for (int i = 0; i < 176; ++i) {
    for (int j = 0; j < 176; ++j) {
      pairs.emplace_back(monomial(i), monomial(j));
    }
  }
  FieldElement ones;
  ones.fill(0xFFFF);
  pairs.emplace_back(ones, ones);
  pairs.emplace_back(ones, FieldElement{});
  pairs.emplace_back(ones, monomial(175));
  for (const auto& [a, b] : pairs) {
    FieldElement portable;
    FieldElement clmul;
    fieldMultiplyPortable(a, b, portable);
    clmulMultiply(a, b, clmul);
    ASSERT_EQ(clmul, portable);
    fieldSquarePortable(a, portable);
    clmulSquare(a, clmul);
    ASSERT_EQ(clmul, portable);
    // Aliased outputs, as fieldMultiply allows.
    FieldElement aliased = a;
    fieldMultiplyClmul(aliased.data(), b.data(), aliased.data());
    fieldMultiplyPortable(a, b, portable);
    ASSERT_EQ(aliased, portable);
    aliased = a;
    fieldSquareClmul(aliased.data(), aliased.data());
    fieldSquarePortable(a, portable);
    ASSERT_EQ(aliased, portable);
  }
}

TEST(FieldMultiply, MatchesBitByBitReference) {
  ElementSource source(20240601);
  for (int round = 0; round < 2000; ++round) {
    const FieldElement a = source.next();
    const FieldElement b = source.next();
    FieldElement r;
    fieldMultiply(a, b, r);
    ASSERT_EQ(canonical(r), slowFieldMultiply(a, b)) << "round " << round;
  }
}

TEST(FieldMultiply, EveryPairOfMonomials) {
  // x^i * x^j for all i, j < 176 exercises every row shift and fold position.
  for (int i = 0; i < 176; ++i) {
    for (int j = 0; j < 176; j += 5) {
      FieldElement r;
      fieldMultiply(monomial(i), monomial(j), r);
      ASSERT_EQ(canonical(r), slowFieldMultiply(monomial(i), monomial(j))) << i << " " << j;
    }
  }
}

TEST(FieldMultiply, OutputMayAliasEitherInput) {
  ElementSource source(7);
  for (int round = 0; round < 200; ++round) {
    const FieldElement a = source.next();
    const FieldElement b = source.next();
    FieldElement separate;
    fieldMultiply(a, b, separate);
    FieldElement first = a;
    fieldMultiply(first, b, first);
    FieldElement second = b;
    fieldMultiply(a, second, second);
    FieldElement both = a;
    fieldMultiply(both, both, both);
    FieldElement square;
    fieldMultiply(a, a, square);
    EXPECT_EQ(first, separate);
    EXPECT_EQ(second, separate);
    EXPECT_EQ(both, square);
  }
}

TEST(FieldMultiply, TopMonomialStaysPartiallyReduced) {
  FieldElement r;
  fieldMultiply(monomial(162), monomial(1), r);
  EXPECT_EQ(r, monomial(163));
  // Adding the low terms of f turns x^163 into f itself, which is zero mod f.
  FieldElement lowTerms = fieldPolynomial;
  lowTerms[10] = 0;
  FieldElement t;
  fieldAdd(r, lowTerms, t);
  EXPECT_EQ(t, fieldPolynomial);
  EXPECT_EQ(fieldIsZero(t), 1);
  EXPECT_EQ(fieldEqual(r, lowTerms), 1);
}

TEST(FieldSquare, MatchesOpenSslAndMultiply) {
  ElementSource source(0x737175617265ULL);  // "square"
  for (int round = 0; round < kOracleRounds; ++round) {
    const FieldElement a = source.next();
    FieldElement r;
    fieldSquare(a, r);
    FieldElement product;
    fieldMultiply(a, a, product);
    ASSERT_EQ(r, product) << "round " << round;  // identical words, not just residues
    ASSERT_EQ(canonical(r), sslFieldSquare(a)) << "round " << round;
    FieldElement inPlace = a;
    fieldSquare(inPlace, inPlace);
    ASSERT_EQ(inPlace, r);
  }
}

TEST(FieldReduceWide, MatchesOpenSsl) {
  ElementSource source(0x77696465ULL);  // "wide"
  for (int round = 0; round < kOracleRounds; ++round) {
    WideWords wide = source.nextWide();
    const FieldElement expected = sslFieldReduceWide(wide);
    FieldElement r;
    fieldReduceWide(wide, r);
    ASSERT_EQ(canonical(r), expected) << "round " << round;
  }
}

TEST(FieldReduceWide, KnownFolds) {
  WideWords top{};
  top[11] = 1;  // x^176 = x^20 + x^19 + x^16 + x^13
  FieldElement r;
  fieldReduceWide(top, r);
  EXPECT_EQ(r, (FieldElement{0x2000, 0x0019, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  WideWords ones;
  ones.fill(0xFFFF);
  fieldReduceWide(ones, r);
  EXPECT_EQ(r, (FieldElement{0x1FFF, 0x03F7, 0xFF3F, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                             0xFFFF, 0xFFFF, 0xFFFF}));
}

TEST(FieldReduceWide, OutputMayBeTheLowHalf) {
  ElementSource source(11);
  for (int round = 0; round < 100; ++round) {
    WideWords wide = source.nextWide();
    WideWords copy = wide;
    FieldElement separate;
    fieldReduceWide(copy, separate);
    // The low half viewed as a FieldElement (same element type, same layout).
    FieldElement& low = *reinterpret_cast<FieldElement*>(wide.data());
    fieldReduceWide(wide, low);
    EXPECT_EQ(low, separate);
  }
}

TEST(FieldReduceFinal, CanonicalAndMatchesOpenSsl) {
  ElementSource source(0x66696E616CULL);  // "final"
  for (int round = 0; round < kOracleRounds; ++round) {
    const FieldElement a = source.next();
    FieldElement r = a;
    fieldReduceFinal(r);
    ASSERT_TRUE(isCanonical(r));
    ASSERT_EQ(r, sslFieldReduce(a));
  }
  FieldElement top{};
  top[10] = 0xFFFF;
  fieldReduceFinal(top);
  EXPECT_EQ(top, (FieldElement{0xE047, 0x0008, 0, 0, 0, 0, 0, 0, 0, 0, 0x0007}));
  FieldElement x163 = monomial(163);
  fieldReduceFinal(x163);
  EXPECT_EQ(x163, (FieldElement{0x00C9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(FieldInvert, MatchesOpenSslAndIsCanonical) {
  ElementSource source(0x696E7665727365ULL);  // "inverse"
  int inverted = 0;
  for (int round = 0; round < kOracleRounds; ++round) {
    const FieldElement a = source.next();
    FieldElement expected;
    const bool exists = sslFieldInvert(a, expected);
    FieldElement r;
    r.fill(0x5A5A);
    const int status = fieldInvert(a, r);
    if (!exists) {
      ASSERT_EQ(status, kNoInverse);
      continue;
    }
    ++inverted;
    ASSERT_EQ(status, 0) << "round " << round;
    ASSERT_TRUE(isCanonical(r));
    ASSERT_EQ(r, expected) << "round " << round;
  }
  EXPECT_GT(inverted, kOracleRounds - 10);
}

TEST(FieldInvert, MatchesTextbookEuclid) {
  ElementSource source(99);
  for (int round = 0; round < 300; ++round) {
    const FieldElement a = source.next();
    FieldElement probe = a;
    if (fieldIsZero(probe) != 0) {
      continue;
    }
    FieldElement r;
    ASSERT_EQ(fieldInvert(a, r), 0);
    ASSERT_EQ(r, slowFieldInvert(a));
    FieldElement aliased = a;
    ASSERT_EQ(fieldInvert(aliased, aliased), 0);
    ASSERT_EQ(aliased, r);
  }
}

TEST(FieldInvert, EdgeCases) {
  FieldElement untouched;
  untouched.fill(0x1234);
  const FieldElement sentinel = untouched;

  const FieldElement zero{};
  EXPECT_EQ(fieldInvert(zero, untouched), kNoInverse);
  EXPECT_EQ(untouched, sentinel);
  EXPECT_EQ(fieldInvert(fieldPolynomial, untouched), kNoInverse);
  EXPECT_EQ(untouched, sentinel);
  FieldElement twiceHigh = fieldPolynomial;  // f with bit 164 also set: f + x^164 is x^164 mod f
  twiceHigh[10] = static_cast<Word>(twiceHigh[10] | 0x0010);
  EXPECT_EQ(fieldInvert(twiceHigh, untouched), 0);
  EXPECT_EQ(untouched, slowFieldInvert(monomial(164)));

  const FieldElement one = monomial(0);
  FieldElement r;
  EXPECT_EQ(fieldInvert(one, r), 0);
  EXPECT_EQ(r, one);

  // x^-1 = x^162 + x^6 + x^5 + x^2.
  EXPECT_EQ(fieldInvert(monomial(1), r), 0);
  FieldElement expected{};
  expected[10] = 0x0004;
  expected[0] = 0x0064;
  EXPECT_EQ(r, expected);
}

TEST(FieldTests, IsZeroAndEqualWorkOnResidues) {
  FieldElement f = fieldPolynomial;
  EXPECT_EQ(fieldIsZero(f), 1);
  EXPECT_EQ(f, FieldElement{});  // left canonical

  FieldElement x = monomial(163);
  EXPECT_EQ(fieldIsZero(x), 0);
  EXPECT_EQ(x, slowFieldReduce(monomial(163)));

  ElementSource source(5);
  for (int round = 0; round < 1000; ++round) {
    const FieldElement a = source.next();
    FieldElement shifted;
    fieldAdd(a, fieldPolynomial, shifted);
    const FieldElement aCopy = a;
    const FieldElement shiftedCopy = shifted;
    EXPECT_EQ(fieldEqual(a, shifted), 1);
    EXPECT_EQ(a, aCopy);
    EXPECT_EQ(shifted, shiftedCopy);
    FieldElement b = a;
    b[round % 11] = static_cast<Word>(b[round % 11] ^ (1u << (round % 3)));
    EXPECT_EQ(fieldEqual(a, b), 0);
  }
}

TEST(FieldAdd, IsWordwiseXorAndMayAlias) {
  ElementSource source(3);
  const FieldElement a = source.next();
  const FieldElement b = source.next();
  FieldElement r;
  fieldAdd(a, b, r);
  for (int k = 0; k < 11; ++k) {
    EXPECT_EQ(r[k], a[k] ^ b[k]);
  }
  FieldElement aliased = a;
  fieldAdd(aliased, b, aliased);
  EXPECT_EQ(aliased, r);
  fieldAdd(aliased, aliased, aliased);
  EXPECT_EQ(aliased, FieldElement{});
}

}  // namespace
}  // namespace otawrap
