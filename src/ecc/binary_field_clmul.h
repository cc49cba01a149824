// GF(2^m) multiplication and squaring on the processor's carry-less multiply
// (PCLMULQDQ), for the fields of ecc/binary_field.h. The exact product comes
// from one PCLMULQDQ per pair of limbs and goes to the portable reduction, so
// the limbs are those of the portable routines. Include only from sources that
// compile the hardware paths (ecc/hardware_paths.h); the caller checks
// cpuFeatures().pclmul first.
#pragma once

#include <emmintrin.h>
#include <wmmintrin.h>

#include "ecc/binary_field.h"

namespace otawrap {

// wide[0..2N-1] = the carry-less product of a and b. The partial products at
// even limb offsets do not overlap one another, nor do those at odd offsets:
// each set is summed into its own row of limbs and the two rows are XORed.
template <std::size_t N>
[[gnu::target("pclmul")]] inline void clmulProduct(const Limb* a, const Limb* b, Limb* wide) {
  __m128i sums[2 * N - 1];
  for (std::size_t k = 0; k < 2 * N - 1; ++k) {
    sums[k] = _mm_setzero_si128();
  }
  for (std::size_t i = 0; i < N; ++i) {
    const __m128i x = _mm_cvtsi64_si128(static_cast<long long>(a[i]));
    for (std::size_t j = 0; j < N; ++j) {
      const __m128i y = _mm_cvtsi64_si128(static_cast<long long>(b[j]));
      sums[i + j] = _mm_xor_si128(sums[i + j], _mm_clmulepi64_si128(x, y, 0x00));
    }
  }
  alignas(16) Limb even[2 * N];
  alignas(16) Limb odd[2 * N];
  odd[0] = 0;
  odd[2 * N - 1] = 0;
  for (std::size_t k = 0; k < 2 * N - 1; ++k) {
    Limb* row = (k % 2 == 0) ? even + k : odd + k;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row), sums[k]);
  }
  for (std::size_t k = 0; k < 2 * N; ++k) {
    wide[k] = even[k] ^ odd[k];
  }
}

// wide[0..2N-1] = a^2 in GF(2)[x]: the squares of the limbs side by side.
template <std::size_t N>
[[gnu::target("pclmul")]] inline void clmulSquare(const Limb* a, Limb* wide) {
  for (std::size_t i = 0; i < N; ++i) {
    const __m128i x = _mm_cvtsi64_si128(static_cast<long long>(a[i]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + 2 * i), _mm_clmulepi64_si128(x, x, 0x00));
  }
}

template <typename F>
[[gnu::target("pclmul")]] inline void binaryFieldMultiplyClmul(const Limbs<F::limbs>& a,
                                                               const Limbs<F::limbs>& b,
                                                               Limbs<F::limbs>& out) {
  Limb wide[2 * F::limbs];
  clmulProduct<F::limbs>(a.data(), b.data(), wide);
  binaryFieldReduce<F>(wide, out);
}

template <typename F>
[[gnu::target("pclmul")]] inline void binaryFieldSquareClmul(const Limbs<F::limbs>& a,
                                                             Limbs<F::limbs>& out) {
  Limb wide[2 * F::limbs];
  clmulSquare<F::limbs>(a.data(), wide);
  binaryFieldReduce<F>(wide, out);
}

}  // namespace otawrap
