// Partial reduction modulo delta and the tauNAF digit loop on 176-bit
// two's-complement values.
#include "ecc/tnaf.h"
#include "ecc/tnaf_internal.h"

#include "ecc/words_inline.h"

namespace otawrap {
namespace {

// q = round(k * scale / 2^176), ties upward: the high half of the product plus
// bit 175 of the low half.
void roundedQuotient(const ModNumber& k, const Words& scale, WideWords& product, Words& q) {
  wordsMultiply(k, scale, product);
  for (std::uint16_t i = 0; i < kWordCount; ++i) {
    q[i] = product[kWordCount + i];
  }
  if ((product[kWordCount - 1] & 0x8000u) != 0) {
    wordsIncrementFrom(0, kWordCount, q.data());
  }
}

}  // namespace

void tauPartialReduce(const ModNumber& k, Words& r0, Words& r1, WideWords& scratch) {
  Words lambda;
  // r0 = k - l0*d0, r1 = -l0*d1.
  roundedQuotient(k, lambdaScale0, scratch, lambda);
  wordsMultiply(lambda, deltaD0, scratch);
  wordsSub(k.data(), scratch.data(), r0.data(), kWordCount);
  wordsMultiply(lambda, deltaD1, scratch);
  wordsKernel::negate(scratch.data(), r1.data());
  // r0 -= 2*l1*d1, r1 += l1*(d0 + d1).
  roundedQuotient(k, lambdaScale1, scratch, lambda);
  wordsMultiply(lambda, deltaD0, scratch);
  wordsAdd(r1.data(), scratch.data(), r1.data(), kWordCount);
  wordsMultiply(lambda, deltaD1, scratch);
  wordsSub(r0.data(), scratch.data(), r0.data(), kWordCount);
  wordsSub(r0.data(), scratch.data(), r0.data(), kWordCount);
  wordsAdd(r1.data(), scratch.data(), r1.data(), kWordCount);
}

void tauNafRecode(const ModNumber& k, TnafDigits& digits) {
  Words r0;
  Words r1;
  tauPartialReduce(k, r0, r1, digits);
  wordsSetZero(digits.data(), kWordCount);
  wordsSetZero(digits.data() + kWordCount, kWordCount);

  Words t;
  // Each pass takes off the digit of tau^0 and divides by tau:
  // (r0 + r1*tau)/tau = (r1 + r0/2) - (r0/2)*tau for even r0.
  for (unsigned bit = 0;; bit += 2) {
    if (wordsKernel::isZero(r0.data()) != 0 && wordsKernel::isZero(r1.data()) != 0) {
      break;
    }
    unsigned code = 0;
    if ((r0[0] & 1u) != 0) {
      // r0 - 2*r1 is odd; the digit u = 2 - ((r0 - 2*r1) mod 4) is +1 or -1
      // and makes the next digit zero.
      code = (2u - r0[0] + 2u * r1[0]) & 3u;
      if (code == 1) {
        wordsDecrementFrom(0, kWordCount, r0.data());
      } else {
        wordsIncrementFrom(0, kWordCount, r0.data());
      }
    }
    digits[bit / 16] = static_cast<Word>(digits[bit / 16] ^ (code << (bit % 16)));

    // t = r0 / 2, keeping the sign; then r0 = r1 + t and r1 = -t.
    const Word sign = static_cast<Word>(r0[kWordCount - 1] & 0x8000u);
    t = r0;
    wordsKernel::shiftRight1(t.data());
    t[kWordCount - 1] = static_cast<Word>(t[kWordCount - 1] | sign);
    r0 = r1;
    wordsKernel::addInPlace(r0.data(), t.data(), kWordCount);
    wordsKernel::negate(t.data(), r1.data());
  }
}

}  // namespace otawrap
