// ECDSA over sect283k1 (SEC 1, 4.1.3 and 4.1.4) for 16-octet digests, the
// signature of crypto suite 2, and the public key of a private key.
//
// Keys, r and s are 36 big-endian octets; the digest (the AES-MMO hash) is read
// whole as the integer e, below n. Signing is deterministic (RFC 6979 with
// HMAC-SHA-256, qlen 281) and constant time in the key and the nonce; every
// secret working value is wiped before returning. Nothing here allocates,
// prints or keeps state.
#pragma once

#include <cstdint>

#include "ecc/point283.h"
#include "sign/ecdsa.h"

namespace otawrap {

// Signs digest with privateKey (its residue mod n) into rOut and sOut.
// Returns ok, or keyIsZero when the key is 0 mod n (outputs untouched).
EcdsaStatus ecdsa283Sign(const std::uint8_t privateKey[kScalar283Octets],
                         const std::uint8_t digest[kEcdsaDigestOctets],
                         std::uint8_t rOut[kScalar283Octets], std::uint8_t sOut[kScalar283Octets]);

// publicKeyOut = d*G. Returns ok, or keyIsZero (publicKeyOut untouched).
EcdsaStatus ecdsa283PublicKey(const std::uint8_t privateKey[kScalar283Octets],
                              Affine283& publicKeyOut);

// 1 if (r, s) is a valid signature of digest under publicKey (a point of order
// n, as point283Decode gives it), else 0. Rejects r or s outside [1, n-1].
int ecdsa283Verify(const Affine283& publicKey, const std::uint8_t digest[kEcdsaDigestOctets],
                   const std::uint8_t r[kScalar283Octets], const std::uint8_t s[kScalar283Octets]);

}  // namespace otawrap
