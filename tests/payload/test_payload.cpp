// The payload module on the test kit's generated payloads: the checksums
// against published values and their slow twins, every format's valid and
// damaged variants through identify and check, every cut of a valid payload.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "payload/checksums.h"
#include "payload/payload.h"
#include "support/payload_generator.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

TEST(PayloadChecksums, PublishedValues) {
  const Bytes digits = text("123456789");
  EXPECT_EQ(crc32Update(0, digits.data(), digits.size()), 0xCBF43926u);  // the CRC-32 check value
  const Bytes word = text("Wikipedia");
  EXPECT_EQ(adler32Update(1, word.data(), word.size()), 0x11E60398u);
  EXPECT_EQ(adler32Update(1, nullptr, 0), 1u);
}

TEST(PayloadChecksums, FastMatchesSlowChainedAndResidue) {
  std::mt19937 random(7);
  for (std::size_t length : {0u, 1u, 3u, 64u, 5551u, 5552u, 5553u, 20000u}) {
    Bytes data(length);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    const std::uint32_t crc = crc32Update(0, data.data(), data.size());
    EXPECT_EQ(crc, crc32Bitwise(data.data(), data.size()));
    EXPECT_EQ(crc, test::kitCrc32(data.data(), data.size()));
    const std::size_t half = length / 3;
    EXPECT_EQ(crc32Update(crc32Update(0, data.data(), half), data.data() + half, length - half), crc);
    std::uint32_t a = 1, b = 0;  // Adler-32 by its definition, one modulo per byte
    for (const auto byte : data) {
      a = (a + byte) % 65521;
      b = (b + a) % 65521;
    }
    EXPECT_EQ(adler32Update(1, data.data(), data.size()), (b << 16) | a);
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    EXPECT_EQ(crc32Update(0, data.data(), data.size()), kCrc32Residue);
  }
}

TEST(PayloadCheck, EveryGeneratedCase) {
  for (const std::uint32_t seed : {1u, 2u, 3u}) {
    for (const test::PayloadCase& c : test::payloadCases(seed)) {
      SCOPED_TRACE(c.name + " seed " + std::to_string(seed));
      if (c.damage == test::PayloadDamage::none) {
        EXPECT_EQ(payloadIdentify(c.bytes.data(), c.bytes.size(), {}), c.format);
      }
      const PayloadCheck check = payloadCheck(c.format, c.bytes.data(), c.bytes.size());
      EXPECT_EQ(check.verdict, c.verdict);
      EXPECT_EQ(check.reason == PayloadReason::none, c.verdict == PayloadVerdict::ok);
    }
  }
}

TEST(PayloadCheck, DamageGivesTheNamedReason) {
  const struct {
    const char* name;
    PayloadReason reason;
  } expected[] = {
      {"gbl/cut", PayloadReason::truncated},
      {"gbl/flipped", PayloadReason::checksumMismatch},
      {"gbl/extended", PayloadReason::trailingBytes},
      {"ebl/padding", PayloadReason::trailingBytes},
      {"segmented-app/flipped", PayloadReason::checksumMismatch},
      {"segmented-app/entry-flipped", PayloadReason::digestMismatch},
      {"segmented-app/checksum-padding", PayloadReason::badPadding},
      {"knlt/cut", PayloadReason::truncated},
      {"oad/flipped", PayloadReason::checksumMismatch},
      {"vector-table/flipped", PayloadReason::checksumMismatch},
      {"xz/block-header-flipped", PayloadReason::checksumMismatch},
      {"xz/padding", PayloadReason::trailingBytes},
      {"zlib/length-field", PayloadReason::streamCorrupt},
      {"zlib/adler-flipped", PayloadReason::checksumMismatch},
      {"zlib/cut", PayloadReason::truncated},
  };
  const std::vector<test::PayloadCase> cases = test::payloadCases(4);
  for (const auto& e : expected) {
    bool found = false;
    for (const test::PayloadCase& c : cases) {
      if (c.name != e.name) continue;
      found = true;
      EXPECT_EQ(payloadCheck(c.format, c.bytes.data(), c.bytes.size()).reason, e.reason) << e.name;
    }
    EXPECT_TRUE(found) << e.name;
  }
}

