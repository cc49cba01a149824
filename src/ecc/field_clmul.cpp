// Carry-less multiplication for GF(2^163). The functions that use PCLMULQDQ
// say so with [[gnu::target("pclmul")]] (GCC and Clang; MSVC needs no flag and
// ignores the attribute), so the compiler may use the instruction in them
// alone; everything else is SSE2, which every x86-64 processor has. Whether
// this code is compiled at all is decided in ecc/hardware_paths.h.
//
// Operands are 176 bits in three 64-bit limbs (the top limb holds 48 bits). The
// 352-bit product comes from six carry-less multiplications (Karatsuba over
// three limbs). The portable code folds the product top down, word by word,
// with x^176 = r = x^20 + x^19 + x^16 + x^13 (mod f); every fold is exact and
// they add up, so it leaves L + (H*r mod x^176) + (H*r div x^176)*r, where L and
// H are the product's low and high 176 bits. The same three terms are computed
// here, which gives the same words.
#include "ecc/field_clmul.h"

#include "ecc/hardware_paths.h"

#if OTAWRAP_X86_64_HARDWARE_PATHS

#include <emmintrin.h>
#include <wmmintrin.h>

#if defined(_MSC_VER) && !defined(__clang__)
// MSVC ignores the gnu:: attributes, as the standard allows; it would warn.
#pragma warning(disable : 5030)
#endif

namespace otawrap {

namespace {

// Limbs 0 and 1 (bytes 0..15) of an 11-word operand.
inline __m128i loadLow(const std::uint16_t* a) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
}

// Limb 2 (bytes 16..21, zero above): bytes 6..21 loaded, then moved down ten
// bytes, so no byte past the array is read.
inline __m128i loadHigh(const std::uint16_t* a) {
  return _mm_srli_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 3)), 10);
}

// Reduces the product held in three 128-bit parts (bits 0..127, 128..255,
// 256..383) as described above: limbs 0 and 1 of the result go to out01, limb 2
// (48 bits, zero above) to out2.
[[gnu::target("pclmul")]]
inline void reduce(__m128i low, __m128i middle, __m128i high, __m128i& out01, __m128i& out2) {
  const __m128i r = _mm_cvtsi32_si128((1 << 20) | (1 << 19) | (1 << 16) | (1 << 13));
  const __m128i bits0To47 = _mm_set_epi64x(0, 0x0000FFFFFFFFFFFFLL);
  // H = product >> 176 = bytes 22..43: limbs 0 and 1 from bytes 22..37, limb 2 from 38..43.
  const __m128i h01 = _mm_or_si128(_mm_srli_si128(middle, 6), _mm_slli_si128(high, 10));
  const __m128i h2 = _mm_srli_si128(high, 6);
  // Q = H*r (bits 0..195) as Q01 (bits 0..127) and Q23 (bits 128..255).
  const __m128i q0 = _mm_clmulepi64_si128(h01, r, 0x00);
  const __m128i q1 = _mm_clmulepi64_si128(h01, r, 0x01);
  const __m128i q2 = _mm_clmulepi64_si128(h2, r, 0x00);
  const __m128i q01 = _mm_xor_si128(q0, _mm_slli_si128(q1, 8));
  const __m128i q23 = _mm_xor_si128(_mm_srli_si128(q1, 8), q2);
  // T = Q >> 176 (20 bits) and T*r (40 bits).
  const __m128i t = _mm_srli_si128(q23, 6);
  const __m128i tr = _mm_clmulepi64_si128(t, r, 0x00);
  out01 = _mm_xor_si128(_mm_xor_si128(low, q01), tr);
  out2 = _mm_and_si128(_mm_xor_si128(middle, q23), bits0To47);
}

inline void store(__m128i out01, __m128i out2, std::uint16_t* out) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), out01);
  const auto top = static_cast<unsigned long long>(_mm_cvtsi128_si64(out2));
  out[8] = static_cast<std::uint16_t>(top);
  out[9] = static_cast<std::uint16_t>(top >> 16);
  out[10] = static_cast<std::uint16_t>(top >> 32);
}

[[gnu::target("pclmul")]]
inline void reduceAndStore(__m128i low, __m128i middle, __m128i high, std::uint16_t* out) {
  __m128i out01;
  __m128i out2;
  reduce(low, middle, high, out01, out2);
  store(out01, out2, out);
}

}  // namespace

