// Fixed-size integers in 64-bit limbs, least significant limb first, for the
// arithmetic of curves whose field and order are held in whole limbs
// (GF(2^283) and the order of sect283k1 in five, the Montgomery inversion of
// sect163k1's order in three).
//
// Every routine works on std::array<std::uint64_t, N>, never allocates, never
// fails, and runs the same operations whatever the values, unless its
// contract says otherwise. Outputs come last and may alias inputs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace otawrap {

using Limb = std::uint64_t;
template <std::size_t N>
using Limbs = std::array<Limb, N>;

// hi:lo = a*b + c + d, which cannot overflow 128 bits. The 128-bit type where
// the compiler has one, four 32x32-bit products elsewhere: the same value.
#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 LimbPair;

inline Limb limbMultiplyAdd(Limb a, Limb b, Limb c, Limb d, Limb& hi) {
  const LimbPair t = static_cast<LimbPair>(a) * b + c + d;
  hi = static_cast<Limb>(t >> 64);
  return static_cast<Limb>(t);
}
#else
inline Limb limbMultiplyAdd(Limb a, Limb b, Limb c, Limb d, Limb& hi) {
  const Limb mask = 0xFFFFFFFFu;
  const Limb ll = (a & mask) * (b & mask);
  const Limb lh = (a & mask) * (b >> 32);
  const Limb hl = (a >> 32) * (b & mask);
  const Limb hh = (a >> 32) * (b >> 32);
  const Limb mid = (ll >> 32) + (lh & mask) + (hl & mask);
  Limb lo = (ll & mask) | (mid << 32);
  hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
  lo += c;
  hi += lo < c ? 1u : 0u;
  lo += d;
  hi += lo < d ? 1u : 0u;
  return lo;
}
#endif

// out = a + b mod 2^(64N); returns the carry (0 or 1).
template <std::size_t N>
inline Limb limbsAdd(const Limbs<N>& a, const Limbs<N>& b, Limbs<N>& out) {
  Limb carry = 0;
  for (std::size_t i = 0; i < N; ++i) {
    const Limb s = a[i] + carry;
    const Limb c1 = s < carry ? 1u : 0u;
    const Limb t = s + b[i];
    carry = c1 | (t < b[i] ? 1u : 0u);
    out[i] = t;
  }
  return carry;
}

// out = a - b mod 2^(64N); returns the borrow (1 when a < b).
template <std::size_t N>
inline Limb limbsSub(const Limbs<N>& a, const Limbs<N>& b, Limbs<N>& out) {
  Limb borrow = 0;
  for (std::size_t i = 0; i < N; ++i) {
    const Limb ai = a[i];
    const Limb d = ai - b[i];
    const Limb b1 = ai < b[i] ? 1u : 0u;
    const Limb e = d - borrow;
    borrow = b1 | (d < borrow ? 1u : 0u);
    out[i] = e;
  }
  return borrow;
}

// out = mask ? b : a, for mask all ones or all zeros.
template <std::size_t N>
inline void limbsSelect(Limb mask, const Limbs<N>& a, const Limbs<N>& b, Limbs<N>& out) {
  for (std::size_t i = 0; i < N; ++i) {
    out[i] = a[i] ^ ((a[i] ^ b[i]) & mask);
  }
}

// x = x - m when x >= m, in time independent of x.
template <std::size_t N>
inline void limbsReduceOnce(Limbs<N>& x, const Limbs<N>& m) {
  Limbs<N> t;
  const Limb borrow = limbsSub(x, m, t);
  limbsSelect(borrow - 1u, x, t, x);
}

// 1 if every limb is zero, else 0.
template <std::size_t N>
inline int limbsIsZero(const Limbs<N>& a) {
  Limb any = 0;
  for (std::size_t i = 0; i < N; ++i) {
    any |= a[i];
  }
  return any == 0 ? 1 : 0;
}

// 1 if a < b as unsigned numbers, else 0.
template <std::size_t N>
inline int limbsLess(const Limbs<N>& a, const Limbs<N>& b) {
  Limbs<N> t;
  return static_cast<int>(limbsSub(a, b, t));
}

// out = the big-endian integer in octets[0..length-1]; the value must fit in N
// limbs (octets beyond 8N must be zero and are ignored).
template <std::size_t N>
inline void limbsFromOctets(const std::uint8_t* octets, std::size_t length, Limbs<N>& out) {
  out = Limbs<N>{};
  for (std::size_t j = 0; j < length && j < 8 * N; ++j) {
    out[j / 8] |= static_cast<Limb>(octets[length - 1 - j]) << (8 * (j % 8));
  }
}

// out[0..length-1] = a as big-endian octets, left-padded with zeros; octets of
// a above length are dropped.
template <std::size_t N>
constexpr void limbsToOctets(const Limbs<N>& a, std::size_t length, std::uint8_t* out) {
  for (std::size_t j = 0; j < length; ++j) {
    out[length - 1 - j] = j < 8 * N ? static_cast<std::uint8_t>(a[j / 8] >> (8 * (j % 8))) : 0u;
  }
}

}  // namespace otawrap
