// Deterministic ECDSA nonce for sect163k1 (RFC 6979 section 3.2, HMAC-SHA-256).
//
// The nonce is a function of the private key and the message digest alone, so
// signing needs no random source and the same input always signs the same way.
// Parameters: q = n, the order of the sect163k1 base point (qlen = 163 bits,
// rlen = 21 octets); h1 is the 16-octet AES-MMO digest of the message.
#pragma once

#include <cstdint>

namespace otawrap {

// kOut = the RFC 6979 nonce k for private key x and digest h1:
// x = privateKeyModN, 21 big-endian octets, already reduced modulo n (the
// caller guarantees 0 < x < n); h1 = digest, 16 octets, read as a 128-bit
// integer (below n, so bits2octets(h1) is h1 left-padded to 21 octets).
// The result satisfies 0 < k < n. Candidates outside that range are rejected
// and the generator is advanced as the RFC prescribes. Every secret working
// value (V, K, T and the HMAC states) is wiped before returning. kOut may not
// overlap the inputs.
void rfc6979Nonce(const std::uint8_t privateKeyModN[21], const std::uint8_t digest[16],
                  std::uint8_t kOut[21]);

}  // namespace otawrap
