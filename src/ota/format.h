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
inline constexpr std::size_t kOtaSuite2SignedTrailerSize =
    2 * kOtaSubElementHeadSize + kOtaSuite2CertificateLength + kOtaSuite2SignatureLength;
// The image integrity code: a 16-byte AES-MMO hash.
inline constexpr std::uint32_t kOtaIntegrityCodeLength = 16;
inline constexpr std::size_t kOtaIntegrityCodeSubElementSize =
    kOtaSubElementHeadSize + kOtaIntegrityCodeLength;
// AES-MMO hashes messages shorter than 2^29 bytes (its padding holds the bit
// length in 32 bits).
inline constexpr std::size_t kOtaMmoMessageLimit = std::size_t{1} << 29;

// --- Shapes found around and inside OTA files in the field ---
// Measured on files that devices take; offsets count from the OTA file
// identifier unless said otherwise, "TIS" is the header's total image size.

// Encrypted element with a long head: tag 0xF000 with an 8-byte head (tag, 32-bit
// length L, two info bytes), then L bytes. L does not count the info bytes
// and is a multiple of 16; the first info byte is 1, the second the number of
// bytes at the end beyond the image's own end, below 16. Taken only where the
// chain has no tiling with 6-byte heads.
inline constexpr std::uint16_t kOtaTagLongHeadElement = 0xF000;
inline constexpr std::size_t kOtaLongHeadSize = 8;
inline constexpr std::uint8_t kOtaLongHeadFirstInfo = 0x01;
inline constexpr std::uint8_t kOtaLongHeadTailLimit = 16;
inline constexpr std::uint32_t kOtaLongHeadLengthMultiple = 16;

// CRC-32 trailer: 4 bytes behind TIS, the CRC-32 (ISO-HDLC) of file[0..TIS)
// little-endian.
inline constexpr std::size_t kOtaCrcTrailerSize = 4;
// Padded inverted CRC-32 trailer: 0xFF bytes behind TIS up to a multiple of
// 16, then the complement of the CRC-32 of every byte before it.
inline constexpr std::uint8_t kOtaTrailerPadByte = 0xFF;
inline constexpr std::size_t kOtaTrailerAlignment = 16;

// Signed container with block hashes, all u32 little-endian from the start
// of the container: magic "NGIS", 12, 2010, offset - 12, offset of the OTA
// file (40 + 32 n), its size (its TIS), offset + size, 11, block size 16384,
// n = ceil(size / 16384); at 40 the n SHA-256 hashes of the 16 KiB blocks of
// the OTA file (the last block short); the OTA file; a 512-byte signature that
// cannot be checked without its key; end of file.
inline constexpr std::uint8_t kOtaContainerMagic[4] = {'N', 'G', 'I', 'S'};
inline constexpr std::uint32_t kOtaContainerField1 = 12;
inline constexpr std::uint32_t kOtaContainerField2 = 2010;
inline constexpr std::uint32_t kOtaContainerField7 = 11;
inline constexpr std::uint32_t kOtaContainerBlockSize = 16384;
inline constexpr std::size_t kOtaContainerHashesOffset = 40;
inline constexpr std::size_t kOtaContainerHashSize = 32;
inline constexpr std::size_t kOtaContainerSignatureSize = 512;

// Length-prefixed file: u32 little-endian TIS at 0, the OTA file at 4, then
// 17 bytes no checksum covers.
inline constexpr std::size_t kOtaLengthPrefixSize = 4;
inline constexpr std::size_t kOtaLengthPrefixSuffixSize = 17;

// Headless payload, encrypted image with a timestamped length header: the
// whole of file[56..TIS) with manufacturer code 0x100B; starts 2A 00, then the
// image type big-endian, three bytes, a BCD timestamp YY MM DD hh mm ss at 7,
// a 24-bit big-endian length N (a multiple of 16) at 13; 64 or 128 bytes
// follow the N bytes.
inline constexpr std::uint16_t kOtaTimestampedManufacturer = 0x100B;
inline constexpr std::uint8_t kOtaTimestampedMagic[2] = {0x2A, 0x00};
inline constexpr std::size_t kOtaTimestampedImageTypeOffset = 2;
inline constexpr std::size_t kOtaTimestampedTimeOffset = 7;
inline constexpr std::size_t kOtaTimestampedLengthOffset = 13;
inline constexpr std::size_t kOtaTimestampedHeadSize = 16;
inline constexpr std::uint32_t kOtaTimestampedLengthMultiple = 16;
inline constexpr std::size_t kOtaTimestampedTails[2] = {64, 128};

// Headless payload, segmented application image: the whole of
// file[56..TIS), first byte 0xE9, with its SHA-256 appended (flag byte 23 is
// 1); the payload module checks its segments, XOR checksum and hash.
inline constexpr std::uint8_t kOtaSegmentedMagic = 0xE9;
inline constexpr std::size_t kOtaSegmentedHashFlagOffset = 23;

// Headless payload, raw image with a CRC-16: behind a well-formed upgrade
// image, bytes with no head up to TIS whose last two are the CRC-16
// (polynomial 0x1021, initial 0x1D0F) of the others, big-endian.
inline constexpr std::size_t kOtaRawCrc16Size = 2;

// Integrity code: the three conventions in use, all AES-MMO of the file from
// its start: up to the code's head (the standard one), up to and including
// its head, and up to its head with the short padding form (0x80, zeros to 14
// mod 16, the bit length mod 2^16 big-endian) whatever the length.

// --- Limits of this tool ---
// The largest OTA file read or built: far above any real image (the total
// image size field could say 4 GiB), and it bounds memory to a small
// multiple of it.
inline constexpr std::size_t kOtaFileSizeLimit = std::size_t{64} << 20;

}  // namespace otawrap
