// Plain multi-word arithmetic and octet conversions against a schoolbook
// reference written here (32-bit intermediates, one word at a time) and
// against OpenSSL BIGNUM.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ecc/words.h"
#include "support/openssl_bignum.h"

namespace otawrap {
namespace {

using test::BnPtr;
using test::WordSource;

constexpr std::uint64_t kSeed = 0x6D6F646E31ull;  // fixed seed for every random case here

// --- schoolbook reference ---------------------------------------------------

int refAdd(const std::vector<Word>& a, const std::vector<Word>& b, std::vector<Word>& out) {
  std::uint32_t carry = 0;
  out.resize(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint32_t s = std::uint32_t{a[i]} + b[i] + carry;
    out[i] = static_cast<Word>(s);
    carry = s >> 16;
  }
  return static_cast<int>(carry);
}

int refSub(const std::vector<Word>& a, const std::vector<Word>& b, std::vector<Word>& out) {
  std::uint32_t borrow = 0;
  out.resize(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint32_t d = std::uint32_t{a[i]} - b[i] - borrow;
    out[i] = static_cast<Word>(d);
    borrow = (d >> 16) != 0 ? 1 : 0;
  }
  return static_cast<int>(borrow);
}

std::vector<Word> refMultiply(const Word* a, std::size_t na, const Word* b, std::size_t nb) {
  std::vector<Word> out(na + nb, 0);
  for (std::size_t i = 0; i < na; ++i) {
    std::uint32_t carry = 0;
    for (std::size_t j = 0; j < nb; ++j) {
      const std::uint64_t t = std::uint64_t{a[i]} * b[j] + out[i + j] + carry;
      out[i + j] = static_cast<Word>(t);
      carry = static_cast<std::uint32_t>(t >> 16);
    }
    out[i + nb] = static_cast<Word>(carry);
  }
  return out;
}

std::vector<Word> toVector(const Word* w, std::size_t n) { return std::vector<Word>(w, w + n); }

// --- addition and subtraction -------------------------------------------------

TEST(WordsAddSub, MatchSchoolbookForEveryCountAndAliasing) {
  WordSource source(kSeed);
  for (int round = 0; round < 4000; ++round) {
    const std::uint16_t count = static_cast<std::uint16_t>(2 + round % 21);
    const bool patterned = (round % 3) != 0;
    std::vector<Word> a(count), b(count);
    for (std::uint16_t i = 0; i < count; ++i) {
      a[i] = patterned ? source.patternedWord() : source.word();
      b[i] = patterned ? source.patternedWord() : source.word();
    }
    std::vector<Word> sum, diff;
    const int carry = refAdd(a, b, sum);
    const int borrow = refSub(a, b, diff);

    std::vector<Word> out(count, 0xA5A5);
    EXPECT_EQ(wordsAdd(a.data(), b.data(), out.data(), count), carry);
    EXPECT_EQ(out, sum);
    EXPECT_EQ(wordsSub(a.data(), b.data(), out.data(), count), borrow);
    EXPECT_EQ(out, diff);

    std::vector<Word> x = a;  // out is a
    EXPECT_EQ(wordsAdd(x.data(), b.data(), x.data(), count), carry);
    EXPECT_EQ(x, sum);
    x = a;
    EXPECT_EQ(wordsSub(x.data(), b.data(), x.data(), count), borrow);
    EXPECT_EQ(x, diff);
    x = b;  // out is b
    EXPECT_EQ(wordsAdd(a.data(), x.data(), x.data(), count), carry);
    EXPECT_EQ(x, sum);
    x = b;
    EXPECT_EQ(wordsSub(a.data(), x.data(), x.data(), count), borrow);
    EXPECT_EQ(x, diff);
    x = a;  // a, b and out all one array
    EXPECT_EQ(wordsAdd(x.data(), x.data(), x.data(), count), refAdd(a, a, sum));
    EXPECT_EQ(x, sum);
    x = a;
    EXPECT_EQ(wordsSub(x.data(), x.data(), x.data(), count), 0);
    EXPECT_EQ(x, std::vector<Word>(count, 0));
  }
}

TEST(WordsAddSub, CarryAndBorrowChains) {
  struct Case {
    std::vector<Word> a, b, sum;
    int carry;
  } cases[] = {
      // A carry that runs through every word and leaves the top.
      {{0xFFFF, 0xFFFF, 0xFFFF}, {1, 0, 0}, {0, 0, 0}, 1},
      // A carry into a word that wraps, then a carry out of that word's own sum.
      {{0xFFFF, 0xFFFF, 0x0000}, {0x0001, 0xFFFF, 0x0000}, {0x0000, 0xFFFF, 0x0001}, 0},
      {{0x8000, 0xFFFF, 0xFFFF}, {0x8000, 0x0000, 0x0000}, {0, 0, 0}, 1},
      // Carry into the top word wraps it: carry out once only.
      {{0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF}, {0xFFFE, 0xFFFF}, 1},
      {{0x0001, 0xFFFF}, {0xFFFF, 0x0000}, {0x0000, 0x0000}, 1},
      {{0, 0}, {0, 0}, {0, 0}, 0},
  };
  for (const Case& c : cases) {
    const auto count = static_cast<std::uint16_t>(c.a.size());
    std::vector<Word> out(count);
    EXPECT_EQ(wordsAdd(c.a.data(), c.b.data(), out.data(), count), c.carry);
    EXPECT_EQ(out, c.sum);
    // The subtraction undoes the addition with the same borrow.
    EXPECT_EQ(wordsSub(c.sum.data(), c.b.data(), out.data(), count), c.carry);
    EXPECT_EQ(out, c.a);
  }
}

// --- increment and decrement --------------------------------------------------

TEST(WordsIncrementDecrement, StartWordAndRunOff) {
  struct Case {
    std::vector<Word> x;
    std::uint16_t from;
    std::vector<Word> incremented;
    int incCarry;
    std::vector<Word> decremented;
    int decBorrow;
  } cases[] = {
      {{0, 0, 0}, 0, {1, 0, 0}, 0, {0xFFFF, 0xFFFF, 0xFFFF}, 1},
      {{0xFFFF, 0xFFFF, 0xFFFF}, 0, {0, 0, 0}, 1, {0xFFFE, 0xFFFF, 0xFFFF}, 0},
      {{0xFFFF, 0xFFFF, 0x0007}, 1, {0xFFFF, 0x0000, 0x0008}, 0, {0xFFFF, 0xFFFE, 0x0007}, 0},
      {{0x1234, 0x0000, 0x0001}, 1, {0x1234, 0x0001, 0x0001}, 0, {0x1234, 0xFFFF, 0x0000}, 0},
      {{0x1234, 0x0000, 0x0000}, 2, {0x1234, 0x0000, 0x0001}, 0, {0x1234, 0x0000, 0xFFFF}, 1},
      {{0x0000, 0x0000, 0xFFFF}, 2, {0x0000, 0x0000, 0x0000}, 1, {0x0000, 0x0000, 0xFFFE}, 0},
  };
  for (const Case& c : cases) {
    const auto count = static_cast<std::uint16_t>(c.x.size());
    std::vector<Word> x = c.x;
    EXPECT_EQ(wordsIncrementFrom(c.from, count, x.data()), c.incCarry);
    EXPECT_EQ(x, c.incremented);
    x = c.x;
    EXPECT_EQ(wordsDecrementFrom(c.from, count, x.data()), c.decBorrow);
    EXPECT_EQ(x, c.decremented);
  }
}

TEST(WordsIncrementDecrement, MatchAddingAPowerOfTheWordBase) {
  WordSource source(kSeed + 1);
  for (int round = 0; round < 2000; ++round) {
    const std::uint16_t count = static_cast<std::uint16_t>(1 + round % 22);
    const std::uint16_t from = static_cast<std::uint16_t>(source.next() % count);
    std::vector<Word> x(count), unit(count, 0);
    for (Word& w : x) {
      w = source.patternedWord();
    }
    unit[from] = 1;
    std::vector<Word> expected;
    const int carry = refAdd(x, unit, expected);
    std::vector<Word> y = x;
    EXPECT_EQ(wordsIncrementFrom(from, count, y.data()), carry);
    EXPECT_EQ(y, expected);
    const int borrow = refSub(x, unit, expected);
    y = x;
    EXPECT_EQ(wordsDecrementFrom(from, count, y.data()), borrow);
    EXPECT_EQ(y, expected);
  }
}

// --- negation -------------------------------------------------------------------

TEST(WordsNegate, EdgeValuesAndTwosComplement) {
  Words zero{};
  Words out;
  out.fill(0x5A5A);
  EXPECT_EQ(wordsNegate(zero, out), 1);
  EXPECT_EQ(out, zero);

  Words one{};
  one[0] = 1;
  EXPECT_EQ(wordsNegate(one, out), 0);
  Words allOnes;
  allOnes.fill(0xFFFF);
  EXPECT_EQ(out, allOnes);

  WordSource source(kSeed + 2);
  for (int round = 0; round < 2000; ++round) {
    const Words x = source.words(round % 2 == 0);
    Words negated;
    const int wasZero = wordsNegate(x, negated);
    EXPECT_EQ(wasZero, wordsIsZero(x.data(), 11));
    std::vector<Word> sum;
    refAdd(toVector(x.data(), 11), toVector(negated.data(), 11), sum);
    EXPECT_EQ(sum, std::vector<Word>(11, 0));  // x + (-x) = 0 mod 2^176
    Words inPlace = x;
    wordsNegate(inPlace, inPlace);
    EXPECT_EQ(inPlace, negated);
  }
}

// --- products ---------------------------------------------------------------------

TEST(WordsMulWord, EveryWordAgainstEdgeMultipliers) {
  // Each 16x16-bit partial product: all 65536 multiplicands against multipliers
  // that stress the cross-term carries, placed in word 0 and word 10.
  const Word edges[] = {0, 1, 0x00FF, 0x0100, 0x7FFF, 0x8000, 0x80FF, 0xFF00, 0xFF01, 0xFFFE,
                        0xFFFF, 0x5555, 0xAAAA, 0x1234};
  for (Word w : edges) {
    for (std::uint32_t m = 0; m <= 0xFFFF; ++m) {
      Words a{};
      a[0] = static_cast<Word>(m);
      a[10] = static_cast<Word>(m);
      WordProduct out;
      wordsMulWord(a, w, out);
      const std::uint32_t p = m * w;
      ASSERT_EQ(out[0], static_cast<Word>(p)) << m << " * " << w;
      ASSERT_EQ(out[1], static_cast<Word>(p >> 16)) << m << " * " << w;
      ASSERT_EQ(out[10], static_cast<Word>(p)) << m << " * " << w;
      ASSERT_EQ(out[11], static_cast<Word>(p >> 16)) << m << " * " << w;
      for (int k = 2; k < 10; ++k) {
        ASSERT_EQ(out[k], 0);
      }
      // The same pair with the roles of the operands exchanged.
      Words b{};
      b[5] = w;
      wordsMulWord(b, static_cast<Word>(m), out);
      ASSERT_EQ(out[5], static_cast<Word>(p));
      ASSERT_EQ(out[6], static_cast<Word>(p >> 16));
    }
  }
}

TEST(WordsMulWord, RandomRowsMatchSchoolbook) {
  WordSource source(kSeed + 3);
  for (int round = 0; round < 5000; ++round) {
    const Words a = source.words(round % 2 == 0);
    const Word w = round % 4 == 0 ? source.patternedWord() : source.word();
    WordProduct out;
    wordsMulWord(a, w, out);
    EXPECT_EQ(toVector(out.data(), 12), refMultiply(a.data(), 11, &w, 1));
  }
  Words allOnes;
  allOnes.fill(0xFFFF);
  WordProduct out;
  wordsMulWord(allOnes, 0xFFFF, out);
  EXPECT_EQ(out[0], 1);
  for (int k = 1; k < 11; ++k) {
    EXPECT_EQ(out[k], 0xFFFF);
  }
  EXPECT_EQ(out[11], 0xFFFE);
}

TEST(WordsMultiply, LargestSquare) {
  Words allOnes;
  allOnes.fill(0xFFFF);
  WideWords out;
  out.fill(0x1111);  // needs no clearing beforehand
  wordsMultiply(allOnes, allOnes, out);
  EXPECT_EQ(out[0], 1);
  for (int k = 1; k <= 10; ++k) {
    EXPECT_EQ(out[k], 0);
  }
  EXPECT_EQ(out[11], 0xFFFE);
  for (int k = 12; k <= 21; ++k) {
    EXPECT_EQ(out[k], 0xFFFF);
  }
}

TEST(WordsMultiply, RandomProductsMatchSchoolbookAndOpenSsl) {
  WordSource source(kSeed + 4);
  test::BnCtxPtr ctx = test::bnCtxNew();
  for (int round = 0; round < 5000; ++round) {
    const Words a = source.words(round % 2 == 0);
    const Words b = source.words(round % 3 == 0);
    WideWords out;
    out.fill(0xEEEE);
    wordsMultiply(a, b, out);
    ASSERT_EQ(toVector(out.data(), 22), refMultiply(a.data(), 11, b.data(), 11));
    BnPtr product = test::bnNew();
    BN_mul(product.get(), test::bnFromWords(a).get(), test::bnFromWords(b).get(), ctx.get());
    ASSERT_TRUE(test::bnEqual(test::bnFromWords(out).get(), product.get()));
  }
}

// --- octet strings --------------------------------------------------------------

TEST(OctetsToWords, KnownLayouts) {
  struct Case {
    std::vector<std::uint8_t> octets;
    Words expected;
  } cases[] = {
      {{0x00, 0x00, 0x01, 0x02, 0x03}, {0x0203, 0x0001}},
      {std::vector<std::uint8_t>(21, 0x00), {}},
      {{}, {}},
      {{0x7F}, {0x007F}},
      {{0x01, 0x02}, {0x0102}},
      {{0xAB, 0xCD, 0xEF}, {0xCDEF, 0x00AB}},
      {std::vector<std::uint8_t>(22, 0xFF),
       {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
  };
  for (const Case& c : cases) {
    Words w;
    w.fill(0xDEAD);  // unused words must be cleared
    octetsToWords(static_cast<std::uint16_t>(c.octets.size()), c.octets.data(), 11, w.data());
    EXPECT_EQ(w, c.expected);
  }
  // A smaller count writes only that many words.
  const std::uint8_t octets[] = {0x00, 0x12, 0x34, 0x56};
  Words w;
  w.fill(0xDEAD);
  octetsToWords(4, octets, 3, w.data());
  EXPECT_EQ(w[0], 0x3456);
  EXPECT_EQ(w[1], 0x0012);
  EXPECT_EQ(w[2], 0);
  EXPECT_EQ(w[3], 0xDEAD);
}

TEST(OctetsToWords, RandomStringsMatchOpenSsl) {
  WordSource source(kSeed + 5);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t length = source.next() % 30;
    const std::size_t leadingZeros = source.next() % 9;
    std::vector<std::uint8_t> octets(length, 0);
    // At most 22 significant octets after the leading zeros.
    for (std::size_t i = leadingZeros; i < length; ++i) {
      if (length - i <= 22) {
        octets[i] = static_cast<std::uint8_t>(source.next());
      }
    }
    Words w;
    w.fill(0xDEAD);
    octetsToWords(static_cast<std::uint16_t>(length), octets.data(), 11, w.data());
    BnPtr expected(BN_bin2bn(octets.data(), static_cast<int>(length), nullptr));
    ASSERT_TRUE(test::bnEqual(test::bnFromWords(w).get(), expected.get()));
  }
}

TEST(WordsToOctets, KnownLayouts) {
  Words zero{};
  Words one{};
  one[0] = 1;
  Words wide;  // 22 significant octets 0x01 0x02 ... 0x16
  for (int k = 0; k < 11; ++k) {
    wide[k] = static_cast<Word>(((22 - 2 * k) & 0xFF) | (((21 - 2 * k) & 0xFF) << 8));
  }
  Words threeOctets{};
  threeOctets[0] = 0xBEEF;
  threeOctets[1] = 0x00AD;

  struct Case {
    int zeroFill;
    const Words* value;
    std::uint16_t outLength;
    std::vector<std::uint8_t> expected;  // the bytes written; the rest must stay 0xCC
  } cases[] = {
      {1, &zero, 21, std::vector<std::uint8_t>(21, 0)},
      {1, &one, 21, [] {
         std::vector<std::uint8_t> v(21, 0);
         v[20] = 1;
         return v;
       }()},
      {1, &wide, 21, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21}},
      {0, &zero, 21, {0}},
      {0, &one, 21, {1}},
      {0, &threeOctets, 21, {0xAD, 0xBE, 0xEF}},
      {0, &threeOctets, 2, {0xAD, 0xBE}},
      {1, &threeOctets, 2, {0xAD, 0xBE}},
      {1, &threeOctets, 3, {0xAD, 0xBE, 0xEF}},
      {1, &threeOctets, 5, {0, 0, 0xAD, 0xBE, 0xEF}},
      {1, &zero, 0, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> out(32, 0xCC);
    wordsToOctets(c.zeroFill, 11, c.value->data(), c.outLength, out.data());
    std::vector<std::uint8_t> expected = c.expected;
    expected.resize(32, 0xCC);
    EXPECT_EQ(out, expected) << "zeroFill " << c.zeroFill << " outLength " << c.outLength;
  }
}

TEST(WordsToOctets, RoundTripAndOpenSsl) {
  WordSource source(kSeed + 6);
  for (int round = 0; round < 3000; ++round) {
    const Words w = source.wordsBelowPowerOfTwo(static_cast<unsigned>(source.next() % 169));
    std::uint8_t out[21];
    wordsToOctets(1, 11, w.data(), 21, out);
    std::uint8_t expected[21];
    ASSERT_EQ(BN_bn2binpad(test::bnFromWords(w).get(), expected, 21), 21);
    ASSERT_EQ(std::vector<std::uint8_t>(out, out + 21),
              std::vector<std::uint8_t>(expected, expected + 21));
    Words back;
    octetsToWords(21, out, 11, back.data());
    ASSERT_EQ(back, w);
  }
}

}  // namespace
}  // namespace otawrap
