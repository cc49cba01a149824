// Loose arithmetic modulo the group order. Reductions fold whole words from the
// top using 2^176 = -orderWrapNeg and 2^162 = -orderTail (mod n); wrapped sums
// and differences are corrected by adding multiples of 2^176 mod n, never by
// comparing with n.
#include "ecc/modn.h"

namespace otawrap {
namespace {

// Corrections on 11 words that may sit inside a wider array.
void fixBorrowAt(Word* x) {
  int carry = wordsAdd(x, orderWrapNeg.data(), x, kWordCount);
  // After one wrap x is below orderWrapNeg, so adding orderWrap stays below n.
  while (carry != 0) {
    carry = wordsAdd(x, orderWrap.data(), x, kWordCount);
  }
}

void subAt(const Word* a, const Word* b, Word* out) {
  if (wordsSub(a, b, out, kWordCount) != 0) {
    fixBorrowAt(out);
  }
}

}  // namespace

void modFixBorrow(ModNumber& x) { fixBorrowAt(x.data()); }

void modFixCarry(ModNumber& x) {
  if (wordsSub(x.data(), orderWrapNeg.data(), x.data(), kWordCount) != 0) {
    fixBorrowAt(x.data());
  }
}

void modAdd(const ModNumber& a, const ModNumber& b, ModNumber& out) {
  if (wordsAdd(a.data(), b.data(), out.data(), kWordCount) != 0) {
    modFixCarry(out);
  }
}

void modSub(const ModNumber& a, const ModNumber& b, ModNumber& out) {
  subAt(a.data(), b.data(), out.data());
}

void modReduceWide(WideWords& wide, ModNumber& out) {
  WordProduct t;
  // Word k+11 stands for word * 2^176 * 2^(16k) = -word * orderWrapNeg * 2^(16k):
  // subtract that from the window of words k..k+10. Folding from the top lets
  // word k+10 take up the fold of word k+11 before its own turn.
  for (int k = kWordCount - 1; k >= 0; --k) {
    wordsMulWord(orderWrapNeg, wide[k + kWordCount], t);
    subAt(wide.data() + k, t.data(), wide.data() + k);
  }
  for (std::uint16_t i = 0; i < kWordCount; ++i) {
    out[i] = wide[i];
  }
}

void modMultiply(const ModNumber& a, const ModNumber& b, ModNumber& out) {
  WideWords product;
  wordsMultiply(a, b, product);
  modReduceWide(product, out);
}

void modReduceFinal(ModNumber& x) {
  // Bits 162..175 fold down as q * 2^162 = -q * orderTail.
  const Word q = static_cast<Word>(x[kWordCount - 1] >> 2);
  WordProduct t;
  wordsMulWord(orderTail, q, t);
  x[kWordCount - 1] = static_cast<Word>(x[kWordCount - 1] & 3u);
  subAt(x.data(), t.data(), x.data());
}

int modInvert(const ModNumber& a, ModNumber& out) {
  // Invariant: x1 * a = u and x2 * a = v (mod n).
  ModNumber u = groupOrder;
  ModNumber x1{};
  ModNumber v = a;
  ModNumber x2;
  wordsSetOne(x2.data(), kWordCount);
  if (wordsIsZero(v.data(), kWordCount) != 0) {
    return kModNoInverse;
  }
  for (;;) {
    while ((v[0] & 1u) == 0) {
      int carry = 0;
      if ((x2[0] & 1u) != 0) {
        carry = wordsAdd(x2.data(), groupOrder.data(), x2.data(), kWordCount);
      }
      wordsShiftRight1(v);
      wordsShiftRight1(x2);
      if (carry != 0) {
        x2[kWordCount - 1] = static_cast<Word>(x2[kWordCount - 1] | 0x8000u);
      }
    }
    if (wordsIsOne(v.data(), kWordCount) != 0) {
      wordsCopy(x2, out);
      return 0;
    }
    if (wordsCompare(u, v) > 0) {
      const ModNumber swapU = u;
      u = v;
      v = swapU;
      const ModNumber swapX = x1;
      x1 = x2;
      x2 = swapX;
    }
    wordsSub(v.data(), u.data(), v.data(), kWordCount);
    modSub(x2, x1, x2);
    if (wordsIsZero(v.data(), kWordCount) != 0) {
      return kModNoInverse;
    }
  }
}

}  // namespace otawrap
