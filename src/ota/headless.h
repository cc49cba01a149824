// Headless payloads: bytes behind the header, or behind the last well-formed
// sub-element, that carry no sub-element head and run to the end of the OTA
// file exactly. Each kind is accepted only when its own structure and
// checksum (where it has one) hold. Reads only file[start..end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "ota/check_result.h"
#include "ota/header.h"

namespace otawrap {

enum class OtaHeadlessKind : std::uint8_t {
  timestampedEncryptedImage,  // 2A 00, image type, BCD timestamp, length; no checksum
  segmentedApplicationImage,  // 0xE9, segments, XOR checksum and SHA-256
  rawImageWithCrc16,          // behind an upgrade image; CRC-16 in its last two bytes
};

struct OtaHeadlessPayload {
  OtaHeadlessKind kind;
  std::size_t offset;  // from the OTA file identifier
  std::size_t length;  // to the end of the OTA file
};

// The headless payload file[start..end) holds, if any: the kinds in the
// order of the enum. previous is the last well-formed sub-element before
// start, or nullptr when start is the header's end.
std::optional<OtaHeadlessPayload> otaHeadlessPayloadFind(const std::uint8_t* file,
                                                         std::size_t start, std::size_t end,
                                                         const OtaHeader& header,
                                                         const OtaSubElement* previous);

// True when the six timestamp bytes at t are BCD with a month 01..12, a day
// 01..31, hours below 24, minutes and seconds below 60.
bool otaBcdTimestampValid(const std::uint8_t* t);

}  // namespace otawrap
