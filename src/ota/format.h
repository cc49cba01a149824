// The ZigBee OTA Upgrade file format in numbers: every tag, size, offset and
// limit the OTA code uses, each with where it comes from. Constants only; the
// codes that read and write the format include this one header. Every
// multi-byte field of the file is little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/assembly.h"

namespace otawrap {

// --- The fixed header (ZigBee OTA Upgrade cluster, OTA file format) ---
inline constexpr std::uint32_t kOtaFileIdentifier = 0x0BEEF11E;
// The identifier as it lies in the file, least significant byte first.
inline constexpr std::uint8_t kOtaFileIdentifierBytes[4] = {0x1E, 0xF1, 0xEE, 0x0B};
inline constexpr std::uint16_t kOtaHeaderVersion = 0x0100;
inline constexpr std::uint16_t kOtaStackVersion = 0x0002;  // ZigBee PRO
// Field offsets of the fixed header.
inline constexpr std::size_t kOtaIdentifierOffset = 0;
inline constexpr std::size_t kOtaHeaderVersionOffset = 4;
inline constexpr std::size_t kOtaHeaderLengthOffset = 6;
inline constexpr std::size_t kOtaFieldControlOffset = 8;
inline constexpr std::size_t kOtaManufacturerOffset = 10;
inline constexpr std::size_t kOtaImageTypeOffset = 12;
inline constexpr std::size_t kOtaFileVersionOffset = 14;
inline constexpr std::size_t kOtaStackVersionOffset = 18;
inline constexpr std::size_t kOtaHeaderStringOffset = 20;
inline constexpr std::size_t kOtaHeaderStringSize = 32;
inline constexpr std::size_t kOtaTotalImageSizeOffset = 52;
// Header length without optional fields, and the largest with all of them (56 + 1 + 8 + 4).
inline constexpr std::size_t kOtaHeaderBaseLength = 56;
inline constexpr std::size_t kOtaHeaderMaxLength = 69;
// Field-control bits that add optional header fields, in the order they follow.
inline constexpr std::uint16_t kOtaFieldSecurityCredential = 0x0001;  // 1 byte
inline constexpr std::uint16_t kOtaFieldDestination = 0x0002;         // 8 bytes
inline constexpr std::uint16_t kOtaFieldHardwareVersions = 0x0004;    // 2 x 2 bytes

// --- Sub-elements: a 6-byte head (tag, 32-bit data length), then the data ---
// The upgrade image's tag and the head size are the image module's, which
// writes that sub-element itself.
inline constexpr std::size_t kOtaSubElementHeadSize = kUpgradeImageHeadSize;
inline constexpr std::uint16_t kOtaTagUpgradeImage = kUpgradeImageTag;
inline constexpr std::uint16_t kOtaTagSignature = 0x0001;    // ECDSA, crypto suite 1
inline constexpr std::uint16_t kOtaTagCertificate = 0x0002;  // crypto suite 1
inline constexpr std::uint16_t kOtaTagIntegrityCode = 0x0003;
inline constexpr std::uint16_t kOtaTagPictureData = 0x0004;
inline constexpr std::uint16_t kOtaTagSignatureSuite2 = 0x0005;
inline constexpr std::uint16_t kOtaTagCertificateSuite2 = 0x0006;
// 0xF000..0xFFFF belong to the manufacturer.
inline constexpr std::uint16_t kOtaTagManufacturerFirst = 0xF000;

// Crypto suite 1 (sect163k1): certificate of 48 bytes; signature of an 8-byte
// signer address and r, s of 21 bytes each.
inline constexpr std::uint32_t kOtaCertificateLength = 48;
inline constexpr std::uint32_t kOtaSignatureLength = 50;
inline constexpr std::size_t kOtaCertificateSubElementSize =
    kOtaSubElementHeadSize + kOtaCertificateLength;
inline constexpr std::size_t kOtaSignatureSubElementSize =
    kOtaSubElementHeadSize + kOtaSignatureLength;
// Bytes that signing appends behind the last sub-element of an unsigned file.
inline constexpr std::size_t kOtaSignedTrailerSize =
    kOtaCertificateSubElementSize + kOtaSignatureSubElementSize;
// Crypto suite 2 (sect283k1): certificate of 74 bytes; signature of an
// 8-byte signer address and r, s of 36 bytes each.
inline constexpr std::uint32_t kOtaSuite2CertificateLength = 74;
inline constexpr std::uint32_t kOtaSuite2SignatureLength = 80;
// The image integrity code: a 16-byte AES-MMO hash.
inline constexpr std::uint32_t kOtaIntegrityCodeLength = 16;
inline constexpr std::size_t kOtaIntegrityCodeSubElementSize =
    kOtaSubElementHeadSize + kOtaIntegrityCodeLength;
// AES-MMO hashes messages shorter than 2^29 bytes (its padding holds the bit
// length in 32 bits).
inline constexpr std::size_t kOtaMmoMessageLimit = std::size_t{1} << 29;

// --- Limits of this tool ---
// The largest OTA file read or built: far above any real image (the total
// image size field could say 4 GiB), and it bounds memory to a small
// multiple of it.
inline constexpr std::size_t kOtaFileSizeLimit = std::size_t{64} << 20;

}  // namespace otawrap
