// The image CRC against published check values and a conventional bitwise
// CRC-16 written independently in the test support.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/crc.h"
#include "support/image_model.h"

namespace otawrap {
namespace {

std::uint16_t stepAll(const std::vector<std::uint8_t>& bytes) {
  std::uint16_t crc = 0;
  for (std::uint8_t b : bytes) crc = imageCrcStep(crc, b);
  return crc;
}

TEST(ImageCrc, KnownValues) {
  const std::vector<std::uint8_t> digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  std::vector<std::uint8_t> digitsAugmented = digits;
  digitsAugmented.insert(digitsAugmented.end(), {0, 0});
  struct Case {
    std::vector<std::uint8_t> bytes;
    std::uint16_t crc;
  } cases[] = {
      {{0x12, 0x34}, 0x1234},  // the register only fills during the first two bytes
      {{0x12, 0x34, 0x56}, 0x0625},
      {digits, 0xBEEF},
      {digitsAugmented, 0x31C3},  // check value of CRC-16 with 0x1021, initial 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(stepAll(c.bytes), c.crc);
    EXPECT_EQ(imageCrcUpdate(0, c.bytes.data(), c.bytes.size()), c.crc);
  }
}

TEST(ImageCrc, EveryTableEntryMatchesTheBitwiseStep) {
  // One-byte and four-byte steps reach every entry of every table.
  for (unsigned h = 0; h < 256; ++h) {
    const std::uint16_t crc = static_cast<std::uint16_t>((h << 8) | (h ^ 0xA5));
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(h ^ 0x3C),
                                   0x00, 0xFF};
    ASSERT_EQ(imageCrcUpdate(crc, bytes, 1), imageCrcStep(crc, bytes[0])) << h;
    std::uint16_t expected = crc;
    for (std::uint8_t b : bytes) expected = imageCrcStep(expected, b);
    ASSERT_EQ(imageCrcUpdate(crc, bytes, 4), expected) << h;
    const std::uint16_t swapped = static_cast<std::uint16_t>(((h ^ 0xA5) << 8) | h);
    expected = swapped;
    for (std::uint8_t b : bytes) expected = imageCrcStep(expected, b);
    ASSERT_EQ(imageCrcUpdate(swapped, bytes, 4), expected) << h;
  }
}

TEST(ImageCrc, TableWalkMatchesBitwiseStepAtEveryLengthAndStart) {
  std::mt19937 random(3);  // fixed seed
  std::vector<std::uint8_t> bytes(64);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  for (std::uint16_t start : {0x0000, 0xFFFF, 0x8001, 0x1234}) {
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
      std::uint16_t expected = start;
      for (std::size_t i = 0; i < length; ++i) expected = imageCrcStep(expected, bytes[i]);
      ASSERT_EQ(imageCrcUpdate(start, bytes.data(), length), expected) << length;
    }
  }
}

TEST(ImageCrc, AgreesWithTheConventionalCrc) {
  std::mt19937 random(7);  // fixed seed
  for (int round = 0; round < 50; ++round) {
    std::vector<std::uint8_t> bytes(2 + random() % 300);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    EXPECT_EQ(imageCrcUpdate(0, bytes.data(), bytes.size()), test::imageCrcByConventionalCrc(bytes));
    // Two more zero bytes give the conventional CRC of the message itself.
    std::vector<std::uint8_t> augmented = bytes;
    augmented.insert(augmented.end(), {0, 0});
    EXPECT_EQ(imageCrcUpdate(0, augmented.data(), augmented.size()), test::conventionalCrc16(bytes));
  }
}

TEST(ImageCrc, StoreSkipsItsOwnFourBytes) {
  for (std::size_t offset : {std::size_t{0}, std::size_t{0x88}}) {
    std::vector<std::uint8_t> image(0x9A);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> covered;
    for (std::size_t i = 0; i < image.size(); ++i) {
      if (i < offset || i >= offset + 4) covered.push_back(image[i]);
    }
    const std::uint16_t expected = test::imageCrcByConventionalCrc(covered);
    EXPECT_EQ(imageCrcStore(image.data(), image.size(), offset), expected);
    EXPECT_EQ(image[offset], expected & 0xFF);
    EXPECT_EQ(image[offset + 1], expected >> 8);
    EXPECT_EQ(image[offset + 2], 0xFF);
    EXPECT_EQ(image[offset + 3], 0xFF);
    // Storing again gives the same value: the stored bytes are not covered.
    EXPECT_EQ(imageCrcStore(image.data(), image.size(), offset), expected);
  }
}

}  // namespace
}  // namespace otawrap
