// The ZigBee OTA Upgrade file: its fixed header, the in-memory header record and
// the sub-element tags. Every multi-byte field of the file is little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/assembly.h"

namespace otawrap {

inline constexpr std::uint32_t kOtaFileIdentifier = 0x0BEEF11E;
inline constexpr std::uint16_t kOtaHeaderVersion = 0x0100;
inline constexpr std::uint16_t kOtaStackVersion = 0x0002;
// Header length without optional fields, and the largest with all of them (56 + 1 + 8 + 4).
inline constexpr std::size_t kOtaHeaderBaseLength = 56;
inline constexpr std::size_t kOtaHeaderMaxLength = 69;

// Field-control bits that add optional header fields.
inline constexpr std::uint16_t kOtaFieldSecurityCredential = 0x0001;
inline constexpr std::uint16_t kOtaFieldDestination = 0x0002;
inline constexpr std::uint16_t kOtaFieldHardwareVersions = 0x0004;

// Sub-element tags, and the sizes of the two sub-elements a signature appends.
// The upgrade image's tag and the head size are the image module's, which
// writes that sub-element itself.
inline constexpr std::uint16_t kOtaTagUpgradeImage = kUpgradeImageTag;
inline constexpr std::uint16_t kOtaTagSignature = 0x0001;
inline constexpr std::uint16_t kOtaTagCertificate = 0x0002;
inline constexpr std::size_t kOtaSubElementHeadSize = kUpgradeImageHeadSize;
inline constexpr std::size_t kOtaCertificateSubElementSize = kOtaSubElementHeadSize + 48;
inline constexpr std::size_t kOtaSignatureSubElementSize = kOtaSubElementHeadSize + 50;
// Bytes that signing appends behind the last sub-element of an unsigned file.
inline constexpr std::size_t kOtaSignedTrailerSize =
    kOtaCertificateSubElementSize + kOtaSignatureSubElementSize;

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

// Writes a sub-element head (tag, then data length) at out[0..5].
void otaSubElementHeadWrite(std::uint16_t tag, std::uint32_t length, std::uint8_t* out);

}  // namespace otawrap
