// Loose arithmetic modulo the group order. Reductions fold whole words from the
// top using 2^176 = -orderWrapNeg and 2^162 = -orderTail (mod n); wrapped sums
// and differences are corrected by adding multiples of 2^176 mod n, never by
// comparing with n.
#include "ecc/modn.h"
#include "ecc/modn_internal.h"

#include "ecc/words_inline.h"

namespace otawrap {
namespace {

using wordsKernel::addInPlace;
using wordsKernel::subInPlace;

// Corrections on 11 words that may sit inside a wider array.
void fixBorrowAt(Word* x) {
  int carry = addInPlace(x, orderWrapNeg.data(), kWordCount);
  // After one wrap x is below orderWrapNeg, so adding orderWrap stays below n.
  while (carry != 0) {
    carry = addInPlace(x, orderWrap.data(), kWordCount);
  }
}

void fixCarryAt(Word* x) {
  if (subInPlace(x, orderWrapNeg.data(), kWordCount) != 0) {
    fixBorrowAt(x);
  }
}

// x = x - b (mod n) in place; x must not overlap b.
inline void subInPlaceMod(Word* x, const Word* b) {
  if (subInPlace(x, b, kWordCount) != 0) {
    fixBorrowAt(x);
  }
}

}  // namespace

void modFixBorrow(ModNumber& x) { fixBorrowAt(x.data()); }

void modFixCarry(ModNumber& x) { fixCarryAt(x.data()); }

void modAdd(const ModNumber& a, const ModNumber& b, ModNumber& out) {
  ModNumber sum = a;  // private copy: out may be a or b
  if (addInPlace(sum.data(), b.data(), kWordCount) != 0) {
    fixCarryAt(sum.data());
  }
  out = sum;
}

void modSub(const ModNumber& a, const ModNumber& b, ModNumber& out) {
  ModNumber diff = a;
  subInPlaceMod(diff.data(), b.data());
  out = diff;
}

void modReduceWide(WideWords& wide, ModNumber& out) {
  WordProduct t;
  // Word k+11 stands for word * 2^176 * 2^(16k) = -word * orderWrapNeg * 2^(16k):
  // subtract that from the window of words k..k+10. Folding from the top lets
  // word k+10 take up the fold of word k+11 before its own turn. t is below
  // 2^112, so its word 11 is zero.
  for (int k = kWordCount - 1; k >= 0; --k) {
    wordsKernel::mulWordRow(orderWrapNeg.data(), wide[k + kWordCount], t.data());
    subInPlaceMod(wide.data() + k, t.data());
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
  wordsKernel::mulWordRow(orderTail.data(), q, t.data());
  x[kWordCount - 1] = static_cast<Word>(x[kWordCount - 1] & 3u);
  subInPlaceMod(x.data(), t.data());
}

}  // namespace otawrap
