// SHA-512 compression and padding, FIPS 180-4 sections 4.1.3, 5.1.2 and 6.4.
#include "sign/sha512.h"

#include <cstring>

#include "codec/bytes.h"
#include "sign/block_absorb.h"
#include "sign/secure_wipe.h"

namespace otawrap {
namespace {

// First 64 bits of the fractional parts of the cube roots of the first 80
// primes (FIPS 180-4 4.2.3).
constexpr std::uint64_t roundConstants[80] = {
    0x428a2f98d728ae22, 0x7137449123ef65cd, 0xb5c0fbcfec4d3b2f, 0xe9b5dba58189dbbc,
    0x3956c25bf348b538, 0x59f111f1b605d019, 0x923f82a4af194f9b, 0xab1c5ed5da6d8118,
    0xd807aa98a3030242, 0x12835b0145706fbe, 0x243185be4ee4b28c, 0x550c7dc3d5ffb4e2,
    0x72be5d74f27b896f, 0x80deb1fe3b1696b1, 0x9bdc06a725c71235, 0xc19bf174cf692694,
    0xe49b69c19ef14ad2, 0xefbe4786384f25e3, 0x0fc19dc68b8cd5b5, 0x240ca1cc77ac9c65,
    0x2de92c6f592b0275, 0x4a7484aa6ea6e483, 0x5cb0a9dcbd41fbd4, 0x76f988da831153b5,
    0x983e5152ee66dfab, 0xa831c66d2db43210, 0xb00327c898fb213f, 0xbf597fc7beef0ee4,
    0xc6e00bf33da88fc2, 0xd5a79147930aa725, 0x06ca6351e003826f, 0x142929670a0e6e70,
    0x27b70a8546d22ffc, 0x2e1b21385c26c926, 0x4d2c6dfc5ac42aed, 0x53380d139d95b3df,
    0x650a73548baf63de, 0x766a0abb3c77b2a8, 0x81c2c92e47edaee6, 0x92722c851482353b,
    0xa2bfe8a14cf10364, 0xa81a664bbc423001, 0xc24b8b70d0f89791, 0xc76c51a30654be30,
    0xd192e819d6ef5218, 0xd69906245565a910, 0xf40e35855771202a, 0x106aa07032bbd1b8,
    0x19a4c116b8d2d0c8, 0x1e376c085141ab53, 0x2748774cdf8eeb99, 0x34b0bcb5e19b48a8,
    0x391c0cb3c5c95a63, 0x4ed8aa4ae3418acb, 0x5b9cca4f7763e373, 0x682e6ff3d6b2b8a3,
    0x748f82ee5defb2fc, 0x78a5636f43172f60, 0x84c87814a1f0ab72, 0x8cc702081a6439ec,
    0x90befffa23631e28, 0xa4506cebde82bde9, 0xbef9a3f7b2c67915, 0xc67178f2e372532b,
    0xca273eceea26619c, 0xd186b8c721c0c207, 0xeada7dd6cde0eb1e, 0xf57d4f7fee6ed178,
    0x06f067aa72176fba, 0x0a637dc5a2c898a6, 0x113f9804bef90dae, 0x1b710b35131c471b,
    0x28db77f523047d84, 0x32caab7b40c72493, 0x3c9ebe0a15c9bebc, 0x431d67c49c100d4c,
    0x4cc5d4becb3e42b6, 0x597f299cfc657e2a, 0x5fcb6fab3ad6faec, 0x6c44198c4a475817,
};

// First 64 bits of the fractional parts of the square roots of the first 8
// primes (FIPS 180-4 5.3.5).
constexpr std::uint64_t initialHash[8] = {
    0x6a09e667f3bcc908, 0xbb67ae8584caa73b, 0x3c6ef372fe94f82b, 0xa54ff53a5f1d36f1,
    0x510e527fade682d1, 0x9b05688c2b3e6c1f, 0x1f83d9abfb41bd6b, 0x5be0cd19137e2179,
};

inline std::uint64_t rotr(std::uint64_t x, unsigned n) {
  return (x >> n) | (x << (64 - n));
}

inline std::uint64_t loadBig64(const std::uint8_t* p) {
  return (static_cast<std::uint64_t>(loadBig32(p)) << 32) | loadBig32(p + 4);
}

inline void storeBig64(std::uint64_t v, std::uint8_t* p) {
  storeBig32(static_cast<std::uint32_t>(v >> 32), p);
  storeBig32(static_cast<std::uint32_t>(v), p + 4);
}

// One round of FIPS 180-4 6.4.2 step 3 with the working variables named by
// position: the caller rotates the names instead of moving eight values, so d
// and h are the two that change (d + T1 becomes the next e, T1 + T2 the next a).
inline void round(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t& d,
                  std::uint64_t e, std::uint64_t f, std::uint64_t g, std::uint64_t& h,
                  std::uint64_t kw) {
  const std::uint64_t t1 =
      h + (rotr(e, 14) ^ rotr(e, 18) ^ rotr(e, 41)) + ((e & f) ^ (~e & g)) + kw;
  const std::uint64_t t2 = (rotr(a, 28) ^ rotr(a, 34) ^ rotr(a, 39)) + ((a & b) ^ (a & c) ^ (b & c));
  d += t1;
  h = t1 + t2;
}

// Message schedule word t >= 16 in the 16-word ring (FIPS 180-4 6.4.2 step 1).
inline std::uint64_t schedule(std::uint64_t w[16], unsigned t) {
  const std::uint64_t w15 = w[(t - 15) & 15];
  const std::uint64_t w2 = w[(t - 2) & 15];
  const std::uint64_t sigma0 = rotr(w15, 1) ^ rotr(w15, 8) ^ (w15 >> 7);
  const std::uint64_t sigma1 = rotr(w2, 19) ^ rotr(w2, 61) ^ (w2 >> 6);
  w[t & 15] += sigma0 + w[(t - 7) & 15] + sigma1;
  return w[t & 15];
}

// Processes one 128-byte block (FIPS 180-4 6.4.2) with the message schedule
// kept in the caller's 16-word ring w, eight rounds per pass so that the
// names come back to where they started.
void compress(std::uint64_t state[8], const std::uint8_t* block, std::uint64_t w[16]) {
  for (unsigned t = 0; t < 16; ++t) {
    w[t] = loadBig64(block + 8 * t);
  }
  std::uint64_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint64_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (unsigned t = 0; t < 80; t += 8) {
    std::uint64_t x[8];
    for (unsigned i = 0; i < 8; ++i) {
      x[i] = roundConstants[t + i] + (t < 16 ? w[t + i] : schedule(w, t + i));
    }
    round(a, b, c, d, e, f, g, h, x[0]);
    round(h, a, b, c, d, e, f, g, x[1]);
    round(g, h, a, b, c, d, e, f, x[2]);
    round(f, g, h, a, b, c, d, e, x[3]);
    round(e, f, g, h, a, b, c, d, x[4]);
    round(d, e, f, g, h, a, b, c, x[5]);
    round(c, d, e, f, g, h, a, b, x[6]);
    round(b, c, d, e, f, g, h, a, x[7]);
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
}

// compress with a schedule ring that is wiped afterwards.
void compressOne(std::uint64_t state[8], const std::uint8_t* block) {
  std::uint64_t w[16];
  compress(state, block, w);
  secureWipe(w, sizeof w);
}

}  // namespace

void sha512Init(Sha512Context& context) {
  std::memcpy(context.state, initialHash, sizeof initialHash);
  context.byteCount = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
}

void sha512Update(Sha512Context& context, const std::uint8_t* data, std::size_t length) {
  // One schedule ring for every block of this call, wiped once at the end.
  std::uint64_t w[16];
  absorbBlocks(context.buffer, context.byteCount, data, length,
               [&context, &w](const std::uint8_t* block) { compress(context.state, block, w); });
  secureWipe(w, sizeof w);
}

void sha512Final(Sha512Context& context, std::uint8_t digest[64]) {
  const std::uint64_t bits = context.byteCount * 8;
  std::size_t used = static_cast<std::size_t>(context.byteCount % 128);
  context.buffer[used++] = 0x80;
  if (used > 112) {
    std::memset(context.buffer + used, 0, 128 - used);
    compressOne(context.state, context.buffer);
    used = 0;
  }
  // The upper 64 bits of the 128-bit length are zero for messages under 2^61 bytes.
  std::memset(context.buffer + used, 0, 120 - used);
  storeBig64(bits, context.buffer + 120);
  compressOne(context.state, context.buffer);
  for (unsigned i = 0; i < 8; ++i) {
    storeBig64(context.state[i], digest + 8 * i);
  }
  secureWipe(&context, sizeof context);
}

void sha512Hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[64]) {
  Sha512Context context;
  sha512Init(context);
  sha512Update(context, data, length);
  sha512Final(context, digest);
}

}  // namespace otawrap
