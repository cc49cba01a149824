// Portable arithmetic in GF(2^m) modulo a pentanomial f = x^m + x^k3 + x^k2 +
// x^k1 + 1, on elements held canonically (degree below m) in N = ceil(m/64)
// 64-bit limbs, least significant first: bit i of limb j is the coefficient of
// x^(64j+i). The field is a parameter struct (Pentanomial below); the
// carry-less hardware kernels (ecc/binary_field_clmul.h) leave the same exact
// product to the same reduction, so both paths give the same limbs.
//
// Every routine runs the same operations whatever the values (masks, no
// branches or table look-ups on data), allocates nothing and cannot fail.
#pragma once

#include <cstddef>

#include "ecc/limbs.h"

namespace otawrap {

template <unsigned M, unsigned K1, unsigned K2, unsigned K3>
struct Pentanomial {
  static constexpr unsigned degree = M;
  static constexpr std::size_t limbs = (M + 63) / 64;
  static constexpr unsigned k1 = K1;
  static constexpr unsigned k2 = K2;
  static constexpr unsigned k3 = K3;
  // Limb-wise folding (binaryFieldReduce) needs every term below m - 64 and
  // the final fold of the top limb's spare bits to stay inside limb 0.
  static_assert(K1 < K2 && K2 < K3 && K3 + 64 < M, "middle terms far below the degree");
  static_assert(64 * limbs - M + K3 <= 64, "the top limb's spare bits fold into limb 0");
};

// out = wide mod f, canonical, for any wide of 2N limbs whose degree is below
// 2m - 1 (a product of canonical elements). Limbs 2N-1 down to N are folded
// one at a time from the top, each into the two limbs it lands on (both below
// it), then the bits of limb N-1 at and above m. wide is scratch.
template <typename F>
constexpr void binaryFieldReduce(Limb* wide, Limbs<F::limbs>& out) {
  constexpr std::size_t n = F::limbs;
  constexpr unsigned terms[4] = {0, F::k1, F::k2, F::k3};
  for (std::size_t i = 2 * n - 1; i >= n; --i) {
    const Limb t = wide[i];
    for (unsigned e : terms) {
      const std::size_t position = 64 * i - F::degree + e;
      const unsigned shift = position % 64;
      wide[position / 64] ^= t << shift;
      if (shift != 0) {
        wide[position / 64 + 1] ^= t >> (64 - shift);
      }
    }
  }
  constexpr unsigned topBits = F::degree % 64;
  if (topBits != 0) {
    const Limb t = wide[n - 1] >> topBits;
    wide[n - 1] &= (Limb{1} << topBits) - 1u;
    wide[0] ^= t ^ (t << F::k1) ^ (t << F::k2) ^ (t << F::k3);
  }
  for (std::size_t k = 0; k < n; ++k) {
    out[k] = wide[k];
  }
}

// out = a*b mod f by a right-to-left comb: for each bit j of every limb of a,
// the row b << j is XORed in at that limb's offset under an all-ones or
// all-zeros mask. out may alias a or b.
template <typename F>
constexpr void binaryFieldMultiplyPortable(const Limbs<F::limbs>& a, const Limbs<F::limbs>& b,
                                           Limbs<F::limbs>& out) {
  constexpr std::size_t n = F::limbs;
  Limb wide[2 * n] = {};
  Limb row[n + 1] = {};
  for (std::size_t k = 0; k < n; ++k) {
    row[k] = b[k];
  }
  for (unsigned j = 0; j < 64; ++j) {
    for (std::size_t i = 0; i < n; ++i) {
      const Limb mask = 0u - ((a[i] >> j) & 1u);
      for (std::size_t k = 0; k <= n; ++k) {
        wide[i + k] ^= row[k] & mask;
      }
    }
    // b has at most 64n bits, so b << 63 fits the n + 1 limbs of the row.
    for (std::size_t k = n; k > 0; --k) {
      row[k] = (row[k] << 1) | (row[k - 1] >> 63);
    }
    row[0] <<= 1;
  }
  binaryFieldReduce<F>(wide, out);
}

// The 32 bits of x spread to the even bits of the result (squaring in GF(2)[x]).
constexpr Limb binaryFieldSpread(Limb x) {
  x &= 0xFFFFFFFFu;
  x = (x | (x << 16)) & 0x0000FFFF0000FFFFu;
  x = (x | (x << 8)) & 0x00FF00FF00FF00FFu;
  x = (x | (x << 4)) & 0x0F0F0F0F0F0F0F0Fu;
  x = (x | (x << 2)) & 0x3333333333333333u;
  x = (x | (x << 1)) & 0x5555555555555555u;
  return x;
}

// out = a^2 mod f. out may alias a.
template <typename F>
constexpr void binaryFieldSquarePortable(const Limbs<F::limbs>& a, Limbs<F::limbs>& out) {
  constexpr std::size_t n = F::limbs;
  Limb wide[2 * n] = {};
  for (std::size_t k = 0; k < n; ++k) {
    wide[2 * k] = binaryFieldSpread(a[k]);
    wide[2 * k + 1] = binaryFieldSpread(a[k] >> 32);
  }
  binaryFieldReduce<F>(wide, out);
}

// a -> a^(2^k) is linear over GF(2): a^(2^k) is the sum of rows[i] over the
// set bits a_i, with rows[i] = x^(i 2^k) mod f. For long runs of squarings (the
// big steps of an Itoh-Tsujii chain) one pass over the m rows under masks
// costs less than k squarings and, like them, does not depend on a.
template <typename F>
struct SquarePowerMap {
  Limbs<F::limbs> rows[F::degree];
};

// out = a^(2^k) for canonical a by the map of 2^k. out may alias a.
template <typename F>
constexpr void binaryFieldApplyMap(const SquarePowerMap<F>& map, const Limbs<F::limbs>& a,
                                   Limbs<F::limbs>& out) {
  Limbs<F::limbs> sum{};
  for (std::size_t j = 0; j < F::limbs; ++j) {
    Limb bits = a[j];
    const std::size_t end = j + 1 < F::limbs ? 64 : F::degree - 64 * j;
    for (std::size_t b = 0; b < end; ++b) {
      const Limb mask = 0u - (bits & 1u);
      bits >>= 1;
      const Limbs<F::limbs>& row = map.rows[64 * j + b];
      for (std::size_t k = 0; k < F::limbs; ++k) {
        sum[k] ^= row[k] & mask;
      }
    }
  }
  out = sum;
}

// The map of 2^k: rows[1] = x^(2^k) by k squarings, rows[i] = rows[i-1] rows[1].
template <typename F>
constexpr SquarePowerMap<F> binaryFieldSquarePowerMap(int k) {
  SquarePowerMap<F> map{};
  map.rows[0][0] = 1;
  Limbs<F::limbs> step{};
  step[0] = 2;
  for (int s = 0; s < k; ++s) {
    binaryFieldSquarePortable<F>(step, step);
  }
  for (std::size_t i = 1; i < F::degree; ++i) {
    binaryFieldMultiplyPortable<F>(map.rows[i - 1], step, map.rows[i]);
  }
  return map;
}

}  // namespace otawrap
