// Tau-adic window evaluation and kG.
#include "ecc/scalar_mult.h"
#include "ecc/scalar_mult_internal.h"

#include "ecc/modn.h"

namespace otawrap {

namespace {

constexpr std::int32_t kDigitPositions = 176;

// Moves the cursor's position, word and mask one digit down.
inline void stepDown(WindowCursor& c) {
  --c.position;
  c.mask = static_cast<std::uint16_t>(c.mask >> 2);
  if (c.mask == 0) {
    c.mask = 0xC000;
    --c.word;
  }
}

// Digit at the cursor: code 00 = 0, upper bit set = -1, otherwise +1.
inline int digitAt(const WindowCursor& c) {
  const unsigned bits = static_cast<unsigned>(*c.word) & c.mask;
  if (bits == 0) {
    return 0;
  }
  return (bits & 0xAAAAu) != 0 ? -1 : 1;
}

// Finds the next nonzero digit below the cursor (position 0 ends the scan
// untested), then reads up to width positions from there as a signed binary
// number e. The cursor ends on the window's lowest nonzero digit with value e;
// it stays as it was if no nonzero digit turns up.
void gatherWindow(WindowCursor& cursor) {
  WindowCursor scan = cursor;
  do {
    stepDown(scan);
  } while (scan.position > 0 && digitAt(scan) == 0);

  std::int32_t e = 0;
  for (std::int32_t n = 0; n < cursor.width && scan.position >= 0; ++n) {
    const int digit = digitAt(scan);
    e = 2 * e + digit;
    if (digit != 0) {
      cursor.value = e;
      cursor.position = scan.position;
      cursor.word = scan.word;
      cursor.mask = scan.mask;
    }
    if (scan.position == 0) {
      break;
    }
    stepDown(scan);
  }
}

// Table index for an odd window value: e and -e share an entry; |e| = 4j + 1
// gives j, |e| = 4j - 1 gives -j. This is e (negated first when bit 1 of e is
// set) divided by 4 rounding toward minus infinity.
inline std::int32_t entryIndex(std::int32_t e) {
  if (((static_cast<std::uint32_t>(e) >> 1) & 1u) != 0) {
    e = -e;
  }
  return e >= 0 ? e / 4 : -((-e + 3) / 4);
}

}  // namespace

WindowCursor windowCursorStart(const TnafDigits& digits, const AffinePoint* table, std::int32_t width) {
  return WindowCursor{table, width, kDigitPositions, 0, digits.data() + digits.size(), 0x0003};
}

int scalarMultiply(AffinePoint& out, ModNumber& k, std::int32_t width, const AffinePoint* table,
                   const YieldControl* yield) {
  TnafDigits digits{};  // every word is written by the recoding; zeroed to keep GCC certain
  WindowCursor cursor = windowCursorStart(digits, table, width);
  modReduceFinal(k);
  tauNafRecode(k, digits);
  tauWindowEvaluate(1, &cursor, out, yield);
  return 0;
}

void tauWindowEvaluate(int count, WindowCursor* cursors, AffinePoint& out, const YieldControl* yield) {
  ProjectivePoint sum;
  wordsSetZero(sum.X.data(), kWordCount);
  wordsSetZero(sum.Y.data(), kWordCount);
  wordsSetOne(sum.Z.data(), kWordCount);
  bool holdsPoint = false;
  const int yieldShift = 5 - count;
  const std::uint32_t yieldLevel = yield != nullptr ? yield->level : 0;

  for (std::int32_t i = cursors[0].position - 1; i >= 0; --i) {
    if (holdsPoint) {
      pointFrobenius(sum);
    }
    for (int c = count - 1; c >= 0; --c) {
      WindowCursor& cursor = cursors[c];
      if (cursor.position > i && cursor.position > 0) {
        gatherWindow(cursor);
      }
      if (i == cursor.position && cursor.value != 0) {
        const int negate = cursor.value < 0 ? 1 : 0;
        const AffinePoint& entry = cursor.table[entryIndex(cursor.value)];
        if (holdsPoint) {
          pointAddMixed(sum, entry, sum, negate);
        } else {
          wordsCopy(entry.x, sum.X);
          wordsCopy(entry.y, sum.Y);
          if (negate != 0) {
            fieldAdd(sum.X, sum.Y, sum.Y);
          }
          holdsPoint = true;
        }
      }
    }
    if (yieldLevel != 0) {
      const std::uint32_t step = static_cast<std::uint32_t>(i);
      if ((step & ((1u << yieldShift) - 1u)) == 0 && ((step >> yieldShift) % yieldLevel) == 0) {
        yield->callback();
      }
    }
  }
  if (!holdsPoint) {
    wordsSetZero(sum.X.data(), kWordCount);
    wordsSetZero(sum.Y.data(), kWordCount);
  }
  pointToAffine(sum, out);
}

}  // namespace otawrap
