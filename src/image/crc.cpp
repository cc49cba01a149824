#include "image/crc.h"

#include <array>

namespace otawrap {

namespace {

constexpr std::uint16_t kCrcPolynomial = 0x1021;

// kCrcTable[h] = (h(x) * x^16) mod (x^16 + x^12 + x^5 + 1): what the register's
// high byte h contributes once eight more message bits have been shifted in.
constexpr std::array<std::uint16_t, 256> makeCrcTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned h = 0; h < 256; ++h) {
    unsigned value = h << 8;
    for (int bit = 0; bit < 8; ++bit) {
      value = (value & 0x8000) ? ((value << 1) ^ kCrcPolynomial) : (value << 1);
    }
    table[h] = static_cast<std::uint16_t>(value);
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = makeCrcTable();

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
  unsigned value = crc;
  for (std::size_t i = 0; i < length; ++i) {
    value = ((value << 8) & 0xFFFF) ^ data[i] ^ kCrcTable[value >> 8];
  }
  return static_cast<std::uint16_t>(value);
}

std::uint16_t imageCrcStore(std::uint8_t* image, std::size_t length, std::size_t crcOffset) {
  std::uint16_t crc = imageCrcUpdate(0, image, crcOffset);
  crc = imageCrcUpdate(crc, image + crcOffset + 4, length - crcOffset - 4);
  image[crcOffset] = static_cast<std::uint8_t>(crc);
  image[crcOffset + 1] = static_cast<std::uint8_t>(crc >> 8);
  image[crcOffset + 2] = 0xFF;
  image[crcOffset + 3] = 0xFF;
  return crc;
}

}  // namespace otawrap
