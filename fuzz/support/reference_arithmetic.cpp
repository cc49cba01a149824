#include "support/reference_arithmetic.h"

namespace otawrap::fuzz {

namespace {

constexpr int kDegree = 163;

// The group order n of sect163k1 (SEC 2), big-endian hexadecimal digits.
constexpr char kOrderHex[] = "4000000000000000000020108A2E0CC0D99F8A5EF";

int bitOf(const Word* words, int i) { return (words[i / 16] >> (i % 16)) & 1; }

void toggleBit(Word* words, int i) {
  words[i / 16] = static_cast<Word>(words[i / 16] ^ (1u << (i % 16)));
}

// The order as 11 words, parsed from its published digits.
Words groupOrderWords() {
  Words n{};
  int bit = 0;
  for (int i = static_cast<int>(sizeof kOrderHex) - 2; i >= 0; --i, bit += 4) {
    const char c = kOrderHex[i];
    const unsigned digit = c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>(c - 'A' + 10);
    n[bit / 16] = static_cast<Word>(n[bit / 16] | (digit << (bit % 16)));
  }
  return n;
}

// 12-word remainder helpers: the remainder stays below 2n < 2^164, but one
// spare word keeps the doubling obviously free of overflow.
using Remainder = std::array<std::uint32_t, 12>;

bool remainderAtLeast(const Remainder& r, const Words& n) {
  for (int i = 11; i >= 0; --i) {
    const std::uint32_t ni = i < 11 ? n[i] : 0;
    if (r[i] != ni) return r[i] > ni;
  }
  return true;
}

void remainderSubtract(Remainder& r, const Words& n) {
  std::int64_t borrow = 0;
  for (int i = 0; i < 12; ++i) {
    std::int64_t digit = static_cast<std::int64_t>(r[i]) - (i < 11 ? n[i] : 0) - borrow;
    borrow = digit < 0 ? 1 : 0;
    if (digit < 0) digit += 65536;
    r[i] = static_cast<std::uint32_t>(digit);
  }
}

void remainderDoublePlus(Remainder& r, int bit) {
  std::uint32_t carry = static_cast<std::uint32_t>(bit);
  for (int i = 0; i < 12; ++i) {
    const std::uint32_t value = r[i] * 2 + carry;
    r[i] = value & 0xFFFF;
    carry = value >> 16;
  }
}

Words modReduceBits(const Word* value, int bits) {
  const Words n = groupOrderWords();
  Remainder r{};
  for (int i = bits - 1; i >= 0; --i) {
    remainderDoublePlus(r, bitOf(value, i));
    if (remainderAtLeast(r, n)) remainderSubtract(r, n);
  }
  Words out{};
  for (int i = 0; i < 11; ++i) out[i] = static_cast<Word>(r[i]);
  return out;
}

// Folds every term of degree 163 or more of a bits-long polynomial, from the top.
Words fieldReduceBits(Word* product, int bits) {
  for (int d = bits - 1; d >= kDegree; --d) {
    if (bitOf(product, d) != 0) {
      toggleBit(product, d);
      toggleBit(product, d - kDegree + 7);
      toggleBit(product, d - kDegree + 6);
      toggleBit(product, d - kDegree + 3);
      toggleBit(product, d - kDegree);
    }
  }
  Words out{};
  for (int i = 0; i < 11; ++i) out[i] = product[i];
  return out;
}

}  // namespace

Words referenceFieldMultiply(const Words& a, const Words& b) {
  // Shift-and-add: for every set bit i of a, add (XOR) b * x^i.
  std::array<Word, 23> product{};
  for (int i = 0; i < 176; ++i) {
    if (bitOf(a.data(), i) == 0) continue;
    for (int k = 0; k < 11; ++k) {
      const std::uint32_t shifted = std::uint32_t{b[k]} << (i % 16);
      product[k + i / 16] = static_cast<Word>(product[k + i / 16] ^ (shifted & 0xFFFF));
      product[k + i / 16 + 1] = static_cast<Word>(product[k + i / 16 + 1] ^ (shifted >> 16));
    }
  }
  return fieldReduceBits(product.data(), 352);
}

Words referenceFieldReduce(const Words& a) {
  Words copy = a;
  return fieldReduceBits(copy.data(), 176);
}

WideWords referenceIntegerMultiply(const Words& a, const Words& b) {
  std::array<std::uint64_t, 22> columns{};
  for (int i = 0; i < 11; ++i) {
    for (int j = 0; j < 11; ++j) {
      columns[i + j] += static_cast<std::uint64_t>(a[i]) * b[j];
    }
  }
  WideWords out{};
  std::uint64_t carry = 0;
  for (int k = 0; k < 22; ++k) {
    const std::uint64_t value = columns[k] + carry;
    out[k] = static_cast<Word>(value & 0xFFFF);
    carry = value >> 16;
  }
  return out;
}

Words referenceModReduce(const WideWords& wide) { return modReduceBits(wide.data(), 352); }

Words referenceModReduce(const Words& a) { return modReduceBits(a.data(), 176); }

}  // namespace otawrap::fuzz