TEST(PayloadCheck, NoCutOfAValidPayloadPasses) {
  const PayloadFormat ended[] = {PayloadFormat::gbl,       PayloadFormat::ebl,
                                 PayloadFormat::segmentedApp, PayloadFormat::knltImage,
                                 PayloadFormat::oadImage,  PayloadFormat::xzStream,
                                 PayloadFormat::zlibStream, PayloadFormat::imagePreamble};
  for (const PayloadFormat format : ended) {
    const Bytes valid = test::makePayload(format, 11);
    for (std::size_t size = 0; size < valid.size(); ++size) {
      const Bytes cut(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size));
      ASSERT_EQ(payloadCheck(format, cut.data(), cut.size()).verdict, PayloadVerdict::failed)
          << payloadFormatKey(format) << " cut to " << size;
    }
  }
}

TEST(PayloadIdentify, MagicOnlyFormatsAndUnknown) {
  const PayloadFormat magicOnly[] = {PayloadFormat::magic12345678, PayloadFormat::lvrmMark,
                                     PayloadFormat::frs0Mark,      PayloadFormat::dec0deMark,
                                     PayloadFormat::headedVectorTable, PayloadFormat::tlvWrapper,
                                     PayloadFormat::cborMultiImage};
  for (const PayloadFormat format : magicOnly) {
    const Bytes bytes = test::makePayload(format, 5);
    EXPECT_EQ(payloadIdentify(bytes.data(), bytes.size(), {}), format) << payloadFormatKey(format);
    const PayloadCheck check = payloadCheck(format, bytes.data(), bytes.size());
    EXPECT_EQ(check.verdict, PayloadVerdict::notCheckable);
    EXPECT_EQ(check.reason, PayloadReason::noCheckKnown);
    EXPECT_EQ(payloadCheckKind(format), PayloadCheckKind::none);
  }
  const Bytes nested = test::makePayload(PayloadFormat::nestedOta, 5);
  EXPECT_EQ(payloadIdentify(nested.data(), nested.size(), {}), PayloadFormat::nestedOta);
  EXPECT_EQ(payloadCheck(PayloadFormat::nestedOta, nested.data(), nested.size()).reason,
            PayloadReason::readAsOtaFile);
  const Bytes plain(300, 0x00);
  EXPECT_EQ(payloadIdentify(plain.data(), plain.size(), {}), PayloadFormat::unknown);
  EXPECT_EQ(payloadIdentify(nullptr, 0, {}), PayloadFormat::unknown);
  EXPECT_EQ(payloadCheck(PayloadFormat::unknown, nullptr, 0).reason, PayloadReason::unknownFormat);
}

TEST(PayloadIdentify, PreambleByLengthOrByTheHeadersIdentifiers) {
  Bytes image = test::makePayload(PayloadFormat::imagePreamble, 8);
  image[0x8C] ^= 1;  // length no longer stamped
  image[0] = 0x00;
  EXPECT_NE(payloadIdentify(image.data(), image.size(), {}), PayloadFormat::imagePreamble);
  PayloadContext context;
  context.headerKnown = true;
  context.manufacturerCode = static_cast<std::uint16_t>(image[0x90] | (image[0x91] << 8));
  context.imageType = static_cast<std::uint16_t>(image[0x92] | (image[0x93] << 8));
  context.fileVersion = static_cast<std::uint32_t>(image[0x94] | (image[0x95] << 8) |
                                                   (image[0x96] << 16) | (image[0x97] << 24));
  EXPECT_EQ(payloadIdentify(image.data(), image.size(), context), PayloadFormat::imagePreamble);
  EXPECT_EQ(payloadCheck(PayloadFormat::imagePreamble, image.data(), image.size()).reason,
            PayloadReason::lengthMismatch);
}

TEST(PayloadFormatKey, KeysAreDistinct) {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < kPayloadFormatCount; ++i) {
    keys.push_back(payloadFormatKey(static_cast<PayloadFormat>(i)));
  }
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  EXPECT_STREQ(payloadFormatKey(PayloadFormat::gbl), "gbl");
  EXPECT_STREQ(payloadFormatKey(PayloadFormat::segmentedApp), "segmented-app");
}

}  // namespace
}  // namespace otawrap
