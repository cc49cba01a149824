// Deterministic ECDSA nonce (RFC 6979 section 3.2, HMAC-SHA-256) for a group
// order given as a parameter: sect163k1 (qlen = 163, rlen = 21 octets) and
// sect283k1 (qlen = 281, rlen = 36).
//
// The nonce is a function of the private key and the message digest alone, so
// signing needs no random source and the same input always signs the same way.
// h1 is the 16-octet AES-MMO digest of the message: below every order here, so
// bits2octets(h1) is h1 left-padded to rlen octets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// q as rlen big-endian octets and its length in bits.
struct NonceOrder {
  const std::uint8_t* octets;
  std::size_t length;  // rlen, at most kNonceMaxOctets
  unsigned bits;       // qlen: 8 * length - 8 < bits <= 8 * length
};

inline constexpr std::size_t kNonceMaxOctets = 36;

// kOut (q.length octets) = the RFC 6979 nonce k for private key x =
// privateKeyModN (q.length big-endian octets, 0 < x < q, the caller's
// guarantee) and digest (16 octets). 0 < k < q: candidates outside are
// rejected and the generator advanced as the RFC prescribes. Every secret
// working value is wiped before returning. kOut may not overlap the inputs.
void rfc6979NonceFor(const NonceOrder& q, const std::uint8_t* privateKeyModN,
                     const std::uint8_t digest[16], std::uint8_t* kOut);

// rfc6979NonceFor with q = n of sect163k1.
void rfc6979Nonce(const std::uint8_t privateKeyModN[21], const std::uint8_t digest[16],
                  std::uint8_t kOut[21]);

}  // namespace otawrap
