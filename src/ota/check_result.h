// What a check on an OTA file found, and where a sub-element lies: the
// records the reader and its checks fill and the report words
// (report/check_texts.h). Data only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

enum class OtaCheckId : std::uint8_t {
  fileIdentifier,         // the first four bytes are 0x0BEEF11E
  headerLength,           // the header length fits the field-control bits and the file
  totalImageSize,         // the total image size field equals the file size
  subElementChain,        // the sub-elements fill the file behind the header exactly
  imagePreamble,          // length and identifiers stamped into the upgrade image
  imageCrc,               // the image CRC at offset 0x88 or 0 of the upgrade image
  signatureLayout,        // certificate, then signature as the last sub-element
  signatureVerification,  // the ECDSA signature; left notRun by otaFileRead
  integrityCode,          // sub-element 0x0003, last, recomputed
  suite2SignatureLayout,  // crypto suite 2: certificate 0x0006, then signature 0x0005, last
  suite2SignatureVerification,  // notSupported when that layout is there, else notRun
};
inline constexpr std::size_t kOtaCheckCount = 11;

enum class OtaCheckState : std::uint8_t {
  passed,
  failed,
  notApplicable,  // nothing to check, e.g. no upgrade image; counts as passing
  notRun,         // not asked for; counts as passing
  notSupported,   // there is something to check that this tool cannot; counts as passing
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
  // suite 2
  noSuite2Signature,
  suite2LayoutMalformed,
  notSupported,
  // signatureVerification
  notAskedFor,
  fileNotSigned,
  signatureNotLastOfFile,
  signatureMismatch,
  certificateNotUnderCaKey,
  suite2NotVerifiable,
};

struct OtaCheck {
  OtaCheckState state;
  OtaReason reason;  // why it failed or does not apply; none when passed
  bool hasValues;    // expected and found hold the numbers behind a failure
  bool hexValues;    // they are identifiers, best shown in hexadecimal
  std::uint64_t expected;
  std::uint64_t found;

  static constexpr OtaCheck passed() {
    return {OtaCheckState::passed, OtaReason::none, false, false, 0, 0};
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
  static constexpr OtaCheck notSupported(OtaReason why) {
    return {OtaCheckState::notSupported, why, false, false, 0, 0};
  }
};

struct OtaSubElement {
  std::uint16_t tag;
  std::size_t offset;    // of the 6-byte head, from the start of the file
  std::uint32_t length;  // of the data behind the head
};

}  // namespace otawrap
