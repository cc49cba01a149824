// ECDSA on either signing curve, chosen by a parameter: sect163k1 (crypto
// suite 1) and sect283k1 (crypto suite 2). Keys, r and s are big-endian octet
// strings of the curve's scalar length; public keys are SEC 1 encodings
// (compressed or uncompressed); digests are the 16-octet AES-MMO hash.
// Signing is deterministic (RFC 6979). Nothing here allocates, prints or keeps
// state; secrets are wiped as the curve's own signer wipes them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecc/modn.h"
#include "ecc/point283.h"
#include "ecc/point_decode.h"
#include "sign/ecdsa.h"

namespace otawrap {

enum class SigningCurve { sect163k1, sect283k1 };

struct SigningCurveSizes {
  std::size_t scalarOctets;           // private key, r, s
  std::size_t compressedPointOctets;  // 02/03 || x
};

constexpr SigningCurveSizes signingCurveSizes(SigningCurve curve) {
  return curve == SigningCurve::sect163k1
             ? SigningCurveSizes{kScalarOctets, kPointCompressedOctets}
             : SigningCurveSizes{kScalar283Octets, kPoint283CompressedOctets};
}

enum class EcdsaVerdict {
  valid,
  invalid,       // the signature does not verify (or r or s is out of range)
  badPublicKey,  // the public key does not decode to a point of order n
};

// rOut and sOut (scalarOctets each) = the signature of digest under
// privateKey (scalarOctets). Returns ok or keyIsZero (outputs untouched).
EcdsaStatus ecdsaSignDigest(SigningCurve curve, const std::uint8_t* privateKey,
                            const std::uint8_t digest[kEcdsaDigestOctets], std::uint8_t* rOut,
                            std::uint8_t* sOut);

// compressedOut (compressedPointOctets) = the public key of privateKey.
// Returns ok or keyIsZero (output untouched).
EcdsaStatus ecdsaPublicKeyCompressed(SigningCurve curve, const std::uint8_t* privateKey,
                                     std::uint8_t* compressedOut);

// Verifies (r, s) on digest under the encoded public key (length octets).
EcdsaVerdict ecdsaVerifyDigest(SigningCurve curve, const std::uint8_t* publicKey, std::size_t length,
                               const std::uint8_t digest[kEcdsaDigestOctets], const std::uint8_t* r,
                               const std::uint8_t* s);

}  // namespace otawrap
