// Reads an unsigned OTA file back field by field, independently of src/.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/image_model.h"

namespace otawrap::test {

inline std::uint64_t le(const std::vector<std::uint8_t>& bytes, std::size_t at, int width) {
  std::uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
  return value;
}

struct OtaFileFields {
  std::uint16_t manufacturerCode;
  std::uint16_t imageType;
  std::uint32_t fileVersion;
};

// Checks the fixed header, total size, sub-element and image CRC of an
// unsigned OTA file with an upgrade image for the given platform (0, 1, 2);
// returns its identifiers.
inline OtaFileFields checkUnsignedOtaFile(const std::vector<std::uint8_t>& file, int platform) {
  OtaFileFields fields{};
  EXPECT_GE(file.size(), 62u + 0x98);
  if (file.size() < 62 + 0x98) return fields;
  EXPECT_EQ(le(file, 0, 4), 0x0BEEF11Eu);
  EXPECT_EQ(le(file, 4, 2), 0x0100u);
  EXPECT_EQ(le(file, 6, 2), 56u);
  EXPECT_EQ(le(file, 8, 2), 0u);
  EXPECT_EQ(le(file, 18, 2), 2u);
  for (std::size_t i = 20; i < 52; ++i) EXPECT_EQ(file[i], 0) << i;
  EXPECT_EQ(le(file, 52, 4), file.size());
  EXPECT_EQ(le(file, 56, 2), 0u);
  const std::size_t n = file.size() - 62;
  EXPECT_EQ(le(file, 58, 4), n);
  EXPECT_EQ(n % 4, 2u);
  const std::vector<std::uint8_t> image(file.begin() + 62, file.end());
  EXPECT_EQ(le(image, 0x8C, 4), n);
  fields.manufacturerCode = static_cast<std::uint16_t>(le(image, 0x90, 2));
  fields.imageType = static_cast<std::uint16_t>(le(image, 0x92, 2));
  fields.fileVersion = static_cast<std::uint32_t>(le(image, 0x94, 4));
  EXPECT_EQ(le(file, 10, 2), fields.manufacturerCode);
  EXPECT_EQ(le(file, 12, 2), fields.imageType);
  EXPECT_EQ(le(file, 14, 4), fields.fileVersion);
  const std::size_t crcAt = platform == 0 ? 0x88 : 0;
  std::vector<std::uint8_t> covered;
  for (std::size_t i = 0; i < n; ++i) {
    if (i < crcAt || i >= crcAt + 4) covered.push_back(image[i]);
  }
  EXPECT_EQ(le(image, crcAt, 2), imageCrcByConventionalCrc(covered));
  EXPECT_EQ(le(image, crcAt + 2, 2), 0xFFFFu);
  return fields;
}

}  // namespace otawrap::test
