#include "image/crc.h"

#include <array>

#include "codec/bytes.h"

namespace otawrap {

namespace {

constexpr std::uint16_t kCrcPolynomial = 0x1021;

// kCrcTables[k][h] = (h(x) * x^(16 + 8k)) mod (x^16 + x^12 + x^5 + 1): the
// remainder of a byte h that stands 16 + 8k bits above the end of the message.
// Table 0 steps one byte; tables 0..3 together step four.
constexpr std::array<std::array<std::uint16_t, 256>, 4> makeCrcTables() {
  std::array<std::array<std::uint16_t, 256>, 4> tables{};
  for (unsigned h = 0; h < 256; ++h) {
    unsigned value = h << 8;
    for (int k = 0; k < 4; ++k) {
      for (int bit = 0; bit < 8; ++bit) {
        value = (value & 0x8000) ? ((value << 1) ^ kCrcPolynomial) : (value << 1);
        value &= 0xFFFF;
      }
      tables[k][h] = static_cast<std::uint16_t>(value);
    }
  }
  return tables;
}

constexpr std::array<std::array<std::uint16_t, 256>, 4> kCrcTables = makeCrcTables();

}  // namespace

std::uint16_t imageCrcStep(std::uint16_t crc, std::uint8_t byte) {
  unsigned value = crc;
  for (int bit = 7; bit >= 0; --bit) {
    const unsigned top = value & 0x8000;
    value = ((value << 1) | ((byte >> bit) & 1U)) & 0xFFFF;
    if (top) {
      value ^= kCrcPolynomial;
    }
  }
  return static_cast<std::uint16_t>(value);
}

std::uint16_t imageCrcUpdate(std::uint16_t crc, const std::uint8_t* data, std::size_t length) {
  // The register R followed by the bytes b0 b1 b2 b3 is the polynomial
  // R * x^32 + b0 * x^24 + b1 * x^16 + b2 * x^8 + b3; the terms of degree 16 and
  // up are reduced through the tables.
  const auto& t = kCrcTables;
  unsigned value = crc;
  std::size_t i = 0;
  for (; i + 4 <= length; i += 4) {
    value = t[3][value >> 8] ^ t[2][value & 0xFF] ^ t[1][data[i]] ^ t[0][data[i + 1]] ^
            (unsigned{data[i + 2]} << 8) ^ data[i + 3];
  }
  for (; i < length; ++i) {
    value = ((value << 8) & 0xFFFF) ^ data[i] ^ t[0][value >> 8];
  }
  return static_cast<std::uint16_t>(value);
}

std::uint16_t imageCrcCompute(const std::uint8_t* image, std::size_t length, std::size_t crcOffset) {
  const std::uint16_t crc = imageCrcUpdate(0, image, crcOffset);
  return imageCrcUpdate(crc, image + crcOffset + 4, length - crcOffset - 4);
}

std::uint16_t imageCrcStore(std::uint8_t* image, std::size_t length, std::size_t crcOffset) {
  const std::uint16_t crc = imageCrcCompute(image, length, crcOffset);
  storeLittle16(crc, image + crcOffset);
  image[crcOffset + 2] = 0xFF;
  image[crcOffset + 3] = 0xFF;
  return crc;
}

}  // namespace otawrap
