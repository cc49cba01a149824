// ECDSA signature verification over sect163k1 (SEC 1, 4.1.4) for 16-octet
// digests, and the public key of a private key.
//
// r, s, keys and digests are big-endian octet strings. Verification works on
// public values only; nothing here allocates, prints or keeps state.
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "sign/ecdsa.h"

namespace otawrap {

// 1 if (r, s) (21 octets each) is a valid signature of digest (16 octets, read
// whole as the integer e) under publicKey, else 0. publicKey must be a point
// of order n with canonical or partially reduced coordinates (as pointDecode
// or ecdsaPublicKey give it). Rejects r or s outside [1, n-1] and a sum
// u1*G + u2*Q at infinity.
int ecdsaVerify(const AffinePoint& publicKey, const std::uint8_t digest[16], const std::uint8_t r[21],
                const std::uint8_t s[21]);

// publicKeyOut = d*G for the 21-octet private key d (used as its residue mod
// n). Returns ok, or keyIsZero when d is 0 mod n (publicKeyOut untouched). The
// copy of d is wiped before returning.
EcdsaStatus ecdsaPublicKey(const std::uint8_t privateKey[21], AffinePoint& publicKeyOut);

}  // namespace otawrap
