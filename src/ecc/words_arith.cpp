// Plain multi-word arithmetic on 16-bit words and the big-endian octet
// conversions. Carries and borrows are detected word by word by comparison;
// products are built from 8-bit by 8-bit multiplications, so nothing here
// needs an accumulator wider than one word.
#include "ecc/words.h"

namespace otawrap {
namespace {

// Widest count any caller passes to wordsAdd/wordsSub (a 22-word product).
constexpr std::uint16_t kMaxAddCount = 22;

// One 16x16-bit product as (high, low), from four 8x8-bit products.
inline void mulWordPair(Word m, Word w, Word& high, Word& low) {
  const Word ml = static_cast<Word>(m & 0xFFu);
  const Word mh = static_cast<Word>(m >> 8);
  const Word wl = static_cast<Word>(w & 0xFFu);
  const Word wh = static_cast<Word>(w >> 8);
  Word lo = static_cast<Word>(ml * wl);
  Word hi = static_cast<Word>(mh * wh);
  const Word crossA = static_cast<Word>(wh * ml);
  const Word cross = static_cast<Word>(crossA + static_cast<Word>(wl * mh));
  if (cross < crossA) {
    hi = static_cast<Word>(hi + 0x100u);
  }
  hi = static_cast<Word>(hi + (cross >> 8));
  const Word crossLow = static_cast<Word>(cross << 8);
  lo = static_cast<Word>(lo + crossLow);
  if (lo < crossLow) {
    hi = static_cast<Word>(hi + 1u);
  }
  high = hi;
  low = lo;
}

// sum = (sum + b) mod 2^(16*count) in place, with the carry rules of wordsAdd.
// sum must not overlap b.
inline int addInPlace(Word* sum, const Word* b, std::uint16_t count) {
  int carry = 0;
  const std::uint16_t top = static_cast<std::uint16_t>(count - 1);
  for (std::uint16_t i = 0; i < count; ++i) {
    sum[i] = static_cast<Word>(sum[i] + b[i]);
    if (sum[i] >= b[i]) {
      continue;
    }
    if (i == top) {
      carry = 1;
      continue;
    }
    sum[i + 1] = static_cast<Word>(sum[i + 1] + 1u);
    if (sum[i + 1] != 0) {
      continue;
    }
    if (i + 1 == top) {
      carry = 1;
    } else {
      carry |= wordsIncrementFrom(static_cast<std::uint16_t>(i + 2), count, sum);
    }
  }
  return carry;
}

// diff = (diff - b) mod 2^(16*count) in place, with the borrow rules of wordsSub.
// diff must not overlap b.
inline int subInPlace(Word* diff, const Word* b, std::uint16_t count) {
  int borrow = 0;
  const std::uint16_t top = static_cast<std::uint16_t>(count - 1);
  for (std::uint16_t i = 0; i < count; ++i) {
    const Word before = diff[i];
    diff[i] = static_cast<Word>(before - b[i]);
    if (diff[i] <= before) {
      continue;
    }
    if (i == top) {
      borrow = 1;
      continue;
    }
    const Word next = diff[i + 1];
    diff[i + 1] = static_cast<Word>(next - 1u);
    if (next != 0) {
      continue;
    }
    if (i + 1 == top) {
      borrow = 1;
    } else {
      borrow |= wordsDecrementFrom(static_cast<std::uint16_t>(i + 2), count, diff);
    }
  }
  return borrow;
}

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
  Word high = 0;
  Word low = 0;
  mulWordPair(a[0], w, high, low);
  out[0] = low;
  out[1] = high;
  for (std::uint16_t i = 1; i < kWordCount; ++i) {
    mulWordPair(a[i], w, high, low);
    // out[i] holds the previous high; high <= 0xFFFE, so high + 1 cannot wrap.
    out[i] = static_cast<Word>(out[i] + low);
    if (out[i] < low) {
      high = static_cast<Word>(high + 1u);
    }
    out[i + 1] = high;
  }
}

void wordsMultiply(const Words& a, const Words& b, WideWords& out) {
  WordProduct row;
  wordsMulWord(a, b[kWordCount - 1], row);
  for (std::uint16_t t = 0; t < 12; ++t) {
    out[10 + t] = row[t];
  }
  // Each lower row writes its bottom word and adds the other eleven into the
  // words already holding the higher rows.
  for (int k = kWordCount - 2; k >= 0; --k) {
    wordsMulWord(a, b[k], row);
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
