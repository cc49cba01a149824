#include "payload/checksums.h"

#include <array>

namespace otawrap {

namespace {

constexpr std::uint32_t kCrc32Polynomial = 0xEDB88320;  // x^32 + x^26 + ... + 1, reflected
constexpr std::uint32_t kAdlerModulus = 65521;          // largest prime below 2^16
// Bytes Adler-32 may add before its sums must be reduced to stay in 32 bits
// (RFC 1950's NMAX for a 32-bit s2).
constexpr std::size_t kAdlerRun = 5552;

constexpr std::array<std::uint32_t, 256> makeCrc32Table() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t value = n;
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 1) ? (value >> 1) ^ kCrc32Polynomial : value >> 1;
    }
    table[n] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrc32Table = makeCrc32Table();

}  // namespace

std::uint32_t crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t length) {
  std::uint32_t value = ~crc;
  for (std::size_t i = 0; i < length; ++i) {
    value = kCrc32Table[(value ^ data[i]) & 0xFF] ^ (value >> 8);
  }
  return ~value;
}

std::uint32_t crc32Bitwise(const std::uint8_t* data, std::size_t length) {
  std::uint32_t value = 0xFFFFFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    value ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 1) ? (value >> 1) ^ kCrc32Polynomial : value >> 1;
    }
  }
  return ~value;
}

std::uint32_t adler32Update(std::uint32_t adler, const std::uint8_t* data, std::size_t length) {
  std::uint32_t s1 = adler & 0xFFFF;
  std::uint32_t s2 = adler >> 16;
  std::size_t sinceReduction = 0;
  for (std::size_t i = 0; i < length; ++i) {
    s1 += data[i];
    s2 += s1;
    if (++sinceReduction == kAdlerRun) {
      s1 %= kAdlerModulus;
      s2 %= kAdlerModulus;
      sinceReduction = 0;
    }
  }
  s1 %= kAdlerModulus;
  s2 %= kAdlerModulus;
  return (s2 << 16) | s1;
}

}  // namespace otawrap
