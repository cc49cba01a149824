// The SHA-256 block function on the SHA extensions. The state is kept as the
// instructions want it, ABEF and CDGH; each SHA256RNDS2 does two rounds, and
// SHA256MSG1/MSG2 with one alignment and one addition extend the message
// schedule four words at a time. Whether this code is compiled at all is
// decided in ecc/hardware_paths.h.
#include "ecc/hardware_paths.h"
#include "sign/sha256_internal.h"

#if OTAWRAP_X86_64_HARDWARE_PATHS

#include <immintrin.h>

#if defined(_MSC_VER) && !defined(__clang__)
#pragma warning(disable : 5030)
#endif

namespace otawrap {

[[gnu::target("sha,sse4.1,ssse3")]]
void sha256CompressShani(std::uint32_t state[8], const std::uint8_t* block) {
  // Big-endian words of the block.
  const __m128i byteSwap = _mm_set_epi64x(0x0C0D0E0F08090A0BLL, 0x0405060700010203LL);
  const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  const __m128i abefStart = abef;
  const __m128i cdghStart = cdgh;

  // w[g % 4] holds schedule words 4g..4g+3 while group g runs.
  __m128i w[4];
  for (int g = 0; g < 4; ++g) {
    w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * g)),
                            byteSwap);
  }
  for (int g = 0; g < 16; ++g) {
    const __m128i words = w[g % 4];
    __m128i sum = _mm_add_epi32(
        words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sha256RoundConstants + 4 * g)));
    cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
    if (g >= 3 && g < 15) {
      // Words 4(g+1)..: MSG1 began them two groups ago; the W_(t-7) term and MSG2 finish them.
      __m128i& next = w[(g + 1) % 4];
      next = _mm_add_epi32(next, _mm_alignr_epi8(words, w[(g + 3) % 4], 4));
      next = _mm_sha256msg2_epu32(next, words);
    }
    sum = _mm_shuffle_epi32(sum, 0x0E);
    abef = _mm_sha256rnds2_epu32(abef, cdgh, sum);
    if (g >= 1 && g < 13) {
      __m128i& previous = w[(g + 3) % 4];
      previous = _mm_sha256msg1_epu32(previous, words);
    }
  }
  abef = _mm_add_epi32(abef, abefStart);
  cdgh = _mm_add_epi32(cdgh, cdghStart);

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

}  // namespace otawrap

#else

namespace otawrap {

// Never selected here (cpuFeatures().sha is false); kept so every build links.
void sha256CompressShani(std::uint32_t state[8], const std::uint8_t* block) {
  sha256CompressPortable(state, block);
}

}  // namespace otawrap

#endif
