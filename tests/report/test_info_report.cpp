// The report: control characters escaped in text, the listing capped at the
// first sub-elements with the rest counted, the vendor prefix and the states
// of the checks, in text and JSON alike.
#include <gtest/gtest.h>

#include <string>

#include "commands/json_check.h"
#include "ota/ota_file_builder.h"
#include "ota/reader.h"
#include "report/info_report.h"

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

TEST(InfoReport, VendorPrefixAndUnsupportedChecks) {
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
        std::string("  crypto suite 2 signature verification: not supported\n")}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }
  const auto json = test::parseJson(infoFormatJson(info, "v.ota"));
  ASSERT_TRUE(json);
  EXPECT_EQ((*json)["fileSize"].number(), data.size());
  EXPECT_EQ((*json)["prefixLength"].number(), 7u);
  EXPECT_TRUE((*json)["ok"].boolean);
  const auto& checks = (*json)["checks"].items;
  ASSERT_EQ(checks.size(), 10u);
  EXPECT_EQ(checks.back()["name"].ascii(), "crypto suite 2 signature verification");
  EXPECT_EQ(checks.back()["result"].ascii(), "not supported");
}

}  // namespace
}  // namespace otawrap
