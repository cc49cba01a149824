// kG against OpenSSL's EC_POINT_mul on sect163k1, a textbook double-and-add and
// the known-answer public keys; the stored point table against OpenSSL and the
// window digits; window gathering and the yield schedule on crafted digits.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ecc/base_point_table.h"
#include "ecc/modn.h"
#include "ecc/scalar_mult.h"
#include "ecc/scalar_mult_internal.h"
#include "support/field_reference.h"
#include "support/openssl_curve.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::slowPointAdd;
using test::slowPointMultiply;
using test::slowPointNegate;
using test::sslMultiplyGenerator;

constexpr std::int32_t kWidth = 5;

// G of sect163k1 as published in SEC 2, written out independently of the table.
const AffinePoint kSec2Generator = {
    {0xEEE8, 0x5C94, 0x6D5E, 0xDE4E, 0xD793, 0xAA07, 0x11AC, 0x7BBC, 0xC053, 0xFE13, 0x0002},
    {0xA3D9, 0xCCDA, 0xD538, 0x0536, 0x2E80, 0x321F, 0xFF58, 0x5D38, 0x0FB0, 0x8907, 0x0002}};
// n = 04 00000000 00000000 00020108 A2E0CC0D 99F8A5EF (SEC 2).
const Words kOrder = {0xA5EF, 0x99F8, 0xCC0D, 0xA2E0, 0x0108, 0x0002, 0, 0, 0, 0, 0x0004};

Words small(unsigned value) {
  Words k{};
  k[0] = static_cast<Word>(value);
  k[1] = static_cast<Word>(value >> 16);
  return k;
}

Words orderMinus(unsigned value) {
  Words k = kOrder;
  Words v = small(value);
  wordsSub(k.data(), v.data(), k.data(), kWordCount);
  return k;
}

Words orderTimes(Word factor) {
  WordProduct product;
  wordsMulWord(kOrder, factor, product);
  Words k;
  for (int i = 0; i < 11; ++i) {
    k[i] = product[i];
  }
  return k;
}

AffinePoint multiply(Words k, const YieldControl* yield = nullptr) {
  AffinePoint out;
  out.x.fill(0xEEEE);
  out.y.fill(0xEEEE);
  EXPECT_EQ(scalarMultiply(out, k, kWidth, basePointEntry0, yield), 0);
  return out;
}

// tau(P) = (x^2, y^2) in the slow reference arithmetic; infinity stays (0, 0).
AffinePoint slowTau(const AffinePoint& p) {
  return AffinePoint{test::slowFieldMultiply(p.x, p.x), test::slowFieldMultiply(p.y, p.y)};
}

// Sum of digit_p tau^p(G) by Horner from the top, in the slow reference.
AffinePoint slowEvaluate(const std::vector<int>& digits, const AffinePoint& base) {
  AffinePoint sum{};
  for (int p = static_cast<int>(digits.size()) - 1; p >= 0; --p) {
    sum = slowTau(sum);
    if (digits[p] > 0) {
      sum = slowPointAdd(sum, base);
    } else if (digits[p] < 0) {
      sum = slowPointAdd(sum, slowPointNegate(base));
    }
  }
  return sum;
}

// digits[p] in {-1, 0, +1}, packed two bits a position.
TnafDigits pack(const std::vector<int>& digits) {
  TnafDigits packed{};
  for (std::size_t p = 0; p < digits.size(); ++p) {
    const unsigned code = digits[p] > 0 ? 1u : digits[p] < 0 ? 3u : 0u;
    packed[p / 8] = static_cast<Word>(packed[p / 8] | (code << (2 * (p % 8))));
  }
  return packed;
}

AffinePoint evaluate(const std::vector<int>& digits, WindowCursor* cursorOut = nullptr) {
  const TnafDigits packed = pack(digits);
  WindowCursor cursor = windowCursorStart(packed, basePointEntry0, kWidth);
  AffinePoint out;
  tauWindowEvaluate(1, &cursor, out, nullptr);
  if (cursorOut != nullptr) {
    *cursorOut = cursor;
  }
  return out;
}

