// RFC 6979 section 3.2 nonce generation with HMAC-SHA-256 for q = n of sect163k1.
#include "sign/rfc6979.h"

#include <cstring>

#include "sign/hmac.h"
#include "sign/rfc6979_internal.h"
#include "sign/secure_wipe.h"

namespace otawrap {
namespace {

// rlen is kScalarOctets, hlen is hmacSha256Size.
constexpr std::uint8_t separatorZero = 0x00;
constexpr std::uint8_t separatorOne = 0x01;

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

int nonceIsInRange(const std::uint8_t value[21]) {
  // Borrow out of value - n tells value < n; the OR of all octets tells value != 0.
  unsigned borrow = 0;
  unsigned any = 0;
  for (std::size_t i = kScalarOctets; i-- > 0;) {
    const unsigned difference = static_cast<unsigned>(value[i]) - nonceGroupOrder[i] - borrow;
    borrow = (difference >> 8) & 1u;
    any |= value[i];
  }
  const unsigned nonzero = (any + 0xFFu) >> 8;
  return static_cast<int>(borrow & nonzero);
}

void nonceBitsToInt(const std::uint8_t t[32], std::uint8_t kOut[21]) {
  // The leftmost 168 bits are t[0..20]; five more bits go to reach 163.
  kOut[0] = static_cast<std::uint8_t>(t[0] >> 5);
  for (std::size_t i = 1; i < kScalarOctets; ++i) {
    kOut[i] = static_cast<std::uint8_t>((t[i - 1] << 3) | (t[i] >> 5));
  }
}

void rfc6979Nonce(const std::uint8_t privateKeyModN[21], const std::uint8_t digest[16],
                  std::uint8_t kOut[21]) {
  // int2octets(x) || bits2octets(h1); h1 < 2^128 < n, so bits2octets(h1) is
  // h1 itself left-padded to 21 octets.
  std::uint8_t material[2 * kScalarOctets] = {};
  std::memcpy(material, privateKeyModN, kScalarOctets);
  std::memcpy(material + 2 * kScalarOctets - 16, digest, 16);

  std::uint8_t v[hmacSha256Size];
  std::uint8_t key[hmacSha256Size];
  std::uint8_t candidate[kScalarOctets];
  HmacSha256Context keyed;

  std::memset(v, 0x01, sizeof v);
  std::memset(key, 0x00, sizeof key);

  // K = HMAC_K(V || 0x00 || material); V = HMAC_K(V).
  hmacSha256Init(keyed, key, sizeof key);
  macOf(keyed, v, &separatorZero, material, sizeof material, key);
  hmacSha256Init(keyed, key, sizeof key);
  macOf(keyed, v, nullptr, nullptr, 0, v);
  // K = HMAC_K(V || 0x01 || material); V = HMAC_K(V).
  macOf(keyed, v, &separatorOne, material, sizeof material, key);
  hmacSha256Init(keyed, key, sizeof key);
  macOf(keyed, v, nullptr, nullptr, 0, v);

  for (;;) {
    // One HMAC output (256 bits) already covers qlen = 163 bits, so T = V.
    macOf(keyed, v, nullptr, nullptr, 0, v);
    nonceBitsToInt(v, candidate);
    if (nonceIsInRange(candidate) != 0) {
      break;
    }
    // K = HMAC_K(V || 0x00); V = HMAC_K(V).
    macOf(keyed, v, &separatorZero, nullptr, 0, key);
    hmacSha256Init(keyed, key, sizeof key);
    macOf(keyed, v, nullptr, nullptr, 0, v);
  }
  std::memcpy(kOut, candidate, kScalarOctets);

  secureWipe(material, sizeof material);
  secureWipe(v, sizeof v);
  secureWipe(key, sizeof key);
  secureWipe(candidate, sizeof candidate);
  secureWipe(&keyed, sizeof keyed);
}

}  // namespace otawrap
