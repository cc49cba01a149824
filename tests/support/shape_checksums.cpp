#include "support/shape_checksums.h"

#include <cstring>

#include "support/openssl_hash.h"

namespace otawrap::test {

std::uint32_t crc32IsoHdlc(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
  }
  return crc ^ 0xFFFFFFFF;
}

std::uint16_t crc16Msb(const std::uint8_t* data, std::size_t length, std::uint16_t initial) {
  std::uint16_t crc = initial;
  for (std::size_t i = 0; i < length; ++i) {
    crc = static_cast<std::uint16_t>(crc ^ (data[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

std::vector<std::uint8_t> mmoShortPaddingHash(const std::uint8_t* data, std::size_t length) {
  std::vector<std::uint8_t> message(data, data + length);
  const std::uint64_t bits = static_cast<std::uint64_t>(length) * 8;
  message.push_back(0x80);
  while (message.size() % 16 != 14) message.push_back(0);
  message.push_back(static_cast<std::uint8_t>(bits >> 8));
  message.push_back(static_cast<std::uint8_t>(bits));
  OpensslMmo mmo;
  std::vector<std::uint8_t> state(16, 0);
  for (std::size_t offset = 0; offset < message.size(); offset += 16) {
    mmo.step(state.data(), message.data() + offset);
  }
  return state;
}

std::uint8_t segmentedAppChecksum(const std::vector<std::vector<std::uint8_t>>& segments) {
  std::uint8_t checksum = 0xEF;
  for (const auto& segment : segments) {
    for (const std::uint8_t byte : segment) checksum ^= byte;
  }
  return checksum;
}

}  // namespace otawrap::test