TEST(BasePointTable, EntryZeroIsTheSec2Generator) {
  EXPECT_EQ(basePointEntry0, &basePointTable[5]);
  EXPECT_EQ(*basePointEntry0, kSec2Generator);
  EXPECT_EQ(test::sslGenerator(), kSec2Generator);
  EXPECT_EQ(test::sslGroupOrder(), kOrder);
  EXPECT_EQ(groupOrder, kOrder);
  // Entries are 44 bytes apart, the negative ones before entry 0.
  const auto* bytes = reinterpret_cast<const unsigned char*>(basePointEntry0);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(&basePointEntry0[-5]), bytes - 5 * 44);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(&basePointEntry0[5]), bytes + 5 * 44);
}

TEST(BasePointTable, EveryEntryMatchesItsTauFormAndItsWindowDigits) {
  struct Entry {
    int index;
    long a, b;                // (a + b tau)G
    std::vector<int> window;  // digits, lowest position first
  } entries[] = {
      {-5, -1, -2, {-1, 0, 1, 0, 1}}, {-4, 1, -3, {-1, 0, 0, 0, 1}}, {-3, 3, -4, {-1, 0, -1, 0, 1}},
      {-2, -3, -1, {-1, 0, 0, 1}},    {-1, -3, 1, {-1, 0, 1}},        {0, 1, 0, {1}},
      {1, -1, 1, {1, 0, 1}},          {2, -1, -1, {1, 0, 0, 1}},      {3, 5, -4, {1, 0, -1, 0, 1}},
      {4, 3, -3, {1, 0, 0, 0, 1}},    {5, 1, -2, {1, 0, 1, 0, 1}},
  };
  for (const Entry& e : entries) {
    const AffinePoint& stored = basePointEntry0[e.index];
    EXPECT_EQ(stored, test::sslTauCombination(e.a, e.b)) << "entry " << e.index;
    EXPECT_EQ(stored, slowEvaluate(e.window, kSec2Generator)) << "entry " << e.index;
    EXPECT_TRUE(test::slowIsOnCurve(stored)) << "entry " << e.index;
    // Window value: the digits read top first as a signed binary number.
    int value = 0;
    for (auto it = e.window.rbegin(); it != e.window.rend(); ++it) {
      value = 2 * value + *it;
    }
    EXPECT_EQ(value, e.index >= 0 ? 4 * e.index + 1 : -4 * e.index - 1);
  }
}

TEST(ScalarMultiply, EdgeScalars) {
  const Words nMinus1 = orderMinus(1);
  const Words nMinus2 = orderMinus(2);
  Words all = {};
  all.fill(0xFFFF);
  Words nPlus1 = kOrder;
  nPlus1[0] = static_cast<Word>(nPlus1[0] + 1);
  const Words cases[] = {small(0),          small(1),          small(2),      small(3),
                         small(4),          small(5),          small(0xFFFF), small(0x10000),
                         nMinus1,           nMinus2,           kOrder,        nPlus1,
                         orderTimes(2),     orderTimes(3),     orderTimes(0x3FFF), all};
  for (const Words& k : cases) {
    const AffinePoint expected = sslMultiplyGenerator(k);
    EXPECT_EQ(multiply(k), expected);
  }
  EXPECT_EQ(multiply(small(0)), AffinePoint{});
  EXPECT_EQ(multiply(kOrder), AffinePoint{});
  EXPECT_EQ(multiply(orderTimes(0x3FFF)), AffinePoint{});
  EXPECT_EQ(multiply(small(1)), kSec2Generator);
  EXPECT_EQ(multiply(nMinus1), slowPointNegate(kSec2Generator));
  EXPECT_EQ(multiply(small(2)), slowPointAdd(kSec2Generator, kSec2Generator));
}

TEST(ScalarMultiply, LeavesTheScalarCanonical) {
  Words k = kOrder;
  k[0] = static_cast<Word>(k[0] + 7);  // n + 7
  AffinePoint out;
  scalarMultiply(out, k, kWidth, basePointEntry0, nullptr);
  EXPECT_EQ(k, small(7));
  EXPECT_EQ(out, sslMultiplyGenerator(small(7)));
}

TEST(ScalarMultiply, RandomScalarsMatchOpenSsl) {
  std::mt19937_64 rng(0x6B47ULL);  // "kG"
  for (int round = 0; round < 1000; ++round) {
    Words k;
    for (Word& w : k) {
      w = static_cast<Word>(rng());
    }
    if (round % 3 == 0) {
      k[10] &= 3;  // mostly below n; otherwise any 176-bit value
    }
    const AffinePoint expected = sslMultiplyGenerator(k);
    ASSERT_EQ(multiply(k), expected) << "round " << round;
  }
}

