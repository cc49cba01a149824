// SHA-256 compression and padding, FIPS 180-4 sections 4.1.2, 5.1.1 and 6.2.
#include "sign/sha256.h"

#include <cstring>

#include "codec/bytes.h"
#include "ecc/cpu_features.h"
#include "sign/block_absorb.h"
#include "sign/sha256_internal.h"
#include "sign/secure_wipe.h"

namespace otawrap {
namespace {

inline std::uint32_t rotr(std::uint32_t x, unsigned n) {
  return (x >> n) | (x << (32 - n));
}

// One round of FIPS 180-4 6.2.2 step 3 with the roles of the eight working
// variables passed in rotated order: only d and h change (d += T1,
// h = T1 + T2), and the caller shifts the roles by one for the next round.
inline void compressRound(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t& d,
                          std::uint32_t e, std::uint32_t f, std::uint32_t g, std::uint32_t& h,
                          std::uint32_t constant, std::uint32_t word) {
  const std::uint32_t t1 =
      h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + constant + word;
  const std::uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
  d += t1;
  h = t1 + t2;
}

// Message schedule word W_t for t >= 16, computed in place in the 16-word ring.
inline std::uint32_t scheduleWord(std::uint32_t (&w)[16], unsigned t) {
  const std::uint32_t w15 = w[(t - 15) & 15];
  const std::uint32_t w2 = w[(t - 2) & 15];
  const std::uint32_t sigma0 = rotr(w15, 7) ^ rotr(w15, 18) ^ (w15 >> 3);
  const std::uint32_t sigma1 = rotr(w2, 17) ^ rotr(w2, 19) ^ (w2 >> 10);
  w[t & 15] += sigma0 + w[(t - 7) & 15] + sigma1;
  return w[t & 15];
}

}  // namespace

// One 64-byte block; the message schedule is a 16-word ring.
void sha256CompressPortable(std::uint32_t state[8], const std::uint8_t* block) {
  std::uint32_t w[16];
  for (unsigned t = 0; t < 16; ++t) {
    w[t] = loadBig32(block + 4 * t);
  }
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (unsigned t = 0; t < 64; t += 8) {
    const bool scheduled = t >= 16;
    compressRound(a, b, c, d, e, f, g, h, sha256RoundConstants[t], scheduled ? scheduleWord(w, t) : w[t]);
    compressRound(h, a, b, c, d, e, f, g, sha256RoundConstants[t + 1],
                  scheduled ? scheduleWord(w, t + 1) : w[t + 1]);
    compressRound(g, h, a, b, c, d, e, f, sha256RoundConstants[t + 2],
                  scheduled ? scheduleWord(w, t + 2) : w[t + 2]);
    compressRound(f, g, h, a, b, c, d, e, sha256RoundConstants[t + 3],
                  scheduled ? scheduleWord(w, t + 3) : w[t + 3]);
    compressRound(e, f, g, h, a, b, c, d, sha256RoundConstants[t + 4],
                  scheduled ? scheduleWord(w, t + 4) : w[(t + 4) & 15]);
    compressRound(d, e, f, g, h, a, b, c, sha256RoundConstants[t + 5],
                  scheduled ? scheduleWord(w, t + 5) : w[(t + 5) & 15]);
    compressRound(c, d, e, f, g, h, a, b, sha256RoundConstants[t + 6],
                  scheduled ? scheduleWord(w, t + 6) : w[(t + 6) & 15]);
    compressRound(b, c, d, e, f, g, h, a, sha256RoundConstants[t + 7],
                  scheduled ? scheduleWord(w, t + 7) : w[(t + 7) & 15]);
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
  secureWipe(w, sizeof w);
}

namespace {

// The block function of this processor: the SHA extensions where present.
void compress(std::uint32_t state[8], const std::uint8_t* block) {
  if (cpuFeatures().sha) {
    sha256CompressShani(state, block);
  } else {
    sha256CompressPortable(state, block);
  }
}

}  // namespace

void sha256Init(Sha256Context& context) {
  std::memcpy(context.state, sha256InitialHash, sizeof sha256InitialHash);
  context.byteCount = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
}

void sha256Update(Sha256Context& context, const std::uint8_t* data, std::size_t length) {
  absorbBlocks(context.buffer, context.byteCount, data, length,
               [&context](const std::uint8_t* block) { compress(context.state, block); });
}

void sha256Final(Sha256Context& context, std::uint8_t digest[32]) {
  const std::uint64_t bits = context.byteCount * 8;
  std::size_t used = static_cast<std::size_t>(context.byteCount % 64);
  context.buffer[used++] = 0x80;
  if (used > 56) {
    std::memset(context.buffer + used, 0, 64 - used);
    compress(context.state, context.buffer);
    used = 0;
  }
  std::memset(context.buffer + used, 0, 56 - used);
  storeBig32(static_cast<std::uint32_t>(bits >> 32), context.buffer + 56);
  storeBig32(static_cast<std::uint32_t>(bits), context.buffer + 60);
  compress(context.state, context.buffer);
  for (unsigned i = 0; i < 8; ++i) {
    storeBig32(context.state[i], digest + 4 * i);
  }
  secureWipe(&context, sizeof context);
}

void sha256Hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[32]) {
  Sha256Context context;
  sha256Init(context);
  sha256Update(context, data, length);
  sha256Final(context, digest);
}

}  // namespace otawrap
