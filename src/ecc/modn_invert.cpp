// Inversion modulo the group order by Fermat's little theorem, a^-1 = a^(n-2),
// over the Montgomery multiplication of ecc/montgomery.h in three 64-bit limbs.
// The exponent is the public constant n - 2, so the sequence of operations is
// the same for every a.
#include <cstdint>

#include "ecc/modn.h"
#include "ecc/modn_internal.h"

namespace otawrap {

void modMontgomeryMultiply(const ModLimbs& a, const ModLimbs& b, ModLimbs& out) {
  montgomeryMultiply(kOrderMontgomery, a, b, out);
}

int modInvert(const ModNumber& a, ModNumber& out) {
  ModNumber reduced = a;
  modReduceFinal(reduced);
  if (wordsIsZero(reduced.data(), kWordCount) != 0) {
    return kModNoInverse;
  }
  ModLimbs acc;
  modMontgomeryMultiply(wordsToLimbs(reduced), kMontgomeryRSquared, acc);
  montgomeryInvert(kOrderMontgomery, acc, acc);
  // Out of Montgomery form: acc * R^-1 is below n + 1 and not n (a is a unit).
  modMontgomeryMultiply(acc, ModLimbs{1, 0, 0}, acc);
  out = limbsToWords(acc);
  return 0;
}

}  // namespace otawrap
