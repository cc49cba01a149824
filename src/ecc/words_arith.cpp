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

int wordsNegate(const Words& src, Words& dst) {
  for (std::uint16_t k = 0; k < kWordCount; ++k) {
    dst[k] = static_cast<Word>(~src[k]);
  }
  return wordsIncrementFrom(0, kWordCount, dst.data());
}

void wordsMulWord(const Words& a, Word w, WordProduct& out) {
  wordsKernel::mulWordRow(a.data(), w, out.data());
}

void wordsMultiply(const Words& a, const Words& b, WideWords& out) {
  WordProduct row;
  wordsKernel::mulWordRow(a.data(), b[kWordCount - 1], row.data());
  for (std::uint16_t t = 0; t < 12; ++t) {
    out[10 + t] = row[t];
  }
  // Each lower row writes its bottom word and adds the other eleven into the
  // words already holding the higher rows.
  for (int k = kWordCount - 2; k >= 0; --k) {
    wordsKernel::mulWordRow(a.data(), b[k], row.data());
    out[k] = row[0];
    if (addInPlace(out.data() + k + 1, row.data() + 1, kWordCount) != 0) {
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
