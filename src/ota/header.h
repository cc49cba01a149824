// The ZigBee OTA Upgrade file header: the in-memory record, its encoder and
// its decoder (the numbers are ota/format.h's).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ota/format.h"

namespace otawrap {

struct OtaHeader {
  std::uint32_t fileIdentifier;
  std::uint16_t headerVersion;
  std::uint16_t headerLength;
  std::uint16_t fieldControl;
  std::uint16_t manufacturerCode;
  std::uint16_t imageType;
  std::uint32_t fileVersion;
  std::uint16_t stackVersion;
  std::array<std::uint8_t, 32> headerString;
  std::uint32_t totalImageSize;
  // Optional fields, serialised only when their field-control bit is set.
  std::uint8_t securityCredentialVersion;
  std::array<std::uint8_t, 8> upgradeFileDestination;
  std::uint16_t minimumHardwareVersion;
  std::uint16_t maximumHardwareVersion;
};

// Header length for a field control: 56, plus 1, 8 and 4 for bits 0, 1 and 2.
std::uint16_t otaHeaderLengthFor(std::uint16_t fieldControl);

// Zeroes every field, then sets the identifier, header version, stack version,
// header length (from the field control, which is 0) and a total image size
// equal to the header length.
void otaHeaderDefaults(OtaHeader& header);

// Writes the header fields in file order, then the optional fields whose
// field-control bits are set, to out; returns the number of bytes written
// (otaHeaderLengthFor(header.fieldControl), at most kOtaHeaderMaxLength). out
// must have room for that many bytes. Never fails.
std::size_t otaHeaderSerialize(const OtaHeader& header, std::uint8_t* out);

// Rewrites the manufacturer code, image type and file version (offsets 10..17)
// and the total image size (offsets 52..55) of a header already serialised at
// file[0]; touches no other byte. file must hold at least 56 bytes.
void otaHeaderPatch(const OtaHeader& header, std::uint8_t* file);

// Which optional fields a decoded header holds: announced by the field
// control and inside the given bytes.
struct OtaHeaderPresence {
  bool securityCredentialVersion;
  bool destination;
  bool hardwareVersions;
};

// Decodes the fixed fields of file[0..56) and the optional fields the field
// control announces that lie inside file[0..size). Requires size >= 56; reads
// nothing at or beyond size. The inverse of otaHeaderSerialize.
OtaHeaderPresence otaHeaderDecode(const std::uint8_t* file, std::size_t size, OtaHeader& header);

// Writes a sub-element head (tag, then data length) at out[0..5].
void otaSubElementHeadWrite(std::uint16_t tag, std::uint32_t length, std::uint8_t* out);

}  // namespace otawrap
