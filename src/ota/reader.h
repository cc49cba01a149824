// Reads any ZigBee OTA Upgrade file from memory: its header fields, the
// optional fields the field control announces, the sub-element chain, and a
// set of checks on the whole file. The image checks apply only to an upgrade
// image that carries this tool's image preamble, unless a platform is named.
// Never reads outside the given bytes, for any content or length. Reports data
// only; printing is the caller's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/platform.h"
#include "ota/header.h"

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

// How many sub-elements otaFileRead lists; the chain beyond is walked and
// counted but not stored, so a file of empty sub-elements costs no memory.
inline constexpr std::size_t kOtaListedSubElementLimit = 1000;

struct OtaSubElement {
  std::uint16_t tag;
  std::size_t offset;    // of the 6-byte head, from the start of the file
  std::uint32_t length;  // of the data behind the head
};

struct OtaFileInfo {
  // Bytes before the OTA file identifier (a vendor's own header) when read
  // with otaFileLocateAndRead, else 0. Every offset and fileSize count from
  // the identifier; the file's bytes start at data + prefixLength.
  std::size_t prefixLength;
  std::size_t fileSize;
  // The file holds the 56 bytes of the fixed header; only then are the fixed
  // fields of header meaningful.
  bool headerComplete;
  OtaHeader header;
  // An optional field is present when its field-control bit is set and its
  // bytes lie inside the file.
  bool securityCredentialVersionPresent;
  bool destinationPresent;
  bool hardwareVersionsPresent;
  // The first kOtaListedSubElementLimit complete sub-elements from the header
  // length on, in file order; a sub-element cut short by the end of the file
  // is not listed. subElementCount counts every complete one.
  std::vector<OtaSubElement> subElements;
  std::size_t subElementCount;
  // What the checks need from the whole chain: the first sub-element with
  // each known tag, and the last two.
  std::optional<OtaSubElement> firstUpgradeImage;
  std::optional<OtaSubElement> firstSignature;
  std::optional<OtaSubElement> firstCertificate;
  std::optional<OtaSubElement> firstIntegrityCode;
  std::optional<OtaSubElement> firstSuite2Signature;
  std::optional<OtaSubElement> firstSuite2Certificate;
  std::optional<OtaSubElement> lastSubElement;
  std::optional<OtaSubElement> beforeLastSubElement;
  // Where the image CRC matched (0x88 or 0) and its value, when imageCrc passed.
  std::uint32_t imageCrcOffset;
  std::uint16_t imageCrc;
  std::array<OtaCheck, kOtaCheckCount> checks;

  OtaCheck& check(OtaCheckId id) { return checks[static_cast<std::size_t>(id)]; }
  const OtaCheck& check(OtaCheckId id) const { return checks[static_cast<std::size_t>(id)]; }
};

struct OtaReadOptions {
  // A platform named by the user: the image preamble and CRC checks apply to
  // the first upgrade image whatever it holds, and the CRC is looked for only
  // at that platform's offset. Otherwise they apply only to an image that
  // carries the preamble (otaImageCarriesPreamble), and the CRC may sit at
  // 0x88 or 0.
  bool platformGiven = false;
  Platform platform = Platform::quillDev;
};

// Parses file[0..size) (file may be nullptr when size is 0) and runs every
// check but signatureVerification. Never fails: a malformed file gives failed
// checks.
OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size);
OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size, const OtaReadOptions& options);

// The same for data[0..size) that may hold a vendor's header before the OTA
// file: reads from the first OTA file identifier (otaFindFileStart) and sets
// prefixLength; with no identifier anywhere, reads from 0.
OtaFileInfo otaFileLocateAndRead(const std::uint8_t* data, std::size_t size,
                                 const OtaReadOptions& options);

// True when no check has failed.
bool otaFileChecksPass(const OtaFileInfo& info);

}  // namespace otawrap
