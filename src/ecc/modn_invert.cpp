// Inversion modulo the group order by Fermat's little theorem, a^-1 = a^(n-2),
// over the Montgomery multiplication of ecc/montgomery.h in three 64-bit limbs.
// The exponent is the public constant n - 2, so the sequence of operations is
// the same for every a.
#include <cstdint>

#include "ecc/modn.h"
#include "ecc/modn_internal.h"

namespace otawrap {
namespace {

ModLimbs toLimbs(const ModNumber& a) {
  ModLimbs r{};
  for (int k = 0; k < kWordCount; ++k) {
    r[k / 4] |= static_cast<std::uint64_t>(a[k]) << (16 * (k % 4));
  }
  return r;
}

ModNumber fromLimbs(const ModLimbs& a) {
  ModNumber r{};
  for (int k = 0; k < kWordCount; ++k) {
    r[k] = static_cast<Word>(a[k / 4] >> (16 * (k % 4)));
  }
  return r;
}

}  // namespace

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
  modMontgomeryMultiply(toLimbs(reduced), kMontgomeryRSquared, acc);
  montgomeryInvert(kOrderMontgomery, acc, acc);
  // Out of Montgomery form: acc * R^-1 is below n + 1 and not n (a is a unit).
  modMontgomeryMultiply(acc, ModLimbs{1, 0, 0}, acc);
  out = fromLimbs(acc);
  return 0;
}

}  // namespace otawrap
