// What a check on an OTA file found, and where a sub-element lies: the
// records the reader and its checks fill and the report words
// (report/check_texts.h). Data only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ota/format.h"

namespace otawrap {

enum class OtaCheckId : std::uint8_t {
  container,              // a container's relations and block hashes; notRun without one
  fileIdentifier,         // the first four bytes are 0x0BEEF11E
  headerLength,           // the header length fits the field-control bits and the file
  totalImageSize,         // the total image size field equals the file size
  trailer,                // the CRC-32 trailer behind the total image size; notRun without one
  subElementChain,        // the sub-elements fill the file behind the header exactly
  imagePreamble,          // length and identifiers stamped into the upgrade image
  imageCrc,               // the image CRC at offset 0x88 or 0 of the upgrade image
  signatureLayout,        // certificate, then signature as the last sub-element
  signatureVerification,  // the ECDSA signature; left notRun by otaFileRead
  integrityCode,          // sub-element 0x0003, last, recomputed
  suite2SignatureLayout,  // crypto suite 2: certificate 0x0006, then signature 0x0005, last
  suite2SignatureVerification,  // the ECDSA signature over sect283k1; left notRun by otaFileRead
};
inline constexpr std::size_t kOtaCheckCount = 13;

enum class OtaCheckState : std::uint8_t {
  passed,
  failed,
  notApplicable,  // nothing to check, e.g. no upgrade image; counts as passing
  notRun,         // not asked for; counts as passing
};

// Why a check failed, does not apply or was not run; the command layer owns
// the text of each (report/check_texts.h).
enum class OtaReason : std::uint8_t {
  none,  // passed
  // fileIdentifier
  shorterThanIdentifier,
  notOtaIdentifier,
  // headerLength, totalImageSize
  shorterThanHeader,
  headerLengthMismatch,
  headerPastEnd,
  noCompleteHeader,
  totalSizeMismatch,
  bytesAfterTotalSize,  // found - expected bytes follow the total image size
  // container
  containerCut,
  containerFieldMismatch,
  containerSizeMismatch,
  containerBlockHashMismatch,  // expected and found: the block's index
  // trailer (passed)
  trailerCrc32,
  trailerPaddedInvertedCrc32,
  // subElementChain
  headerLengthOutsideFile,
  subElementHeadCut,
  subElementPastEnd,
  // imagePreamble, imageCrc
  noUpgradeImage,
  noCompleteUpgradeImage,
  foreignPayload,  // an upgrade image without the image preamble
  imageShorterThanPreamble,
  preambleLengthMismatch,
  preambleManufacturerMismatch,
  preambleImageTypeMismatch,
  preambleFileVersionMismatch,
  imageTooShortForCrc,
  crcMatchesNeitherOffset,
  crcMismatchAtZero,
  crcMismatchAt0x88,
  // signatureLayout
  unsignedFile,
  certificateWithoutSignature,
  integrityCodeCheckedInstead,
  signatureNotLast,
  signatureLengthNot50,
  noCertificateBeforeSignature,
  certificateLengthNot48,
  // integrityCode
  noIntegrityCode,
  signatureCheckedInstead,
  integrityCodeNotLast,
  integrityCodeLengthNot16,
  fileTooLargeToHash,  // also signatureVerification
  integrityCodeMismatch,
  // integrityCode (passed): which convention matched, or where it lies
  integrityCodeBeforeHead,
  integrityCodeWithHead,
  integrityCodeShortPadding,
  integrityCodeMisplaced,
  // suite 2
  noSuite2Signature,
  suite2LayoutMalformed,
  suite2WithoutCertificate,  // passed: a signature last, no certificate anywhere
  // passed, with a note: r and s outside [1, n-1] under either byte order
  suite2NotSect283k1,
  suite2WithoutCertificateNotSect283k1,
  // signatureVerification
  notAskedFor,
  fileNotSigned,
  signatureNotLastOfFile,
  signatureMismatch,
  certificateNotUnderCaKey,
  suite2NeedsCertificate,
  keyOfOtherSuite,
  notSect283k1Signature,
  certificateNotSuite2,  // type, curve or hash other than 00, 0D, 08
};

struct OtaCheck {
  OtaCheckState state;
  // Why it failed or does not apply; when passed, none or what matched.
  OtaReason reason;
  bool hasValues;    // expected and found hold the numbers behind a failure
  bool hexValues;    // they are identifiers, best shown in hexadecimal
  std::uint64_t expected;
  std::uint64_t found;

  static constexpr OtaCheck passed() {
    return {OtaCheckState::passed, OtaReason::none, false, false, 0, 0};
  }
  // Passed, saying which of several accepted forms matched.
  static constexpr OtaCheck passed(OtaReason which) {
    return {OtaCheckState::passed, which, false, false, 0, 0};
  }
  static constexpr OtaCheck failed(OtaReason why) {
    return {OtaCheckState::failed, why, false, false, 0, 0};
  }
  static constexpr OtaCheck failed(OtaReason why, std::uint64_t expectedValue,
                                   std::uint64_t foundValue) {
    return {OtaCheckState::failed, why, true, false, expectedValue, foundValue};
  }
  // The same, with identifiers that read best in hexadecimal.
  static constexpr OtaCheck failedHex(OtaReason why, std::uint64_t expectedValue,
                                      std::uint64_t foundValue) {
    return {OtaCheckState::failed, why, true, true, expectedValue, foundValue};
  }
  static constexpr OtaCheck notApplicable(OtaReason why) {
    return {OtaCheckState::notApplicable, why, false, false, 0, 0};
  }
  static constexpr OtaCheck notRun(OtaReason why) {
    return {OtaCheckState::notRun, why, false, false, 0, 0};
  }
};

struct OtaSubElement {
  std::uint16_t tag;
  std::size_t offset;    // of the head, from the start of the file
  std::uint32_t length;  // of the data behind the head
  // 6, or 8 for an encrypted element with the longer head, whose head adds two info
  // bytes (ota/format.h).
  std::uint8_t headSize;
  std::uint8_t info[2];  // those info bytes; 0 for a 6-byte head

  std::size_t dataOffset() const { return offset + headSize; }
};

}  // namespace otawrap
