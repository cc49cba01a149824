// Montgomery arithmetic modulo an odd group order n held in N 64-bit limbs,
// with R = 2^(64N) > 4n, and inversion by Fermat's little theorem. Shared by
// the orders of sect163k1 (three limbs) and sect283k1 (five).
//
// Values in Montgomery form may be anything below 2n: with a, b < 2n and
// 4n < R the product a*b*R^-1 mod n comes out below 2n with no final
// subtraction. Nothing here allocates or fails; every routine runs the same
// operations for every value (the exponent of the inversion is the public
// constant n - 2).
#pragma once

#include <cstddef>

#include "ecc/limbs.h"

namespace otawrap {

template <std::size_t N>
struct MontgomeryOrder {
  Limbs<N> order;    // n
  Limb factor;       // -n^-1 mod 2^64
  Limbs<N> rSquared; // R^2 mod n
};

// The constants for n: the factor by Newton's iteration x = x(2 - n x)
// (n is odd, so x = n is right to 3 bits and five steps give 96); R^2 mod n
// as 1 doubled 128N times, subtracting n whenever the value reaches n.
template <std::size_t N>
constexpr MontgomeryOrder<N> montgomeryOrder(const Limbs<N>& n) {
  Limb x = n[0];
  for (int i = 0; i < 5; ++i) {
    x *= 2u - n[0] * x;
  }
  Limbs<N> r{};
  r[0] = 1;
  for (std::size_t i = 0; i < 128 * N; ++i) {
    Limb top = 0;
    for (std::size_t k = 0; k < N; ++k) {
      const Limb next = r[k] >> 63;
      r[k] = (r[k] << 1) | top;
      top = next;
    }
    bool atLeastN = top != 0;
    if (!atLeastN) {
      atLeastN = true;
      for (std::size_t k = N; k-- > 0;) {
        if (r[k] != n[k]) {
          atLeastN = r[k] > n[k];
          break;
        }
      }
    }
    if (atLeastN) {
      Limb borrow = 0;
      for (std::size_t k = 0; k < N; ++k) {
        const Limb d = r[k] - n[k] - borrow;
        borrow = (r[k] < n[k] || (r[k] == n[k] && borrow != 0)) ? 1u : 0u;
        r[k] = d;
      }
    }
  }
  return MontgomeryOrder<N>{n, 0u - x, r};
}

// out = a * b * R^-1 mod n, below 2n whenever a * b < n * R (e.g. a and b
// below 2n, or a below R and b below n). One limb of b per pass with the
// reduction interleaved. out may alias a or b.
template <std::size_t N>
inline void montgomeryMultiply(const MontgomeryOrder<N>& m, const Limbs<N>& a, const Limbs<N>& b,
                               Limbs<N>& out) {
  Limb t[N + 1] = {};
  for (std::size_t i = 0; i < N; ++i) {
    Limb carry = 0;
    for (std::size_t k = 0; k < N; ++k) {
      t[k] = limbMultiplyAdd(a[k], b[i], t[k], carry, carry);
    }
    t[N] += carry;  // t stays below 2R here
    const Limb q = t[0] * m.factor;
    limbMultiplyAdd(q, m.order[0], t[0], 0, carry);  // the low limb becomes zero
    for (std::size_t k = 1; k < N; ++k) {
      t[k - 1] = limbMultiplyAdd(q, m.order[k], t[k], carry, carry);
    }
    t[N - 1] = t[N] + carry;
    t[N] = 0;
  }
  for (std::size_t k = 0; k < N; ++k) {
    out[k] = t[k];
  }
}

// 4-bit digit i (from the bottom) of n - 2.
template <std::size_t N>
constexpr unsigned montgomeryExponentDigit(const MontgomeryOrder<N>& m, int i) {
  const Limb limb = i < 16 ? m.order[0] - 2u : m.order[static_cast<std::size_t>(i) / 16];
  return static_cast<unsigned>((limb >> (4 * (i % 16))) & 0xFu);
}

// out = a^(n-2) * R mod n (below 2n) for aMont = a*R mod n (below 2n): the
// Montgomery form of a^-1 when a is a unit. Left to right in 4-bit digits of
// the public exponent, from its top nonzero digit.
template <std::size_t N>
inline void montgomeryInvert(const MontgomeryOrder<N>& m, const Limbs<N>& aMont, Limbs<N>& out) {
  Limbs<N> powers[16];
  powers[1] = aMont;
  for (int d = 2; d < 16; ++d) {
    montgomeryMultiply(m, powers[d - 1], powers[1], powers[d]);
  }
  int i = static_cast<int>(16 * N) - 1;
  while (montgomeryExponentDigit(m, i) == 0) {
    --i;
  }
  Limbs<N> acc = powers[montgomeryExponentDigit(m, i)];
  for (--i; i >= 0; --i) {
    for (int s = 0; s < 4; ++s) {
      montgomeryMultiply(m, acc, acc, acc);
    }
    const unsigned digit = montgomeryExponentDigit(m, i);
    if (digit != 0) {
      montgomeryMultiply(m, acc, powers[digit], acc);
    }
  }
  out = acc;
}

}  // namespace otawrap
