// The floor for the AES-NI MMO hash: two plain intrinsics MMOs of the same 512
// KiB message, one whose key schedule uses PSHUFB + AESENCLAST (the word
// broadcast with its bytes rotated, then S-box and round constant) and one
// using AESKEYGENASSIST. Both are checked against mmoHash before timing.
// "mmoHash512KiB/ours" over "mmoHash512KiB/floor" is the cost of our code
// above the bare instructions. GCC and Clang on x86-64 only (function-level
// target attributes); elsewhere nothing is registered.
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "ecc/cpu_features.h"
#include "sign/mmo.h"

namespace {

__attribute__((target("aes,ssse3"))) inline __m128i expandShuffle(__m128i key, __m128i rcon) {
  const __m128i rotateWord3 = _mm_set_epi8(12, 15, 14, 13, 12, 15, 14, 13, 12, 15, 14, 13, 12, 15, 14, 13);
  const __m128i assist = _mm_aesenclast_si128(_mm_shuffle_epi8(key, rotateWord3), rcon);
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 8));
  return _mm_xor_si128(key, assist);
}

template <int Rcon>
__attribute__((target("aes"))) inline __m128i expandAssist(__m128i key) {
  const __m128i assist = _mm_shuffle_epi32(_mm_aeskeygenassist_si128(key, Rcon), 0xFF);
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 8));
  return _mm_xor_si128(key, assist);
}

// MMO over whole blocks, then the one padding block of a 512 KiB message.
template <bool Shuffle>
__attribute__((target("aes,ssse3"))) void floorHash(const std::uint8_t* data, std::size_t length,
                                                    std::uint8_t digest[16]) {
  std::uint8_t last[16] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::uint32_t bits = static_cast<std::uint32_t>(length * 8);
  for (int i = 0; i < 4; ++i) {
    last[10 + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
  }
  __m128i h = _mm_setzero_si128();
  for (std::size_t offset = 0; offset <= length; offset += 16) {
    const std::uint8_t* p = offset < length ? data + offset : last;
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i k = h;
    __m128i s = _mm_xor_si128(m, k);
    if constexpr (Shuffle) {
      const int rcons[10] = {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80, 0x1B, 0x36};
      for (int r = 0; r < 9; ++r) {
        k = expandShuffle(k, _mm_set1_epi32(rcons[r]));
        s = _mm_aesenc_si128(s, k);
      }
      k = expandShuffle(k, _mm_set1_epi32(rcons[9]));
    } else {
      k = expandAssist<0x01>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x02>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x04>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x08>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x10>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x20>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x40>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x80>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x1B>(k);
      s = _mm_aesenc_si128(s, k);
      k = expandAssist<0x36>(k);
    }
    h = _mm_xor_si128(_mm_aesenclast_si128(s, k), m);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(digest), h);
}

const std::vector<std::uint8_t>& message() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> b(512 * 1024);
    std::mt19937 rng(512u);  // the seed of the other MMO benchmarks
    for (auto& x : b) {
      x = static_cast<std::uint8_t>(rng());
    }
    return b;
  }();
  return bytes;
}

template <bool Shuffle>
void floorBenchmark(benchmark::State& state) {
  if (!otawrap::cpuFeatures().aes) {
    state.SkipWithError("no AES-NI here");
    return;
  }
  const auto& m = message();
  std::uint8_t digest[16];
  std::uint8_t ours[16];
  floorHash<Shuffle>(m.data(), m.size(), digest);
  otawrap::mmoHash(m.data(), static_cast<std::uint32_t>(m.size()), ours);
  if (std::memcmp(digest, ours, 16) != 0) {
    state.SkipWithError("the floor program disagrees with mmoHash");
    return;
  }
  for (auto _ : state) {
    floorHash<Shuffle>(m.data(), m.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * m.size()));
}
BENCHMARK(floorBenchmark<true>)->Name("mmoHash512KiB/floor")->Unit(benchmark::kMicrosecond);
BENCHMARK(floorBenchmark<false>)->Name("mmoHash512KiB/floor-keygenassist")->Unit(benchmark::kMicrosecond);

}  // namespace

#endif
