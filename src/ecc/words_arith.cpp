// Plain multi-word arithmetic on 16-bit words and the big-endian octet
// conversions. Carries and borrows are detected word by word by comparison;
// products are built from 8-bit by 8-bit multiplications, so nothing here
// needs an accumulator wider than one word.
#include "ecc/words.h"

#include "ecc/words_inline.h"

namespace otawrap {
namespace {

using wordsKernel::addInPlace;
using wordsKernel::subInPlace;

// Widest count any caller passes to wordsAdd/wordsSub (a 22-word product).
constexpr std::uint16_t kMaxAddCount = 22;

}  // namespace

int wordsAdd(const Word* a, const Word* b, Word* out, std::uint16_t count) {
  Word sum[kMaxAddCount];
  for (std::uint16_t i = 0; i < count; ++i) {
    sum[i] = a[i];
  }
  const int carry = addInPlace(sum, b, count);
  for (std::uint16_t i = 0; i < count; ++i) {
    out[i] = sum[i];
  }
  return carry;
}

int wordsSub(const Word* a, const Word* b, Word* out, std::uint16_t count) {
  Word diff[kMaxAddCount];
  for (std::uint16_t i = 0; i < count; ++i) {
    diff[i] = a[i];
  }
  const int borrow = subInPlace(diff, b, count);
  for (std::uint16_t i = 0; i < count; ++i) {
    out[i] = diff[i];
  }
  return borrow;
}

int wordsIncrementFrom(std::uint16_t i, std::uint16_t count, Word* x) {
  for (; i < count; ++i) {
    x[i] = static_cast<Word>(x[i] + 1u);
    // cppcheck-suppress knownConditionTrueFalse ; the 16-bit word wraps to 0
    if (x[i] != 0) {
      return 0;
    }
  }
  return 1;
}

int wordsDecrementFrom(std::uint16_t i, std::uint16_t count, Word* x) {
  for (; i < count; ++i) {
    const Word before = x[i];
    x[i] = static_cast<Word>(before - 1u);
    if (before != 0) {
      return 0;
    }
  }
  return 1;
}

int wordsNegate(const Words& src, Words& dst) { return wordsKernel::negate(src.data(), dst.data()); }

void wordsMulWord(const Words& a, Word w, WordProduct& out) {
  wordsKernel::mulWordRow(a.data(), w, out.data());
}

void wordsMultiply(const Words& a, const Words& b, WideWords& out) {
  // Row k is a * b[k] in 12 words, formed as wordsMulWord forms it. The rows
  // are independent of each other, so they are formed side by side, one lane
  // per row (b padded with zero words to 16 lanes), in loops the compiler can
  // vectorise; then they are added into out from the top row down.
  constexpr std::uint16_t kLanes = 16;
  Word lanes[kLanes] = {};
  for (std::uint16_t k = 0; k < kWordCount; ++k) {
    lanes[k] = b[k];
  }
  // rows[i][k] = word i of row k.
  Word rows[kWordCount + 1][kLanes];
  Word previousHigh[kLanes];
  for (std::uint16_t i = 0; i < kWordCount; ++i) {
    for (std::uint16_t k = 0; k < kLanes; ++k) {
      Word hi = 0;
      Word lo = 0;
      wordsKernel::mulWordPair(a[i], lanes[k], hi, lo);
      // Its low word goes into the previous product's high word; the carry
      // goes into its own high word, which is at most 0xFFFE.
      if (i == 0) {
        rows[0][k] = lo;
      } else {
        const Word sum = static_cast<Word>(previousHigh[k] + lo);
        rows[i][k] = sum;
        hi = static_cast<Word>(hi + (sum < lo ? 1u : 0u));
      }
      previousHigh[k] = hi;
    }
  }
  for (std::uint16_t k = 0; k < kLanes; ++k) {
    rows[kWordCount][k] = previousHigh[k];
  }

  for (std::uint16_t t = 0; t <= kWordCount; ++t) {
    out[kWordCount - 1 + t] = rows[t][kWordCount - 1];
  }
  // Each lower row writes its bottom word and adds the other eleven into the
  // words already holding the higher rows.
  Word row[kWordCount];
  for (int k = kWordCount - 2; k >= 0; --k) {
    out[k] = rows[0][k];
    for (std::uint16_t t = 0; t < kWordCount; ++t) {
      row[t] = rows[t + 1][k];
    }
    if (addInPlace(out.data() + k + 1, row, kWordCount) != 0) {
      wordsIncrementFrom(static_cast<std::uint16_t>(k + 12), 22, out.data());
    }
  }
}

void octetsToWords(std::uint16_t length, const std::uint8_t* octets, std::uint16_t count,
                   Word* words) {
  std::uint16_t first = 0;
  while (first < length && octets[first] == 0) {
    ++first;
  }
  const std::uint16_t significant = static_cast<std::uint16_t>(length - first);
  const std::uint16_t used = static_cast<std::uint16_t>((significant + 1) / 2);
  for (std::uint16_t k = used; k < count; ++k) {
    words[k] = 0;
  }
  // Walk from the last octet (lowest byte of word 0) upwards.
  // cppcheck-suppress knownConditionTrueFalse ; significant is 0 only for an all-zero input
  for (std::uint16_t j = 0; j < significant; ++j) {
    const std::uint8_t octet = octets[length - 1 - j];
    const std::uint16_t k = static_cast<std::uint16_t>(j / 2);
    if ((j & 1u) == 0) {
      words[k] = octet;
    } else {
      words[k] = static_cast<Word>(words[k] | (octet << 8));
    }
  }
}

void wordsToOctets(int zeroFill, std::uint16_t count, const Word* words, std::uint16_t outLength,
                   std::uint8_t* out) {
  // Octet j of the value is byte (j mod 2) of word j/2.
  const auto octetAt = [words](std::uint16_t j) -> std::uint8_t {
    const Word w = words[j / 2];
    return static_cast<std::uint8_t>((j & 1u) != 0 ? (w >> 8) : (w & 0xFFu));
  };
  std::uint16_t significant = static_cast<std::uint16_t>(2 * count);
  while (significant > 0 && octetAt(static_cast<std::uint16_t>(significant - 1)) == 0) {
    --significant;
  }
  if (zeroFill != 0 && outLength > significant) {
    const std::uint16_t pad = static_cast<std::uint16_t>(outLength - significant);
    for (std::uint16_t i = 0; i < pad; ++i) {
      out[i] = 0;
    }
    for (std::uint16_t i = 0; i < significant; ++i) {
      out[pad + i] = octetAt(static_cast<std::uint16_t>(significant - 1 - i));
    }
    return;
  }
  if (significant == 0) {
    if (zeroFill == 0 && outLength > 0) {
      out[0] = 0;
    }
    return;
  }
  const std::uint16_t written = significant < outLength ? significant : outLength;
  for (std::uint16_t i = 0; i < written; ++i) {
    out[i] = octetAt(static_cast<std::uint16_t>(significant - 1 - i));
  }
}

}  // namespace otawrap
