// The ECDSA signature of a read OTA file: the AES-MMO digest of every byte
// before the signature sub-element, verified with a public key.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecc/point.h"
#include "ota/reader.h"
#include "sign/ecdsa_curves.h"

namespace otawrap {

enum class SignatureCheckStatus : std::uint8_t {
  passed,
  notSigned,     // signatureLayout found no signature
  notLast,       // the signature sub-element is not the well-formed last one
  fileTooLarge,  // 2^29 bytes or more before the signature: too long to hash
  mismatch,      // (r, s) does not verify under the key
  otherSuite,    // the key is of one suite, the signature of the other
  notSect283k1,  // suite 2: r or s lies outside [1, n-1] under either byte order
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
// significant first), of either suite, or nullptr when the file ends with no
// signature of a layout that passed.
const std::uint8_t* otaSignerAddressBytes(const std::uint8_t* file, const OtaFileInfo& info);

// Where the parts of the signature a file ends with lie, of either suite.
struct OtaSignatureParts {
  SigningCurve curve = SigningCurve::sect163k1;
  const std::uint8_t* certificate = nullptr;  // 48 or 74 bytes; nullptr: suite 2 without one
  const std::uint8_t* signer = nullptr;       // 8 bytes, least significant first
  const std::uint8_t* r = nullptr;            // the curve's scalar octets, big-endian
  const std::uint8_t* s = nullptr;
  std::size_t hashed = 0;                     // the bytes before the signature sub-element
};

// Fills parts for a file whose suite-1 layout passed, or whose suite-2
// layout is well formed or without a certificate; the signature sub-element
// must end the file. Returns passed, notSigned (no signature of either suite)
// or notLast.
SignatureCheckStatus otaSignatureFind(const std::uint8_t* file, const OtaFileInfo& info,
                                      OtaSignatureParts& parts);

// The signature check of either suite under publicKey (length octets, an
// encoding of curve's): passed, or the first failure of notSigned, notLast,
// otherSuite, notSect283k1, fileTooLarge, mismatch. A key that is not a
// point of order n is mismatch; the caller has decoded it.
SignatureCheckStatus otaSignatureVerify(const std::uint8_t* file, const OtaFileInfo& info,
                                        SigningCurve curve, const std::uint8_t* publicKey,
                                        std::size_t length);

}  // namespace otawrap
