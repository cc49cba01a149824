// 11-word utilities: copy, compare, tests, constants and the one-bit shift.
#include "ecc/words.h"

#include "ecc/words_inline.h"

namespace otawrap {

void wordsCopy(const Words& src, Words& dst) { dst = src; }

int wordsCompare(const Words& a, const Words& b) {
  for (int k = kWordCount - 1; k >= 0; --k) {
    if (a[k] != b[k]) {
      return a[k] > b[k] ? 1 : -1;
    }
  }
  return 0;
}

int wordsIsOne(const Word* a, std::uint16_t count) {
  if (count == 0 || a[0] != 1) {
    return 0;
  }
  return wordsIsZero(a + 1, static_cast<std::uint16_t>(count - 1));
}

int wordsIsZero(const Word* a, std::uint16_t count) { return wordsKernel::isZero(a, count); }

void wordsSetOne(Word* a, std::uint16_t count) {
  wordsSetZero(a, count);
  if (count > 0) {
    a[0] = 1;
  }
}

void wordsSetZero(Word* a, std::uint16_t count) {
  for (std::uint16_t k = 0; k < count; ++k) {
    a[k] = 0;
  }
}

void wordsShiftRight1(Words& a) { wordsKernel::shiftRight1(a.data()); }

}  // namespace otawrap
