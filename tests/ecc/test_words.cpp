// The 11-word utilities against their definitions on small crafted values.
#include <gtest/gtest.h>

#include "ecc/words.h"

namespace otawrap {
namespace {

Words wordsOf(std::initializer_list<std::pair<int, Word>> entries) {
  Words w{};
  for (const auto& [index, value] : entries) {
    w[index] = value;
  }
  return w;
}

TEST(WordsCompare, TopDifferingWordDecides) {
  struct Case {
    Words a, b;
    int expected;
  } cases[] = {
      {wordsOf({}), wordsOf({}), 0},
      {wordsOf({{0, 2}}), wordsOf({{0, 1}}), 1},
      {wordsOf({{0, 1}}), wordsOf({{0, 2}}), -1},
      {wordsOf({{10, 1}}), wordsOf({{0, 0xFFFF}, {9, 0xFFFF}}), 1},
      {wordsOf({{5, 0x8000}}), wordsOf({{5, 0x7FFF}, {4, 0xFFFF}}), 1},
      {wordsOf({{10, 0xFFFF}, {0, 1}}), wordsOf({{10, 0xFFFF}, {0, 2}}), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wordsCompare(c.a, c.b), c.expected);
  }
}

TEST(WordsTests, ZeroAndOneHonourTheCount) {
  const Words one = wordsOf({{0, 1}});
  const Words oneHigh = wordsOf({{0, 1}, {3, 1}});
  EXPECT_EQ(wordsIsZero(one.data(), 0), 1);
  EXPECT_EQ(wordsIsZero(one.data(), 1), 0);
  EXPECT_EQ(wordsIsZero(oneHigh.data() + 1, 2), 1);
  EXPECT_EQ(wordsIsOne(one.data(), 11), 1);
  EXPECT_EQ(wordsIsOne(oneHigh.data(), 11), 0);
  EXPECT_EQ(wordsIsOne(oneHigh.data(), 1), 1);  // count 1 looks at word 0 only
  EXPECT_EQ(wordsIsOne(oneHigh.data(), 3), 1);
  EXPECT_EQ(wordsIsOne(oneHigh.data(), 4), 0);
}

TEST(WordsTests, SetZeroAndSetOneTouchOnlyCountWords) {
  Words w;
  w.fill(0xABCD);
  wordsSetOne(w.data(), 4);
  EXPECT_EQ(w[0], 1);
  EXPECT_EQ(w[1], 0);
  EXPECT_EQ(w[3], 0);
  EXPECT_EQ(w[4], 0xABCD);
  wordsSetZero(w.data() + 4, 2);
  EXPECT_EQ(w[5], 0);
  EXPECT_EQ(w[6], 0xABCD);
}

TEST(WordsShiftRight1, MovesBitsAcrossWordsAndClearsTheTop) {
  Words w = wordsOf({{1, 1}, {10, 0x8001}});
  wordsShiftRight1(w);
  EXPECT_EQ(w[0], 0x8000);
  EXPECT_EQ(w[1], 0);
  EXPECT_EQ(w[9], 0x8000);
  EXPECT_EQ(w[10], 0x4000);
  Words all;
  all.fill(0xFFFF);
  wordsShiftRight1(all);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(all[k], 0xFFFF);
  }
  EXPECT_EQ(all[10], 0x7FFF);
}

}  // namespace
}  // namespace otawrap
