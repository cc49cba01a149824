// Slow, obvious checksums the OTA shape generator stamps into its files,
// written bit by bit from their published parameters so that they stay
// independent of the reader's own: CRC-32/ISO-HDLC (zlib's crc32), the
// CRC-16 with polynomial 0x1021 and a chosen initial value, the AES-MMO hash
// with the short-form padding some writers use on long messages, and the
// segmented application image checksum. The AES-MMO and SHA-256 underneath come
// from OpenSSL (support/openssl_hash.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace otawrap::test {

// CRC-32/ISO-HDLC: reflected polynomial 0xEDB88320, initial value and final
// XOR 0xFFFFFFFF. Check value of "123456789": 0xCBF43926; the CRC of any
// message followed by its own CRC (little-endian) is 0x2144DF1C.
std::uint32_t crc32IsoHdlc(const std::uint8_t* data, std::size_t length);

// CRC-16 with polynomial 0x1021, most significant bit first, no reflection,
// no final XOR, starting from `initial`. With initial 0x1D0F the check value
// of "123456789" is 0xE5CC.
std::uint16_t crc16Msb(const std::uint8_t* data, std::size_t length, std::uint16_t initial);

// AES-MMO of data[0..length) padded with the short form whatever the length:
// 0x80, zeros to 14 mod 16 octets, then the bit length modulo 2^16 as a
// big-endian 16-bit value. Equals the ZigBee hash for messages under 8,192
// bytes only.
std::vector<std::uint8_t> mmoShortPaddingHash(const std::uint8_t* data, std::size_t length);

// Segmented application image checksum: 0xEF XOR every byte of every segment's
// data (segment heads excluded).
std::uint8_t segmentedAppChecksum(const std::vector<std::vector<std::uint8_t>>& segments);

}  // namespace otawrap::test
