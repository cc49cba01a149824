// Inline kernels behind the plain multi-word operations, shared by the word,
// modular and tau-adic code so that the fixed 11-word loops can be unrolled
// where they are used. Same arithmetic as the out-of-line operations of
// words.h: carries and borrows are found by comparing 16-bit words, products
// are built from 8-bit by 8-bit multiplications, and no wider accumulator is
// used.
#pragma once

#include "ecc/words.h"

namespace otawrap {
namespace wordsKernel {

// sum = (sum + b) mod 2^(16*count) in place; returns the carry. The carry out
// of word i enters word i+1 before b's word does; a word that this wraps to
// zero carries on into the next word in the same way. Both carry tests are
// kept as 0/1 values, so random data meets no unpredictable branch. sum must
// not overlap b.
inline int addInPlace(Word* sum, const Word* b, std::uint16_t count) {
  unsigned carry = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    Word word = static_cast<Word>(sum[i] + carry);
    const unsigned wrapped = word < carry ? 1u : 0u;
    word = static_cast<Word>(word + b[i]);
    carry = wrapped | (word < b[i] ? 1u : 0u);
    sum[i] = word;
  }
  return static_cast<int>(carry);
}

// diff = (diff - b) mod 2^(16*count) in place; returns the borrow, with the
// same structure as addInPlace. diff must not overlap b.
inline int subInPlace(Word* diff, const Word* b, std::uint16_t count) {
  unsigned borrow = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    const Word before = diff[i];
    const Word middle = static_cast<Word>(before - borrow);
    const unsigned wrapped = before < borrow ? 1u : 0u;
    diff[i] = static_cast<Word>(middle - b[i]);
    borrow = wrapped | (middle < b[i] ? 1u : 0u);
  }
  return static_cast<int>(borrow);
}

// One 16x16-bit product m * w as (high, low) from four 8x8-bit products.
inline void mulWordPair(Word m, Word w, Word& high, Word& low) {
  const Word ml = static_cast<Word>(m & 0xFFu);
  const Word mh = static_cast<Word>(m >> 8);
  const Word wl = static_cast<Word>(w & 0xFFu);
  const Word wh = static_cast<Word>(w >> 8);
  Word lo = static_cast<Word>(ml * wl);
  Word hi = static_cast<Word>(mh * wh);
  const Word crossA = static_cast<Word>(wh * ml);
  const Word cross = static_cast<Word>(crossA + static_cast<Word>(wl * mh));
  // The carries are frequent and data-dependent: they are added as 0 or 1
  // (0x100 for the cross sum) rather than branched on.
  hi = static_cast<Word>(hi + (cross < crossA ? 0x100u : 0u) + (cross >> 8));
  const Word crossLow = static_cast<Word>(cross << 8);
  lo = static_cast<Word>(lo + crossLow);
  hi = static_cast<Word>(hi + (lo < crossLow ? 1u : 0u));
  high = hi;
  low = lo;
}

// out (12 words) = a (11 words) * w exactly. The low word of each product is
// added into the high word of the previous one; its carry goes into this
// product's high word, which cannot overflow (it is at most 0xFFFE). out must
// not overlap a.
inline void mulWordRow(const Word* a, Word w, Word* out) {
  Word high = 0;
  Word low = 0;
  mulWordPair(a[0], w, high, low);
  out[0] = low;
  out[1] = high;
  for (std::uint16_t i = 1; i < kWordCount; ++i) {
    mulWordPair(a[i], w, high, low);
    out[i] = static_cast<Word>(out[i] + low);
    out[i + 1] = static_cast<Word>(high + (out[i] < low ? 1u : 0u));
  }
}

// 1 if a[0..count-1] are all zero (count 0 gives 1), else 0.
inline int isZero(const Word* a, std::uint16_t count = kWordCount) {
  Word any = 0;
  for (std::uint16_t k = 0; k < count; ++k) {
    any = static_cast<Word>(any | a[k]);
  }
  return any == 0 ? 1 : 0;
}

// a = a >> 1 over 11 words; a zero enters at bit 175.
inline void shiftRight1(Word* a) {
  for (std::uint16_t k = 0; k + 1 < kWordCount; ++k) {
    a[k] = static_cast<Word>((a[k] >> 1) | ((a[k + 1] & 1u) << 15));
  }
  a[kWordCount - 1] = static_cast<Word>(a[kWordCount - 1] >> 1);
}

// dst = (2^176 - src) mod 2^176: the complement plus one; returns 1 if src is
// zero. dst may be src.
inline int negate(const Word* src, Word* dst) {
  for (std::uint16_t k = 0; k < kWordCount; ++k) {
    dst[k] = static_cast<Word>(~src[k]);
  }
  return wordsIncrementFrom(0, kWordCount, dst);
}

}  // namespace wordsKernel
}  // namespace otawrap
