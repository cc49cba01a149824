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
#include "ota/check_result.h"
#include "ota/element_checks.h"
#include "ota/header.h"
#include "ota/headless.h"
#include "ota/wrapping.h"

namespace otawrap {

// How many sub-elements otaFileRead lists; the chain beyond is walked and
// counted but not stored, so a file of empty sub-elements costs no memory.
inline constexpr std::size_t kOtaListedSubElementLimit = 1000;

struct OtaFileInfo : OtaSealElements {
  // Where the OTA file starts in the bytes read by otaFileLocateAndRead (a
  // container's or prefix's length), else 0. Every offset and fileSize count
  // from the identifier; the file's bytes start at data + prefixLength.
  std::size_t prefixLength;
  // The OTA file's own bytes: up to the total image size when a trailer was
  // recognised behind it, else every byte from the identifier on.
  std::size_t fileSize;
  // Every byte read: container, prefix, trailer and suffix included.
  std::size_t wholeSize;
  OtaWrapping wrapping;  // kind none from otaFileRead
  OtaTrailer trailer;    // kind none without a recognised trailer
  // Bytes without a sub-element head that end the chain, when a headless
  // payload kind recognised them.
  std::optional<OtaHeadlessPayload> headless;
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
  // The first upgrade image of the whole chain; the seal elements (first of
  // each seal tag, the last two) come from the base.
  std::optional<OtaSubElement> firstUpgradeImage;
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

// The same for a downloaded file data[0..size) that may wrap the OTA file
// (ota/wrapping.h): reads the OTA file where otaWrappingFind puts it, sets
// prefixLength, wholeSize and wrapping, and the container check.
OtaFileInfo otaFileLocateAndRead(const std::uint8_t* data, std::size_t size,
                                 const OtaReadOptions& options);

// True when no check has failed.
bool otaFileChecksPass(const OtaFileInfo& info);

}  // namespace otawrap
