// AES-MMO compression with AESENC, AESENCLAST and PSHUFB or AESKEYGENASSIST.
// The functions that use the AES or SSSE3 instructions say so with
// [[gnu::target("aes,ssse3")]] (GCC and Clang; MSVC needs no flag and ignores
// the attribute), so the compiler may use them there alone. Whether this code
// is compiled at all is decided in ecc/hardware_paths.h.
#include "sign/mmo_aesni.h"

#include "ecc/hardware_paths.h"

#if OTAWRAP_X86_64_HARDWARE_PATHS

#include <emmintrin.h>
#include <tmmintrin.h>
#include <wmmintrin.h>

#if defined(_MSC_VER) && !defined(__clang__)
// MSVC ignores the gnu:: attributes, as the standard allows; it would warn.
#pragma warning(disable : 5030)
#endif

namespace otawrap {

namespace {

// Round key r+1 from round key r (FIPS-197 key expansion, four words at once):
// word i becomes the XOR of words 0..i, then every word takes
// SubWord(RotWord(w3)) ^ Rcon. Every round key is on the critical path (the
// key changes with every block), so the two ways of computing that last term
// differ in speed by processor: PSHUFB puts RotWord(w3) in every column (all
// columns equal, so ShiftRows leaves them) and AESENCLAST applies the S-box
// and adds Rcon from a key holding it in every column; AESKEYGENASSIST does it
// in one instruction with a long latency on some processors.
template <bool Shuffle, int RoundConstant>
[[gnu::target("aes,ssse3")]]
inline __m128i nextRoundKey(__m128i key) {
  __m128i assist;
  if (Shuffle) {
    const __m128i rotateWord3 =
        _mm_set_epi8(12, 15, 14, 13, 12, 15, 14, 13, 12, 15, 14, 13, 12, 15, 14, 13);
    assist = _mm_aesenclast_si128(_mm_shuffle_epi8(key, rotateWord3), _mm_set1_epi32(RoundConstant));
  } else {
    assist = _mm_shuffle_epi32(_mm_aeskeygenassist_si128(key, RoundConstant), 0xFF);
  }
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 8));
  return _mm_xor_si128(key, assist);
}

// One middle round: the next round key, then one AESENC with it.
template <bool Shuffle, int RoundConstant>
[[gnu::target("aes,ssse3")]]
inline void middleRound(__m128i& key, __m128i& state) {
  key = nextRoundKey<Shuffle, RoundConstant>(key);
  state = _mm_aesenc_si128(state, key);
}

template <bool Shuffle>
[[gnu::target("aes,ssse3")]]
void absorb(std::uint8_t state[16], const std::uint8_t* blocks, std::size_t count) {
  // The chaining value is the cipher key and stays in a register between blocks.
  __m128i chaining = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  for (std::size_t i = 0; i < count; ++i) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * i));
    __m128i key = chaining;
    __m128i s = _mm_xor_si128(block, key);
    // Round constants x^(r-1) in GF(2^8) for rounds 1..10 (FIPS-197 5.2).
    middleRound<Shuffle, 0x01>(key, s);
    middleRound<Shuffle, 0x02>(key, s);
    middleRound<Shuffle, 0x04>(key, s);
    middleRound<Shuffle, 0x08>(key, s);
    middleRound<Shuffle, 0x10>(key, s);
    middleRound<Shuffle, 0x20>(key, s);
    middleRound<Shuffle, 0x40>(key, s);
    middleRound<Shuffle, 0x80>(key, s);
    middleRound<Shuffle, 0x1B>(key, s);
    key = nextRoundKey<Shuffle, 0x36>(key);
    s = _mm_aesenclast_si128(s, key);
    chaining = _mm_xor_si128(s, block);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), chaining);
}

}  // namespace

[[gnu::target("aes,ssse3")]]
void mmoAbsorbAesni(std::uint8_t state[16], const std::uint8_t* blocks, std::size_t count) {
  absorb<true>(state, blocks, count);
}

[[gnu::target("aes,ssse3")]]
void mmoAbsorbAesniKeygenAssist(std::uint8_t state[16], const std::uint8_t* blocks,
                                std::size_t count) {
  absorb<false>(state, blocks, count);
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

void mmoAbsorbAesniKeygenAssist(std::uint8_t state[16], const std::uint8_t* blocks,
                                std::size_t count) {
  mmoAbsorbAesni(state, blocks, count);
}

}  // namespace otawrap

#endif
