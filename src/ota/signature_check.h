// The ECDSA signature of a read OTA file: the AES-MMO digest of every byte
// before the signature sub-element, verified with a public key.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecc/point.h"
#include "ota/reader.h"

namespace otawrap {

enum class SignatureCheckStatus : std::uint8_t {
  passed,
  notSigned,     // signatureLayout found no signature
  notLast,       // the signature sub-element is not the well-formed last one
  fileTooLarge,  // 2^29 bytes or more before the signature: too long to hash
  mismatch,      // (r, s) does not verify under the key
};

// The signature check for file[0..info.fileSize) as otaFileRead described it.
// Passes when the signature sub-element is the last one (signatureLayout
// passed) and (r, s) verifies under publicKey (a point of order n); otherwise
// the first failure in the order of the enum. Never reads outside the file.
SignatureCheckStatus otaSignatureCheck(const std::uint8_t* file, const OtaFileInfo& info,
                                       const AffinePoint& publicKey);

// Whether the layout leaves a signature to verify: notSigned, notLast or passed.
SignatureCheckStatus otaSignatureUsable(const OtaFileInfo& info);

// The 48 certificate bytes right before the signature, or nullptr unless
// signatureLayout passed.
const std::uint8_t* otaCertificateBytes(const std::uint8_t* file, const OtaFileInfo& info);

// The 8 signer-address bytes of the signature sub-element as stored (least
// significant first), or nullptr unless signatureLayout passed.
const std::uint8_t* otaSignerAddressBytes(const std::uint8_t* file, const OtaFileInfo& info);

}  // namespace otawrap
