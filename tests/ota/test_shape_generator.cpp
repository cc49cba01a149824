// The synthetic shape generator the reader's tests rely on: its checksums
// against their published check values and the project's AES-MMO, and the
// table's own promises (unique names, the OTA file where a good row says it
// is, the same bytes for the same seed).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "sign/mmo.h"
#include "support/ota_shape_generator.h"
#include "support/shape_checksums.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

TEST(ShapeChecksums, PublishedCheckValues) {
  const std::string check = "123456789";
  const auto* data = reinterpret_cast<const std::uint8_t*>(check.data());
  EXPECT_EQ(test::crc32IsoHdlc(data, check.size()), 0xCBF43926u);
  EXPECT_EQ(test::crc16Msb(data, check.size(), 0x1D0F), 0xE5CC);
  EXPECT_EQ(test::crc16Msb(data, check.size(), 0x0000), 0x31C3);  // CRC-16/XMODEM

  // A message followed by its CRC-32 (little-endian) leaves the residue.
  Bytes message(data, data + check.size());
  const std::uint32_t crc = test::crc32IsoHdlc(message.data(), message.size());
  for (int i = 0; i < 4; ++i) message.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
  EXPECT_EQ(test::crc32IsoHdlc(message.data(), message.size()), 0x2144DF1Cu);
}

TEST(ShapeChecksums, ShortPaddingEqualsTheStandardHashOnlyBelow8192Bytes) {
  for (const std::size_t length : {0u, 13u, 14u, 16u, 8191u, 8192u, 9000u}) {
    Bytes message(length);
    for (std::size_t i = 0; i < length; ++i) message[i] = static_cast<std::uint8_t>(i * 7 + 3);
    std::uint8_t standard[16];
    mmoHash(message.data(), static_cast<std::uint32_t>(length), standard);
    const Bytes shortForm = test::mmoShortPaddingHash(message.data(), length);
    EXPECT_EQ(Bytes(standard, standard + 16) == shortForm, length < 8192) << length;
  }
}

TEST(ShapeGenerator, RowsKeepTheirPromises) {
  const auto rows = test::generateShapeSamples();
  std::set<std::string> names;
  std::set<std::string> shapes;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(names.insert(row.name).second) << "duplicate name";
    EXPECT_EQ(row.name.find_first_of("/\\ "), std::string::npos);
    if (row.variant.empty()) {
      shapes.insert(row.shape);
    } else {
      EXPECT_EQ(shapes.count(row.shape), 1u) << "variant before its shape";
    }
    if (row.verdict == test::ShapeVerdict::good) {
      const Bytes inner = row.inner();
      ASSERT_GE(inner.size(), 56u);
      EXPECT_EQ(le32(inner, 0), 0x0BEEF11Eu);
      EXPECT_EQ(le32(inner, 52), inner.size()) << "the inner file's total image size";
    }
  }
  // One well-formed file per shape the reader must recognise.
  for (const char* shape :
       {"crc32-trailer", "inverted-crc32-trailer", "long-head-element", "manufacturer-element",
        "length-stamped-payload", "segmented-app-payload", "crc16-payload", "signed-container",
        "length-prefix", "integrity-code", "integrity-code-with-head",
        "integrity-code-short-padding", "truncated"}) {
    EXPECT_EQ(shapes.count(shape), 1u) << shape;
  }
}

TEST(ShapeGenerator, TheSeedDecidesTheBytesNotTheSizes) {
  const auto first = test::generateShapeSamples(test::kShapeSeed);
  const auto again = test::generateShapeSamples(test::kShapeSeed);
  const auto other = test::generateShapeSamples(test::kShapeSeed + 1);
  ASSERT_EQ(first.size(), other.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].bytes, again[i].bytes) << first[i].name;
    EXPECT_EQ(first[i].bytes.size(), other[i].bytes.size()) << first[i].name;
    EXPECT_NE(first[i].bytes, other[i].bytes) << first[i].name;
  }
}

}  // namespace
}  // namespace otawrap