[[gnu::target("pclmul")]]
void fieldMultiplyClmul(const std::uint16_t a[11], const std::uint16_t b[11], std::uint16_t out[11]) {
  const __m128i a01 = loadLow(a);
  const __m128i a2 = loadHigh(a);
  const __m128i b01 = loadLow(b);
  const __m128i b2 = loadHigh(b);
  // Products of single limbs, and of the sums a_i + a_j against b_i + b_j.
  const __m128i p0 = _mm_clmulepi64_si128(a01, b01, 0x00);
  const __m128i p1 = _mm_clmulepi64_si128(a01, b01, 0x11);
  const __m128i p2 = _mm_clmulepi64_si128(a2, b2, 0x00);
  const __m128i m01 = _mm_clmulepi64_si128(_mm_xor_si128(a01, _mm_srli_si128(a01, 8)),
                                           _mm_xor_si128(b01, _mm_srli_si128(b01, 8)), 0x00);
  const __m128i m02 = _mm_clmulepi64_si128(_mm_xor_si128(a01, a2), _mm_xor_si128(b01, b2), 0x00);
  const __m128i m12 = _mm_clmulepi64_si128(_mm_xor_si128(a01, _mm_slli_si128(a2, 8)),
                                           _mm_xor_si128(b01, _mm_slli_si128(b2, 8)), 0x11);
  // Coefficients of X = x^64, X^2 and X^3 in p0 + d1 X + d2 X^2 + d3 X^3 + p2 X^4.
  const __m128i p01 = _mm_xor_si128(p0, p1);
  const __m128i p12 = _mm_xor_si128(p1, p2);
  const __m128i d1 = _mm_xor_si128(m01, p01);
  const __m128i d2 = _mm_xor_si128(m02, _mm_xor_si128(p01, p2));
  const __m128i d3 = _mm_xor_si128(m12, p12);
  const __m128i low = _mm_xor_si128(p0, _mm_slli_si128(d1, 8));
  const __m128i middle = _mm_xor_si128(_mm_xor_si128(_mm_srli_si128(d1, 8), d2), _mm_slli_si128(d3, 8));
  const __m128i high = _mm_xor_si128(_mm_srli_si128(d3, 8), p2);
  reduceAndStore(low, middle, high, out);
}

[[gnu::target("pclmul")]]
void fieldSquareClmul(const std::uint16_t a[11], std::uint16_t out[11]) {
  // Cross terms cancel in characteristic 2: a^2 = a0^2 + a1^2 X^2 + a2^2 X^4.
  const __m128i a01 = loadLow(a);
  const __m128i a2 = loadHigh(a);
  reduceAndStore(_mm_clmulepi64_si128(a01, a01, 0x00), _mm_clmulepi64_si128(a01, a01, 0x11),
                 _mm_clmulepi64_si128(a2, a2, 0x00), out);
}

[[gnu::target("pclmul")]]
void fieldSquareTimesClmul(const std::uint16_t a[11], int count, std::uint16_t out[11]) {
  // The squares of fieldSquareClmul in a row, the value kept in registers.
  __m128i a01 = loadLow(a);
  __m128i a2 = loadHigh(a);
  for (int i = 0; i < count; ++i) {
    reduce(_mm_clmulepi64_si128(a01, a01, 0x00), _mm_clmulepi64_si128(a01, a01, 0x11),
           _mm_clmulepi64_si128(a2, a2, 0x00), a01, a2);
  }
  store(a01, a2, out);
}

}  // namespace otawrap

#else

#include "ecc/field.h"

namespace otawrap {

// Never selected here (cpuFeatures().pclmul is false); kept so every build links.
void fieldMultiplyClmul(const std::uint16_t a[11], const std::uint16_t b[11], std::uint16_t out[11]) {
  FieldElement x;
  FieldElement y;
  for (int k = 0; k < kWordCount; ++k) {
    x[k] = a[k];
    y[k] = b[k];
  }
  FieldElement r;
  fieldMultiplyPortable(x, y, r);
  for (int k = 0; k < kWordCount; ++k) {
    out[k] = r[k];
  }
}

void fieldSquareClmul(const std::uint16_t a[11], std::uint16_t out[11]) {
  FieldElement x;
  for (int k = 0; k < kWordCount; ++k) {
    x[k] = a[k];
  }
  FieldElement r;
  fieldSquarePortable(x, r);
  for (int k = 0; k < kWordCount; ++k) {
    out[k] = r[k];
  }
}

void fieldSquareTimesClmul(const std::uint16_t a[11], int count, std::uint16_t out[11]) {
  FieldElement x;
  for (int k = 0; k < kWordCount; ++k) {
    x[k] = a[k];
  }
  for (int i = 0; i < count; ++i) {
    fieldSquarePortable(x, x);
  }
  for (int k = 0; k < kWordCount; ++k) {
    out[k] = x[k];
  }
}

}  // namespace otawrap

#endif
