// RFC 6979 section 3.2 nonce generation with HMAC-SHA-256 for any order q.
#include "sign/rfc6979.h"

#include <cstring>

#include "sign/hmac.h"
#include "sign/mmo.h"
#include "sign/rfc6979_internal.h"
#include "sign/secure_wipe.h"

namespace otawrap {
namespace {

constexpr std::uint8_t separatorZero = 0x00;
constexpr std::uint8_t separatorOne = 0x01;
constexpr std::size_t kDigestOctets = mmoDigestSize;

// Enough HMAC outputs for T to hold rlen octets.
constexpr std::size_t kMaxBlocks = (kNonceMaxOctets + hmacSha256Size - 1) / hmacSha256Size;

// out = HMAC_K(V || separator || material) where keyed is HMAC keyed with K.
// A null separator is left out; material may be null when materialLength is 0.
// out may be v.
void macOf(const HmacSha256Context& keyed, const std::uint8_t* v, const std::uint8_t* separator,
           const std::uint8_t* material, std::size_t materialLength, std::uint8_t* out) {
  HmacSha256Context work = keyed;
  hmacSha256Update(work, v, hmacSha256Size);
  if (separator != nullptr) {
    hmacSha256Update(work, separator, 1);
  }
  hmacSha256Update(work, material, materialLength);
  hmacSha256Final(work, out);  // also wipes work
}

}  // namespace

int nonceIsInRangeOf(const NonceOrder& q, const std::uint8_t* value) {
  // Borrow out of value - q tells value < q; the OR of all octets tells value != 0.
  unsigned borrow = 0;
  unsigned any = 0;
  for (std::size_t i = q.length; i-- > 0;) {
    const unsigned difference = static_cast<unsigned>(value[i]) - q.octets[i] - borrow;
    borrow = (difference >> 8) & 1u;
    any |= value[i];
  }
  const unsigned nonzero = (any + 0xFFu) >> 8;
  return static_cast<int>(borrow & nonzero);
}

void nonceBitsToIntOf(const NonceOrder& q, const std::uint8_t* t, std::uint8_t* kOut) {
  // The leftmost 8*rlen bits are t[0..rlen-1]; the spare low bits go to reach qlen.
  const unsigned shift = static_cast<unsigned>(8 * q.length - q.bits);
  kOut[0] = static_cast<std::uint8_t>(t[0] >> shift);
  for (std::size_t i = 1; i < q.length; ++i) {
    kOut[i] = static_cast<std::uint8_t>((t[i - 1] << (8 - shift)) | (t[i] >> shift));
  }
}

int nonceIsInRange(const std::uint8_t value[21]) {
  return nonceIsInRangeOf(kSect163k1NonceOrder, value);
}

void nonceBitsToInt(const std::uint8_t t[32], std::uint8_t kOut[21]) {
  nonceBitsToIntOf(kSect163k1NonceOrder, t, kOut);
}

void rfc6979NonceFor(const NonceOrder& q, const std::uint8_t* privateKeyModN,
                     const std::uint8_t digest[16], std::uint8_t* kOut) {
  // int2octets(x) || bits2octets(h1); h1 < 2^128 < q, so bits2octets(h1) is
  // h1 itself left-padded to rlen octets.
  const std::size_t rlen = q.length;
  std::uint8_t material[2 * kNonceMaxOctets] = {};
  std::memcpy(material, privateKeyModN, rlen);
  std::memcpy(material + 2 * rlen - kDigestOctets, digest, kDigestOctets);

  std::uint8_t v[hmacSha256Size];
  std::uint8_t key[hmacSha256Size];
  std::uint8_t t[kMaxBlocks * hmacSha256Size];
  std::uint8_t candidate[kNonceMaxOctets];
  HmacSha256Context keyed;

  std::memset(v, 0x01, sizeof v);
  std::memset(key, 0x00, sizeof key);

  // K = HMAC_K(V || 0x00 || material); V = HMAC_K(V).
  hmacSha256Init(keyed, key, sizeof key);
  macOf(keyed, v, &separatorZero, material, 2 * rlen, key);
  hmacSha256Init(keyed, key, sizeof key);
  macOf(keyed, v, nullptr, nullptr, 0, v);
  // K = HMAC_K(V || 0x01 || material); V = HMAC_K(V).
  macOf(keyed, v, &separatorOne, material, 2 * rlen, key);
  hmacSha256Init(keyed, key, sizeof key);
  macOf(keyed, v, nullptr, nullptr, 0, v);

  for (;;) {
    // T = V_1 || V_2 || ... until it holds qlen bits.
    for (std::size_t filled = 0; filled < q.bits; filled += 8 * hmacSha256Size) {
      macOf(keyed, v, nullptr, nullptr, 0, v);
      std::memcpy(t + filled / 8, v, hmacSha256Size);
    }
    nonceBitsToIntOf(q, t, candidate);
    if (nonceIsInRangeOf(q, candidate) != 0) {
      break;
    }
    // K = HMAC_K(V || 0x00); V = HMAC_K(V).
    macOf(keyed, v, &separatorZero, nullptr, 0, key);
    hmacSha256Init(keyed, key, sizeof key);
    macOf(keyed, v, nullptr, nullptr, 0, v);
  }
  std::memcpy(kOut, candidate, rlen);

  secureWipe(material, sizeof material);
  secureWipe(v, sizeof v);
  secureWipe(key, sizeof key);
  secureWipe(t, sizeof t);
  secureWipe(candidate, sizeof candidate);
  secureWipe(&keyed, sizeof keyed);
}

void rfc6979Nonce(const std::uint8_t privateKeyModN[21], const std::uint8_t digest[16],
                  std::uint8_t kOut[21]) {
  rfc6979NonceFor(kSect163k1NonceOrder, privateKeyModN,
                  digest, kOut);
}

}  // namespace otawrap
