// AES-MMO compression with AESENC and AESKEYGENASSIST. This file alone is
// compiled with the AES instruction set enabled (-maes on GCC and Clang; MSVC
// needs no flag), so nothing else in the build may use those instructions
// unchecked. It includes no library header whose inline functions could be
// emitted here.
#include "sign/mmo_aesni.h"

#if !defined(OTAWRAP_PORTABLE_ONLY) && (defined(__x86_64__) || defined(_M_X64)) && \
    !defined(_M_ARM64EC)

#include <emmintrin.h>
#include <wmmintrin.h>

namespace otawrap {

namespace {

// Round key r+1 from round key r (FIPS-197 key expansion, four words at once):
// word i becomes the XOR of words 0..i, then every word takes
// SubWord(RotWord(w3)) ^ Rcon, which AESKEYGENASSIST leaves in its top word.
template <int RoundConstant>
inline __m128i nextRoundKey(__m128i key) {
  const __m128i assist = _mm_shuffle_epi32(_mm_aeskeygenassist_si128(key, RoundConstant), 0xFF);
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 8));
  return _mm_xor_si128(key, assist);
}

// One middle round: the next round key, then one AESENC with it.
template <int RoundConstant>
inline void middleRound(__m128i& key, __m128i& state) {
  key = nextRoundKey<RoundConstant>(key);
  state = _mm_aesenc_si128(state, key);
}

}  // namespace

void mmoAbsorbAesni(std::uint8_t state[16], const std::uint8_t* blocks, std::size_t count) {
  // The chaining value is the cipher key and stays in a register between blocks.
  __m128i chaining = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  for (std::size_t i = 0; i < count; ++i) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i));
    __m128i key = chaining;
    __m128i s = _mm_xor_si128(block, key);
    // Round constants x^(r-1) in GF(2^8) for rounds 1..10 (FIPS-197 5.2).
    middleRound<0x01>(key, s);
    middleRound<0x02>(key, s);
    middleRound<0x04>(key, s);
    middleRound<0x08>(key, s);
    middleRound<0x10>(key, s);
    middleRound<0x20>(key, s);
    middleRound<0x40>(key, s);
    middleRound<0x80>(key, s);
    middleRound<0x1B>(key, s);
    key = nextRoundKey<0x36>(key);
    s = _mm_aesenclast_si128(s, key);
    chaining = _mm_xor_si128(s, block);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), chaining);
}

}  // namespace otawrap

#else

#include "sign/mmo.h"

namespace otawrap {

// Never selected here (cpuFeatures().aes is false); kept so every build links.
void mmoAbsorbAesni(std::uint8_t state[16], const std::uint8_t* blocks, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    mmoStepPortable(state, blocks + 16 * i);
  }
}

}  // namespace otawrap

#endif
