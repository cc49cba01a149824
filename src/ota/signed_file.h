// Signed OTA file: the certificate and signature sub-elements behind the
// upgrade image, with the header settled before the file is hashed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ota/header.h"
#include "sign/credentials.h"

namespace otawrap {

enum class SignStatus {
  ok,
  signatureFailed,  // the key is zero, or the signature does not verify
  signerFailed,     // the outside signer (credentials.externalSign) gave no signature
};

// The bytes otaSignedFileAppend appends for credentials of curve:
// kOtaSignedTrailerSize or kOtaSuite2SignedTrailerSize.
std::size_t otaSignedTrailerSize(SigningCurve curve);

// With the unsigned file in file[0..position) (header serialised at offset 0,
// header.totalImageSize == position): appends the certificate sub-element
// (suite 1: tag 0x0002, 48 bytes; suite 2: 0x0006, 74 bytes), sets the final
// total size, patches the header in file, hashes everything before the
// signature with AES-MMO and appends the signature sub-element (suite 1:
// 0x0001, 50 bytes; suite 2: 0x0005, 80 bytes in the layout of
// sign/suite2_signature.h: IEEE address as stored, r, s). The signature is
// made with the private key, or by credentials.externalSign when set, and
// verified before it is written: under d*G, or under credentials.publicKey
// for an outside signer. file must have room for otaSignedTrailerSize bytes
// behind position. On success position is the end of the file; on failure
// the file is not to be written.
SignStatus otaSignedFileAppend(OtaHeader& header, std::uint8_t* file, std::size_t& position,
                               const SignerCredentials& credentials);

}  // namespace otawrap
