// The payload verdicts of a read OTA file: every upgrade image identified and
// checked, past the listed sub-elements too, from one work budget; a nested
// OTA file read one level deep when it is a plain OTA file and reported as a
// vendor layout otherwise; this tool's image preamble told by either stamped
// part.
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
  Bytes badImage = builtImage(0x200, 0x88);
  badImage[300] ^= 1;
  const Bytes brokenInner = builtOtaFile({{0x0000, badImage}});
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
      {"nested file, image CRC damaged", nested(brokenInner), PayloadFormat::nestedOta,
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

// The flags word, the length L, an OTA-style header whose total image size
// counts an opaque body, an optional 64-byte block, then `extra` bytes.
Bytes vendorLayout(std::uint32_t declaredDelta, bool block, std::size_t extra) {
  Bytes header = builtOtaFile({});
  const std::size_t body = 700;
  const std::uint32_t total = static_cast<std::uint32_t>(header.size() + body);
  test::putLe(header, 52, total, 4);
  Bytes payload = {0x00, 0x10, 0x00, 0x00};
  test::appendLe(payload, total + (block ? 64 : 0) + declaredDelta, 4);
  payload.insert(payload.end(), header.begin(), header.end());
  for (std::size_t i = 0; i < body + (block ? 64 : 0) + extra; ++i) {
    payload.push_back(static_cast<std::uint8_t>(i * 131 + 17));
  }
  return payload;
}

Bytes withCrc32(Bytes b) {
  const std::uint32_t crc = test::kitCrc32(b.data(), b.size());
  test::appendLe(b, crc, 4);
  return b;
}

TEST(OtaPayloadVerdicts, NestedFileIsPlainOrAVendorLayout) {
  Bytes badImage = builtImage(0x200, 0x88);
  badImage[300] ^= 1;
  const Bytes plain = nested(builtOtaFile({{0x0000, test::makePayload(PayloadFormat::gbl, 6)}}));
  Bytes followed = plain;
  followed.insert(followed.end(), 68, 0x5A);
  const struct {
    const char* name;
    Bytes payload;
    PayloadVerdict verdict;
    PayloadReason reason;
    bool header;      // a whole nested header was read
    bool plainFile;
    bool lengthsAgree;
  } cases[] = {
      {"plain", plain, PayloadVerdict::ok, PayloadReason::none, true, true, false},
      {"plain, its own check fails", nested(builtOtaFile({{0x0000, badImage}})),
       PayloadVerdict::failed, PayloadReason::nestedFileFailed, true, true, false},
      {"plain, cut short", Bytes(plain.begin(), plain.end() - 1), PayloadVerdict::failed,
       PayloadReason::nestedFileFailed, true, true, false},
      {"plain, followed by 68 bytes", followed, PayloadVerdict::ok, PayloadReason::none, true, true,
       false},
      {"vendor, block and one byte", vendorLayout(0, true, 1), PayloadVerdict::notCheckable,
       PayloadReason::vendorLayout, true, false, true},
      {"vendor, no block, one byte", vendorLayout(0, false, 1), PayloadVerdict::notCheckable,
       PayloadReason::vendorLayout, true, false, true},
      {"vendor, no byte after", vendorLayout(0, true, 0), PayloadVerdict::notCheckable,
       PayloadReason::vendorLayout, true, false, true},
      {"vendor, lengths unrelated", vendorLayout(9, true, 1), PayloadVerdict::notCheckable,
       PayloadReason::vendorLayout, true, false, false},
      {"vendor, CRC-32 last", withCrc32(vendorLayout(0, true, 1)), PayloadVerdict::ok,
       PayloadReason::none, true, false, false},
      {"header cut short", nested(Bytes(plain.begin() + 8, plain.begin() + 48)),
       PayloadVerdict::notCheckable, PayloadReason::vendorLayout, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const OtaPayloadVerdict verdict = otaPayloadVerdict(
        c.payload.data(), static_cast<std::uint32_t>(c.payload.size()), OtaHeader{});
    EXPECT_EQ(verdict.format, PayloadFormat::nestedOta);
    EXPECT_EQ(verdict.check.verdict, c.verdict);
    EXPECT_EQ(verdict.check.reason, c.reason);
    ASSERT_EQ(verdict.nested.has_value(), c.header);
    if (!c.header) continue;
    EXPECT_EQ(verdict.nested->plainFile, c.plainFile);
    EXPECT_EQ(verdict.nested->lengthsAgree, c.lengthsAgree);
    EXPECT_EQ(verdict.nested->manufacturerCode, test::kBuiltManufacturer);
  }
  EXPECT_EQ(otaPayloadVerdict(followed.data(), static_cast<std::uint32_t>(followed.size()),
                              OtaHeader{}).check.followedBy, 68u);
  // The trailer vouches for the bytes; the vendor layout itself stays unread.
  const Bytes vendorCrc = withCrc32(vendorLayout(0, true, 1));
  EXPECT_EQ(otaPayloadVerdict(vendorCrc.data(), static_cast<std::uint32_t>(vendorCrc.size()),
                              OtaHeader{}).check.formatVerdict, PayloadVerdict::notCheckable);
}

TEST(OtaPayloadVerdicts, EveryImageBeyondTheListingFromOneBudget) {
  // 1,000 sub-elements in front: the listing ends before the damaged image.
  Bytes damaged = test::makePayload(PayloadFormat::gbl, 7);
  damaged[damaged.size() / 2] ^= 1;
  std::vector<test::BuiltSubElement> elements(kOtaListedSubElementLimit, {0xF001, Bytes{}});
  elements.push_back({0x0000, damaged});
  Bytes file = builtOtaFile(elements);
  OtaFileInfo info = otaFileRead(file.data(), file.size());
  std::vector<OtaPayloadVerdict> verdicts = otaPayloadVerdicts(file.data(), info);
  ASSERT_EQ(verdicts.size(), 1u);
  EXPECT_EQ(verdicts[0].check.reason, PayloadReason::checksumMismatch);
  EXPECT_FALSE(otaPayloadsPass(verdicts));
  // Three streams that inflate to 26 MB each: the file's floor pays for one.
  const Bytes run = test::makeZlibRun(100000);
  file = builtOtaFile({{0x0000, run}, {0x0000, run}, {0x0000, run}});
  info = otaFileRead(file.data(), file.size());
  verdicts = otaPayloadVerdicts(file.data(), info);
  ASSERT_EQ(verdicts.size(), 3u);
  EXPECT_EQ(verdicts[0].check.verdict, PayloadVerdict::ok);
  EXPECT_EQ(verdicts[1].check.reason, PayloadReason::workBudget);
  EXPECT_EQ(verdicts[2].check.reason, PayloadReason::workBudget);
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
}

}  // namespace
}  // namespace otawrap
