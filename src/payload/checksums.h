// The checksums payload formats carry. Each reads data[0..length) only
// (data is not read when length is 0) and cannot fail.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// CRC-32 as in ISO 3309 / ITU-T V.42 and zlib (RFC 1952): reflected
// polynomial 0xEDB88320, register preset to all ones, result inverted.
// Chains: crc32Update(crc32Update(0, a), b) is the CRC-32 of a then b.
std::uint32_t crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t length);

// The same, one bit at a time: the slow reference for crc32Update.
std::uint32_t crc32Bitwise(const std::uint8_t* data, std::size_t length);

// What the CRC-32 of any message followed by its own CRC-32 (little-endian)
// always comes to.
inline constexpr std::uint32_t kCrc32Residue = 0x2144DF1C;

// Adler-32 (RFC 1950, section 8.2): s1 from 1, s2 from 0, both modulo 65521;
// chains like crc32Update, starting from 1.
std::uint32_t adler32Update(std::uint32_t adler, const std::uint8_t* data, std::size_t length);

}  // namespace otawrap