TEST(ScalarMultiply, RandomScalarsMatchTextbookDoubleAndAdd) {
  std::mt19937_64 rng(1729);
  for (int round = 0; round < 8; ++round) {
    Words k;
    for (Word& w : k) {
      w = static_cast<Word>(rng());
    }
    k[10] &= 3;
    Words reduced = k;
    modReduceFinal(reduced);
    EXPECT_EQ(multiply(k), slowPointMultiply(reduced, kSec2Generator)) << "round " << round;
  }
}

TEST(ScalarMultiply, KnownAnswerPublicKeys) {
  const auto records = test::readVectorFile(test::vectorPath("ecdsa-sect163k1-rfc6979.txt"));
  int checked = 0;
  for (const auto& record : records) {
    if (record.count("d") == 0 || record.count("Qx") == 0 || record.count("Qy") == 0) {
      continue;
    }
    const auto d = test::hexToBytes(record.at("d"));
    const auto qx = test::hexToBytes(record.at("Qx"));
    const auto qy = test::hexToBytes(record.at("Qy"));
    Words k;
    octetsToWords(static_cast<std::uint16_t>(d.size()), d.data(), kWordCount, k.data());
    AffinePoint expected;
    octetsToWords(static_cast<std::uint16_t>(qx.size()), qx.data(), kWordCount, expected.x.data());
    octetsToWords(static_cast<std::uint16_t>(qy.size()), qy.data(), kWordCount, expected.y.data());
    EXPECT_EQ(multiply(k), expected) << "d = " << record.at("d");
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

TEST(TauWindowEvaluate, WindowsFromTheTopAndTheirEntries) {
  struct Case {
    const char* what;
    std::vector<int> digits;  // lowest position first
    int lastValue;            // value and position of the last window gathered
    int lastPosition;
  } cases[] = {
      {"k = 2: one window -1 0 -1", {0, -1, 0, -1}, -5, 1},
      {"k = 3: +1 0 0 +1 then -1", {-1, 0, 1, 0, 0, 1}, -1, 0},
      {"trailing zeros end at the last nonzero digit", {0, 0, 0, 0, -1, 0, 1}, 3, 4},
      {"five-position window with zero tail", {0, 0, -1, 0, 1, 0, 0, 0, 0, 0}, 3, 2},
      {"window across two digit words", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, -1}, -3, 15},
      {"single digit at position 0", {1}, 1, 0},
      {"top position 175", std::vector<int>(176, 0), 0, 176},
  };
  cases[6].digits[175] = -1;
  cases[6].lastValue = -1;
  cases[6].lastPosition = 175;
  for (const Case& c : cases) {
    WindowCursor cursor;
    const AffinePoint out = evaluate(c.digits, &cursor);
    EXPECT_EQ(out, slowEvaluate(c.digits, kSec2Generator)) << c.what;
    EXPECT_EQ(cursor.value, c.lastValue) << c.what;
    EXPECT_EQ(cursor.position, c.lastPosition) << c.what;
  }
  EXPECT_EQ(evaluate({0, -1, 0, -1}), sslMultiplyGenerator(small(2)));
  EXPECT_EQ(evaluate({-1, 0, 1, 0, 0, 1}), sslMultiplyGenerator(small(3)));
  EXPECT_EQ(evaluate(std::vector<int>(176, 0)), AffinePoint{});
}

TEST(TauWindowEvaluate, RandomNonAdjacentDigitsMatchSlowEvaluation) {
  std::mt19937_64 rng(0x74617521ULL);
  for (int round = 0; round < 12; ++round) {
    std::vector<int> digits(176, 0);
    const int top = round < 4 ? 175 : static_cast<int>(rng() % 176);
    for (int p = 0; p <= top; ++p) {
      if ((p == 0 || digits[p - 1] == 0) && rng() % 2 == 0) {
        digits[p] = rng() % 2 == 0 ? 1 : -1;
      }
    }
    EXPECT_EQ(evaluate(digits), slowEvaluate(digits, kSec2Generator)) << "round " << round;
  }
}

TEST(TauWindowEvaluate, TwoCursorsSumTheirExpansions) {
  std::vector<int> first(176, 0);
  std::vector<int> second(176, 0);
  first[0] = 1;
  first[7] = -1;
  first[100] = 1;
  second[3] = -1;
  second[5] = 1;
  second[160] = -1;
  const TnafDigits a = pack(first);
  const TnafDigits b = pack(second);
  WindowCursor cursors[2] = {windowCursorStart(a, basePointEntry0, kWidth),
                             windowCursorStart(b, basePointEntry0, kWidth)};
  AffinePoint out;
  tauWindowEvaluate(2, cursors, out, nullptr);
  EXPECT_EQ(out, slowPointAdd(slowEvaluate(first, kSec2Generator),
                              slowEvaluate(second, kSec2Generator)));
}

// The yield callback takes no arguments; the test watches the cursor instead.
const WindowCursor* watchedCursor = nullptr;
std::vector<int> yieldPositions;
int yieldCalls = 0;

void recordPosition() { yieldPositions.push_back(watchedCursor->position); }
void countCall() { ++yieldCalls; }

TEST(TauWindowEvaluate, YieldScheduleForEveryLevel) {
  const std::vector<std::vector<int>> schedule = {
      {},
      {160, 144, 128, 112, 96, 80, 64, 48, 32, 16, 0},
      {160, 128, 96, 64, 32, 0},
      {144, 96, 48, 0},
      {128, 64, 0},
      {160, 80, 0},
      {96, 0},
      {112, 0},
      {128, 0},
      {144, 0},
      {160, 0},
  };
  // A digit at every multiple of 8: each window is that one digit, gathered
  // 7 positions above it, so at position i (a multiple of 8) the cursor stands
  // exactly on i and the callback can read the position it was called at.
  std::vector<int> digits(176, 0);
  for (int p = 0; p < 176; p += 8) {
    digits[p] = (p / 8) % 3 == 0 ? -1 : 1;
  }
  const TnafDigits packed = pack(digits);
  const AffinePoint expected = slowEvaluate(digits, kSec2Generator);
  for (std::uint32_t level = 0; level <= 10; ++level) {
    WindowCursor cursor = windowCursorStart(packed, basePointEntry0, kWidth);
    watchedCursor = &cursor;
    yieldPositions.clear();
    const YieldControl control{recordPosition, level};
    AffinePoint out;
    tauWindowEvaluate(1, &cursor, out, &control);
    watchedCursor = nullptr;  // cursor ends with this iteration
    EXPECT_EQ(yieldPositions, schedule[level]) << "level " << level;
    EXPECT_EQ(out, expected);
  }

  // Through scalarMultiply: the same number of calls for any scalar, including
  // zero (no windows at all) and one (a single window at position 0).
  std::mt19937_64 rng(5);
  for (std::uint32_t level = 0; level <= 10; ++level) {
    Words random;
    for (Word& w : random) {
      w = static_cast<Word>(rng());
    }
    random[10] &= 3;
    for (const Words& k : {small(0), small(1), random}) {
      yieldCalls = 0;
      const YieldControl control{countCall, level};
      const AffinePoint out = multiply(k, &control);
      EXPECT_EQ(yieldCalls, static_cast<int>(schedule[level].size())) << "level " << level;
      EXPECT_EQ(out, sslMultiplyGenerator(k));
    }
  }
  yieldCalls = 0;
  const YieldControl absent{nullptr, 0};
  multiply(small(9), &absent);
  multiply(small(9), nullptr);
  EXPECT_EQ(yieldCalls, 0);
}

TEST(TauWindowEvaluate, TwoCursorsYieldEveryEightLevels) {
  std::vector<int> digits(176, 0);
  digits[170] = 1;
  const TnafDigits a = pack(digits);
  const TnafDigits b = pack(digits);
  WindowCursor cursors[2] = {windowCursorStart(a, basePointEntry0, kWidth),
                             windowCursorStart(b, basePointEntry0, kWidth)};
  yieldCalls = 0;
  const YieldControl control{countCall, 3};  // multiples of 24 from 168 down: 8 calls
  AffinePoint out;
  tauWindowEvaluate(2, cursors, out, &control);
  EXPECT_EQ(yieldCalls, 8);
}

}  // namespace
}  // namespace otawrap
