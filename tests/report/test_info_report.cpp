// The report: control characters escaped in text, the listing capped at the
// first sub-elements with the rest counted, the vendor prefix and the states
// of the checks, in text and JSON alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "codec/escape.h"
#include "commands/json_check.h"
#include "ota/ota_file_builder.h"
#include "ota/reader.h"
#include "report/info_report.h"
#include "support/ota_shape_generator.h"

namespace otawrap {
namespace {

TEST(InfoReport, ControlCharactersAreEscaped) {
  const struct {
    std::string text;
    std::string escaped;
  } cases[] = {
      {"plain name.zigbee", "plain name.zigbee"},
      {"x (1 bytes)\nSignature: ok\n", "x (1 bytes)\\nSignature: ok\\n"},
      {"a\rb\tc", "a\\rb\\tc"},
      {std::string("\x1B[31mred", 8), "\\x1B[31mred"},
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"\x7F\x1F", "\\x7F\\x1F"},
      {"caf\xC3\xA9 \\ \"", "caf\xC3\xA9 \\ \""},  // bytes above 0x7F and quotes stay
  };
  for (const auto& c : cases) {
    EXPECT_EQ(escapeControlCharacters(c.text), c.escaped);
  }
  const OtaFileInfo info = otaFileRead(nullptr, 0);
  EXPECT_EQ(infoFormatText(info, "f\n").rfind("File: f\\n (0 bytes)\n", 0), 0u);
}

TEST(InfoReport, ListingIsCappedAndTheRestCounted) {
  for (const std::size_t count : {kOtaListedSubElementLimit, kOtaListedSubElementLimit + 7}) {
    SCOPED_TRACE(count);
    const test::Bytes file =
        test::builtOtaFile(std::vector<test::BuiltSubElement>(count, {0x1234, {}}));
    const OtaFileInfo info = otaFileRead(file.data(), file.size());
    EXPECT_EQ(info.subElementCount, count);
    EXPECT_EQ(info.subElements.size(), kOtaListedSubElementLimit);
    const std::string text = infoFormatText(info, "f");
    const std::string more = "  ... and 7 more sub-elements\n";
    EXPECT_EQ(text.find(more) != std::string::npos, count > kOtaListedSubElementLimit);
    auto json = test::parseJson(infoFormatJson(info, "f"));
    ASSERT_TRUE(json);
    EXPECT_EQ((*json)["subElements"].items.size(), kOtaListedSubElementLimit);
    EXPECT_EQ((*json)["subElementsOmitted"].number(), count - kOtaListedSubElementLimit);
  }
}

TEST(InfoReport, VendorPrefixAndSuite2Note) {
  test::Bytes data(7, 0x00);
  const test::Bytes ota = test::builtOtaFile(
      {{0x0000, test::Bytes(0x100, 0x11)}, {0x0006, test::Bytes(74)}, {0x0005, test::Bytes(80)}});
  data.insert(data.end(), ota.begin(), ota.end());
  const OtaFileInfo info = otaFileLocateAndRead(data.data(), data.size(), {});
  const std::string text = infoFormatText(info, "v.ota");
  for (const std::string& line :
       {"File: v.ota (" + std::to_string(data.size()) + " bytes)\n",
        std::string("Vendor prefix: 7 bytes before the OTA file identifier; offsets count from "
                    "the identifier\n"),
        std::string("  tag 0x0005 ECDSA signature (crypto suite 2), offset 398, length 80\n"),
        std::string("  crypto suite 2 signature layout: ok (its r and s lie outside [1, n-1] for "
                    "sect283k1 in either byte order: not a sect283k1 signature)\n")}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  const auto json = test::parseJson(infoFormatJson(info, "v.ota"));
  ASSERT_TRUE(json);
  EXPECT_EQ((*json)["fileSize"].number(), data.size());
  EXPECT_EQ((*json)["prefixLength"].number(), 7u);
  EXPECT_TRUE((*json)["ok"].boolean);
  const auto& checks = (*json)["checks"].items;
  ASSERT_EQ(checks.size(), 9u);
  EXPECT_EQ(checks.back()["name"].ascii(), "crypto suite 2 signature layout");
  EXPECT_EQ(checks.back()["result"].ascii(), "ok");
}

// What each shape of the test kit shows in text and JSON.
TEST(InfoReport, EveryShapeSaysWhatWasFound) {
  const struct {
    const char* shape;
    std::vector<std::string> lines;
    const char* member;  // the JSON member that is not null, or ""
    const char* kind;
  } cases[] = {
      {"signed-container",
       {"Container: signed container with block hashes; the OTA file is bytes 104..",
        "2 block hashes checked, the 512-byte signature behind it not checked\n",
        "  container: ok\n"},
       "container", "signed container with block hashes"},
      {"length-prefix",
       {"Container: 4-byte length prefix and 17-byte suffix; the OTA file is bytes 4..",
        "the 17-byte suffix not checked\n"},
       "container", "4-byte length prefix and 17-byte suffix"},
      {"crc32-trailer",
       {"Trailer: CRC-32, 4 bytes after the total image size\n", "  trailer: CRC-32 ok\n"},
       "trailer", "CRC-32"},
      {"inverted-crc32-trailer",
       {"  trailer: 0xFF padding and inverted CRC-32 ok\n",
        "  crypto suite 2 signature layout: ok (a signature of 80 bytes last, no certificate"},
       "trailer", "0xFF padding and inverted CRC-32"},
      {"long-head-element",
       {", encrypted element (8-byte head, info bytes 01 05)\n"}, "", ""},
      {"length-stamped-payload",
       {"  headless payload, 2112 bytes, encrypted image with a timestamped length header, "
        "offset 56\n"},
       "headlessPayload", "encrypted image with a timestamped length header"},
      {"crc16-payload", {"raw image with a CRC-16, CRC-16 ok"}, "headlessPayload",
       "raw image with a CRC-16, CRC-16 ok"},
      {"integrity-code-short-padding",
       {"  integrity code: ok (AES-MMO of the bytes before its head, short padding form)\n"}, "",
       ""},
  };
  const std::vector<test::ShapeSample> shapes = test::generateShapes();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shape);
    const auto sample = std::find_if(shapes.begin(), shapes.end(),
                                     [&](const test::ShapeSample& s) { return s.shape == c.shape; });
    ASSERT_NE(sample, shapes.end());
    const OtaFileInfo info =
        otaFileLocateAndRead(sample->bytes.data(), sample->bytes.size(), OtaReadOptions{});
    const std::string text = infoFormatText(info, "s.ota");
    for (const std::string& line : c.lines) {
      EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
    const auto json = test::parseJson(infoFormatJson(info, "s.ota"));
    ASSERT_TRUE(json);
    EXPECT_TRUE((*json)["ok"].boolean);
    EXPECT_EQ((*json)["fileSize"].number(), sample->bytes.size());
    for (const char* member : {"container", "trailer", "headlessPayload"}) {
      const bool present = std::string(member) == c.member;
      EXPECT_EQ((*json)[member].kind != test::JsonValue::Kind::null, present) << member;
      if (present) {
        EXPECT_EQ((*json)[member]["kind"].ascii(), c.kind);
      }
    }
  }
}

// An unrecognised byte after the total image size fails and is counted.
TEST(InfoReport, BytesAfterTheTotalImageSizeAreCounted) {
  const test::Bytes plain = test::builtOtaFile({{0x0000, test::Bytes(0x100, 0x11)}});
  for (const std::size_t extra : {1, 3}) {
    test::Bytes file = plain;
    file.insert(file.end(), extra, 0x00);
    const OtaFileInfo info = otaFileLocateAndRead(file.data(), file.size(), {});
    EXPECT_FALSE(otaFileChecksPass(info));
    const std::string line = "  total image size: FAILED: " + std::to_string(extra) +
                             (extra == 1 ? " byte" : " bytes") +
                             " after the total image size (expected " +
                             std::to_string(plain.size()) + ", found " +
                             std::to_string(file.size()) + ")\n";
    const std::string text = infoFormatText(info, "x.ota");
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
}

// A signature info did not verify is said so, and never excuses the code.
TEST(InfoReport, UnverifiedSignatureIsSaidSo) {
  const test::Bytes file = test::builtOtaFile(
      {{0x0000, test::Bytes(0x100, 0x11)}, test::builtCertificate(), test::builtSignature()});
  const std::string text = infoFormatText(otaFileRead(file.data(), file.size()), "s.ota");
  EXPECT_NE(text.find("  signature layout: ok, signature not verified (use verify)\n"),
            std::string::npos)
      << text;
}

}  // namespace
}  // namespace otawrap
