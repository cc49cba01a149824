// Fixed-size multi-word integers for the sect163k1 arithmetic.
//
// Every value is an array of unsigned 16-bit words, least significant word first.
// `Words` (11 words, 176 bits) carries both field elements of GF(2^163) and
// integers modulo the group order; `WideWords` (22 words) holds a full product.
// Routines take outputs last, never allocate, never fail, and never test their
// pointers. Unless a contract says otherwise an output may be the same array as
// an input.
#pragma once

#include <array>
#include <cstdint>

namespace otawrap {

using Word = std::uint16_t;
inline constexpr std::uint16_t kWordCount = 11;
using Words = std::array<Word, 11>;
using FieldElement = Words;  // element of GF(2^163), possibly partially reduced
using ModNumber = Words;     // residue modulo the group order, possibly loose
using WideWords = std::array<Word, 22>;
using WordProduct = std::array<Word, 12>;  // an 11-word number times one word

// --- 11-word utilities shared by field and integer code -------------------

// dst = src (11 words). The source comes first.
void wordsCopy(const Words& src, Words& dst);
// 1 if a > b, -1 if a < b, 0 if equal, as unsigned 176-bit numbers.
int wordsCompare(const Words& a, const Words& b);
// 1 if a[0] == 1 and a[1..count-1] are zero, else 0.
int wordsIsOne(const Word* a, std::uint16_t count);
// 1 if a[0..count-1] are all zero (count 0 gives 1), else 0.
int wordsIsZero(const Word* a, std::uint16_t count);
// a = 1 over count words.
void wordsSetOne(Word* a, std::uint16_t count);
// a = 0 over count words.
void wordsSetZero(Word* a, std::uint16_t count);
// a = a >> 1 as a 176-bit number; a zero enters at bit 175.
void wordsShiftRight1(Words& a);

// --- plain multi-word arithmetic (wraps modulo 2^(16*count)) --------------

// out = (a + b) mod 2^(16*count); returns the carry (0 or 1). 2 <= count <= 22.
// out may alias a or b.
int wordsAdd(const Word* a, const Word* b, Word* out, std::uint16_t count);
// out = (a - b) mod 2^(16*count); returns 1 if a < b, else 0. 2 <= count <= 22.
// out may alias a or b.
int wordsSub(const Word* a, const Word* b, Word* out, std::uint16_t count);
// x += 2^(16*i) modulo 2^(16*count), in place; returns 1 if the carry leaves
// word count-1. Requires i < count.
int wordsIncrementFrom(std::uint16_t i, std::uint16_t count, Word* x);
// x -= 2^(16*i) modulo 2^(16*count), in place; returns 1 if the borrow leaves
// word count-1. Requires i < count.
int wordsDecrementFrom(std::uint16_t i, std::uint16_t count, Word* x);
// dst = (2^176 - src) mod 2^176; returns 1 if src is zero. dst may be src.
int wordsNegate(const Words& src, Words& dst);
// out = a * w exactly (12 words). out must not overlap a.
void wordsMulWord(const Words& a, Word w, WordProduct& out);
// out = a * b exactly (22 words). out must not overlap a or b.
void wordsMultiply(const Words& a, const Words& b, WideWords& out);

// --- octet strings ----------------------------------------------------------

// words (count words) = the big-endian integer in octets[0..length-1]. Leading
// zero octets are skipped; the significant octets must fit in count words.
void octetsToWords(std::uint16_t length, const std::uint8_t* octets, std::uint16_t count,
                   Word* words);
// out = big-endian octets of the count-word value. With zeroFill nonzero and
// outLength above the significant length, the value is left-padded with zeros to
// exactly outLength octets; otherwise its most significant min(S, outLength)
// octets are written (zero as the single octet 0).
void wordsToOctets(int zeroFill, std::uint16_t count, const Word* words, std::uint16_t outLength,
                   std::uint8_t* out);

// The same 176-bit value in three 64-bit limbs (ecc/limbs.h), least
// significant first, and back; the limbs' top 16 bits are zero.
constexpr std::array<std::uint64_t, 3> wordsToLimbs(const Words& a) {
  std::array<std::uint64_t, 3> r{};
  for (int k = 0; k < kWordCount; ++k) {
    r[k / 4] |= static_cast<std::uint64_t>(a[k]) << (16 * (k % 4));
  }
  return r;
}

constexpr Words limbsToWords(const std::array<std::uint64_t, 3>& a) {
  Words r{};
  for (int k = 0; k < kWordCount; ++k) {
    r[k] = static_cast<Word>(a[k / 4] >> (16 * (k % 4)));
  }
  return r;
}

}  // namespace otawrap
