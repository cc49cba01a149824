// ECDSA signature generation over sect163k1 (SEC 1) for 16-octet digests.
//
// Keys, digests, r and s are big-endian octet strings. The routines keep no
// state, allocate nothing and write nothing but their outputs; every secret
// working value is wiped before they return.
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "ecc/scalar_mult.h"
#include "ecc/words.h"

namespace otawrap {

// Random-data callback: fills destination[0..count-1] and returns 0, or
// returns a nonzero failure code.
// Yield callback: no arguments, no result.
using YieldCallback = void (*)();

using RandomFill = int (*)(std::uint8_t* destination, std::uint32_t count);

inline constexpr std::uint32_t kEcdsaRandomOctets = 40;
// Signed and verified digests: the 16-octet AES-MMO hash.
inline constexpr std::uint16_t kEcdsaDigestOctets = 16;
inline constexpr std::uint32_t kEcdsaMaxYieldLevel = 10;

// What a signing or key routine reports.
enum class EcdsaStatus {
  ok,
  missingKey,          // the private key pointer is null
  missingBuffer,       // the digest or an output pointer is null
  missingCallback,     // no random source, or a yield level without a callback
  yieldLevelTooHigh,   // yield level above kEcdsaMaxYieldLevel
  randomSourceFailed,  // the random source returned nonzero
  keyIsZero,           // the private key is 0 modulo n: no signature or public key exists
};

// Signs digest (16 octets) with privateKey (21 octets, used as its residue
// modulo n) into rOut and sOut (21 octets each, canonical, zero-padded).
// randomFill is called exactly once for 40 octets R; the nonce is
// k = (R + 0xFFFF * 2^336) mod n. The yield callback runs inside the scalar
// multiplication at the positions set by yieldLevel (0: never).
// Statuses, checked in this order: missingKey, missingBuffer, missingCallback
// (randomFill absent, or yieldLevel nonzero without yieldCallback),
// yieldLevelTooHigh, randomSourceFailed; ok. On any failure rOut and sOut are
// untouched.
EcdsaStatus ecdsaSign(const std::uint8_t* privateKey, const std::uint8_t* digest, RandomFill randomFill,
              std::uint8_t* rOut, std::uint8_t* sOut, YieldCallback yieldCallback,
              std::uint32_t yieldLevel);

// Deterministic signature: the nonce is derived from the private key and the
// digest (RFC 6979 with HMAC-SHA-256) and handed to the signer as the 40
// octets of ecdsaRandomForNonce. Same key and digest, same signature.
// Returns ok, or keyIsZero for a private key that is zero modulo n (no
// signature exists); outputs untouched on failure.
EcdsaStatus ecdsaSignDeterministic(const std::uint8_t privateKey[21], const std::uint8_t digest[16],
                           std::uint8_t rOut[21], std::uint8_t sOut[21]);

}  // namespace otawrap
