// The payload verdicts of a read OTA file: every upgrade image identified and
// checked, a nested OTA file read one level deep, this tool's image preamble
// told by either stamped part.
#include <gtest/gtest.h>

#include <algorithm>

#include "ota/ota_file_builder.h"
#include "ota/payload_verdicts.h"
#include "ota/reader.h"
#include "support/payload_generator.h"

namespace otawrap {
namespace {

using test::Bytes;
using test::builtImage;
using test::builtOtaFile;

// Eight bytes of a vendor's head, then the OTA file.
Bytes nested(const Bytes& inner) {
  Bytes payload(8 + inner.size());
  for (std::size_t i = 0; i < 8; ++i) payload[i] = static_cast<std::uint8_t>(i + 1);
  std::copy(inner.begin(), inner.end(), payload.begin() + 8);
  return payload;
}

TEST(OtaPayloadVerdicts, EachUpgradeImageInFileOrder) {
  Bytes damagedGbl = test::makePayload(PayloadFormat::gbl, 3);
  damagedGbl[100] ^= 1;
  const Bytes innerFile = builtOtaFile({{0x0000, test::makePayload(PayloadFormat::ebl, 4)}});
  Bytes brokenInner = innerFile;
  brokenInner[52] ^= 1;  // total image size
  const struct {
    const char* name;
    Bytes payload;
    PayloadFormat format;
    PayloadVerdict verdict;
    PayloadReason reason;
  } cases[] = {
      {"gbl", test::makePayload(PayloadFormat::gbl, 3), PayloadFormat::gbl, PayloadVerdict::ok,
       PayloadReason::none},
      {"damaged gbl", damagedGbl, PayloadFormat::gbl, PayloadVerdict::failed,
       PayloadReason::checksumMismatch},
      {"nested file", nested(innerFile), PayloadFormat::nestedOta, PayloadVerdict::ok,
       PayloadReason::none},
      {"nested file, bad size", nested(brokenInner), PayloadFormat::nestedOta,
       PayloadVerdict::failed, PayloadReason::nestedFileFailed},
      {"our image", builtImage(0x200, 0x88), PayloadFormat::imagePreamble, PayloadVerdict::ok,
       PayloadReason::none},
      // The identifiers alone make it ours; the length stamp then fails it.
      {"our image, length damaged", builtImage(0x200, 0x88, [](Bytes& b) { b[0x8C] ^= 1; }),
       PayloadFormat::imagePreamble, PayloadVerdict::failed, PayloadReason::lengthMismatch},
      {"plain binary", Bytes(300, 0x00), PayloadFormat::unknown, PayloadVerdict::notCheckable,
       PayloadReason::unknownFormat},
  };
  std::vector<test::BuiltSubElement> elements;
  for (const auto& c : cases) {
    elements.push_back({0x0000, c.payload});
    elements.push_back({0xF000, Bytes(5, 0xAB)});
  }
  const Bytes file = builtOtaFile(elements);
  const OtaFileInfo info = otaFileRead(file.data(), file.size());
  const std::vector<OtaPayloadVerdict> verdicts = otaPayloadVerdicts(file.data(), info);
  ASSERT_EQ(verdicts.size(), std::size(cases));
  for (std::size_t i = 0; i < verdicts.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(verdicts[i].offset, info.subElements[2 * i].offset);
    EXPECT_EQ(verdicts[i].length, cases[i].payload.size());
    EXPECT_EQ(verdicts[i].format, cases[i].format);
    EXPECT_EQ(verdicts[i].check.verdict, cases[i].verdict);
    EXPECT_EQ(verdicts[i].check.reason, cases[i].reason);
  }
  EXPECT_FALSE(otaPayloadsPass(verdicts));
  EXPECT_TRUE(otaPayloadsPass({verdicts[0], verdicts[2], verdicts[6]}));
}

TEST(OtaPayloadVerdicts, NestedFileIsReadOneLevelOnly) {
  // The nested file's own payload is damaged: not looked into.
  Bytes badGbl = test::makePayload(PayloadFormat::gbl, 5);
  badGbl[60] ^= 1;
  const Bytes inner = builtOtaFile({{0x0000, badGbl}});
  const Bytes payload = nested(inner);
  const OtaPayloadVerdict verdict =
      otaPayloadVerdict(payload.data(), static_cast<std::uint32_t>(payload.size()), OtaHeader{});
  EXPECT_EQ(verdict.format, PayloadFormat::nestedOta);
  EXPECT_EQ(verdict.check.verdict, PayloadVerdict::ok);
  // A nested file cut short fails.
  const Bytes cut(payload.begin(), payload.end() - 1);
  EXPECT_EQ(otaPayloadVerdict(cut.data(), static_cast<std::uint32_t>(cut.size()), OtaHeader{})
                .check.verdict,
            PayloadVerdict::failed);
}

}  // namespace
}  // namespace otawrap
