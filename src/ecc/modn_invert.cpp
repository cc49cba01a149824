// Inversion modulo the group order by Fermat's little theorem, a^-1 = a^(n-2),
// over a Montgomery multiplication in three 64-bit limbs. The exponent is the
// public constant n - 2, so the sequence of operations is the same for every a.
#include <cstdint>

#include "ecc/modn.h"
#include "ecc/modn_internal.h"

namespace otawrap {
namespace {

// hi:lo = a*b + c + d, which cannot overflow 128 bits.
#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 DoubleLimb;

inline std::uint64_t multiplyAdd(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d,
                                 std::uint64_t& hi) {
  const DoubleLimb t = static_cast<DoubleLimb>(a) * b + c + d;
  hi = static_cast<std::uint64_t>(t >> 64);
  return static_cast<std::uint64_t>(t);
}
#else
// Four 32x32-bit products where the compiler has no 128-bit type.
inline std::uint64_t multiplyAdd(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d,
                                 std::uint64_t& hi) {
  const std::uint64_t mask = 0xFFFFFFFFu;
  const std::uint64_t ll = (a & mask) * (b & mask);
  const std::uint64_t lh = (a & mask) * (b >> 32);
  const std::uint64_t hl = (a >> 32) * (b & mask);
  const std::uint64_t hh = (a >> 32) * (b >> 32);
  const std::uint64_t mid = (ll >> 32) + (lh & mask) + (hl & mask);
  std::uint64_t lo = (ll & mask) | (mid << 32);
  hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
  lo += c;
  hi += lo < c ? 1u : 0u;
  lo += d;
  hi += lo < d ? 1u : 0u;
  return lo;
}
#endif

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

// 4-bit digit i (from the bottom) of n - 2, a public constant.
constexpr unsigned exponentDigit(int i) {
  const unsigned word = i < 4 ? groupOrder[0] - 2u : groupOrder[i / 4];
  return (word >> (4 * (i % 4))) & 0xFu;
}

}  // namespace

// Coarsely integrated Montgomery multiplication (one limb of b per pass,
// reduction interleaved). With a, b < 2n and 4n < R the result is below 2n, so
// no final subtraction is needed.
void modMontgomeryMultiply(const ModLimbs& a, const ModLimbs& b, ModLimbs& out) {
  std::uint64_t t0 = 0;
  std::uint64_t t1 = 0;
  std::uint64_t t2 = 0;
  std::uint64_t t3 = 0;
  for (int i = 0; i < 3; ++i) {
    std::uint64_t carry = 0;
    t0 = multiplyAdd(a[0], b[i], t0, 0, carry);
    t1 = multiplyAdd(a[1], b[i], t1, carry, carry);
    t2 = multiplyAdd(a[2], b[i], t2, carry, carry);
    t3 += carry;  // t is below 2^230 here: four limbs hold it
    const std::uint64_t m = t0 * kMontgomeryFactor;
    multiplyAdd(m, kOrderLimbs[0], t0, 0, carry);  // low limb becomes zero
    t0 = multiplyAdd(m, kOrderLimbs[1], t1, carry, carry);
    t1 = multiplyAdd(m, kOrderLimbs[2], t2, carry, carry);
    t2 = t3 + carry;
    t3 = 0;
  }
  out = ModLimbs{t0, t1, t2};
}

int modInvert(const ModNumber& a, ModNumber& out) {
  ModNumber reduced = a;
  modReduceFinal(reduced);
  if (wordsIsZero(reduced.data(), kWordCount) != 0) {
    return kModNoInverse;
  }
  // powers[d] = a^d * R mod n (below 2n) for digits d = 1..15.
  ModLimbs powers[16];
  modMontgomeryMultiply(toLimbs(reduced), kMontgomeryRSquared, powers[1]);
  for (int d = 2; d < 16; ++d) {
    modMontgomeryMultiply(powers[d - 1], powers[1], powers[d]);
  }
  // Left to right in 4-bit digits, starting at the top nonzero digit.
  int i = 4 * kWordCount - 1;
  while (exponentDigit(i) == 0) {
    --i;
  }
  ModLimbs acc = powers[exponentDigit(i)];
  for (--i; i >= 0; --i) {
    for (int s = 0; s < 4; ++s) {
      modMontgomeryMultiply(acc, acc, acc);
    }
    if (exponentDigit(i) != 0) {
      modMontgomeryMultiply(acc, powers[exponentDigit(i)], acc);
    }
  }
  // Out of Montgomery form: acc * R^-1 is below n + 1 and not n (a is a unit).
  modMontgomeryMultiply(acc, ModLimbs{1, 0, 0}, acc);
  out = fromLimbs(acc);
  return 0;
}

}  // namespace otawrap
