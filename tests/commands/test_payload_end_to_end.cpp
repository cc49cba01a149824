// Payload checks end to end: every generated payload case wrapped as the
// upgrade image of an OTA file and read by `info` (text and JSON), with and
// without --no-payload-check; the verdict policy's reproducers (a trailer, a
// vendor layout, the work budget, an image past the listing, a coded stream
// over a plausible shape); `index` refusing a failing payload; `build
// --tag 0=FILE` and `convert --tag 0=FILE` refusing one unless --force;
// convert naming what an input it cannot read looks like.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "ota/ota_file_builder.h"
#include "ota/reader.h"
#include "payload/payload.h"
#include "support/openssl_hash.h"
#include "support/otawrap_run.h"
#include "support/payload_generator.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::TempDirectory;
using test::runOtawrap;

std::string grouped(std::size_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

std::vector<test::PayloadCase> allCases() {
  std::vector<test::PayloadCase> cases = test::payloadCases(31);
  for (const PayloadFormat format :
       {PayloadFormat::magic12345678, PayloadFormat::lvrmMark, PayloadFormat::frs0Mark,
        PayloadFormat::dec0deMark, PayloadFormat::cborMultiImage, PayloadFormat::tlvWrapper,
        PayloadFormat::headedVectorTable}) {
    cases.push_back({payloadFormatKey(format), format, test::PayloadDamage::none,
                     test::makePayload(format, 31), PayloadVerdict::notCheckable});
  }
  cases.push_back({"unknown", PayloadFormat::unknown, test::PayloadDamage::none, Bytes(700, 0x00),
                   PayloadVerdict::notCheckable});
  return cases;
}

TEST(PayloadEndToEnd, InfoReportsEveryCase) {
  TempDirectory dir;
  for (const test::PayloadCase& c : allCases()) {
    // The generated preamble's identifiers are not the header's: the
    // reader's own preamble checks judge those (test_info_end_to_end).
    if (c.format == PayloadFormat::imagePreamble) continue;
    // The module's tables judge the policy; here info shows its judgement.
    PayloadBudget budget = payloadBudgetFor(c.bytes.size());
    const PayloadJudgement judged = payloadJudge(c.bytes.data(), c.bytes.size(), {}, budget);
    if (judged.format != c.format) {
      EXPECT_NE(payloadIdentification(c.format), PayloadIdentification::magic) << c.name;
      continue;
    }
    EXPECT_EQ(judged.check.verdict, c.verdict) << c.name;
    SCOPED_TRACE(c.name);
    const Bytes file = test::builtOtaFile({{0x0000, c.bytes}});
    ASSERT_TRUE(test::writeFileBytes(dir.file("case.ota"), file));
    const ProcessResult text = runOtawrap(dir, {"info", "case.ota"});
    const bool failed = c.verdict == PayloadVerdict::failed;
    EXPECT_EQ(text.exitCode, failed ? 1 : 0) << text.output;
    const std::string line = "    payload: ";
    const std::size_t at = text.output.find(line);
    ASSERT_NE(at, std::string::npos) << text.output;
    const std::string summary = text.output.substr(at + line.size(),
                                                   text.output.find('\n', at) - at - line.size());
    EXPECT_NE(summary.find(", " + grouped(c.bytes.size()) + " bytes, "), std::string::npos) << summary;
    EXPECT_EQ(summary.find("FAILED: ") != std::string::npos, failed) << summary;
    EXPECT_EQ(summary.find(" ok") != std::string::npos, c.verdict == PayloadVerdict::ok) << summary;

    const ProcessResult json = runOtawrap(dir, {"info", "case.ota", "--json"});
    EXPECT_EQ(json.exitCode, text.exitCode);
    const auto parsed = test::parseJson(json.output);
    ASSERT_TRUE(parsed.has_value()) << json.output;
    const test::JsonValue& payload = (*parsed)["subElements"].items.at(0)["payload"];
    EXPECT_EQ(payload["format"].ascii(), payloadFormatKey(c.format));
    EXPECT_EQ(payload["length"].number(), c.bytes.size());
    const char* check = c.verdict == PayloadVerdict::ok ? "ok" : failed ? "failed" : "not checkable";
    EXPECT_EQ(payload["check"].ascii(), check);
    EXPECT_EQ((*parsed)["ok"].boolean, !failed);

    const ProcessResult skipped = runOtawrap(dir, {"info", "case.ota", "--no-payload-check"});
    EXPECT_EQ(skipped.exitCode, 0);
    EXPECT_NE(skipped.output.find(" bytes, check skipped\n"), std::string::npos) << skipped.output;
  }
}

// The reproducers of the verdict policy and the work budget, as info reads them.
TEST(PayloadEndToEnd, PolicyReproducers) {
  const Bytes xz = test::makePayload(PayloadFormat::xzStream, 36);
  Bytes xzDigest = xz;
  const Bytes digest = test::opensslSha256(xz.data(), xz.size());
  xzDigest.insert(xzDigest.end(), digest.begin(), digest.end());
  Bytes xzDamaged = xzDigest;
  xzDamaged[40] ^= 1;
  // A vendor layout: flags, L = total + 64, a header counting an opaque body, the block, one byte.
  Bytes vendor = {0x00, 0x10, 0x00, 0x00};
  Bytes header = test::builtOtaFile({});
  test::putLe(header, 52, header.size() + 600, 4);
  test::appendLe(vendor, header.size() + 600 + 64, 4);
  vendor.insert(vendor.end(), header.begin(), header.end());
  for (int i = 0; i < 665; ++i) vendor.push_back(static_cast<std::uint8_t>(i * 29 + 1));
  Bytes zv = test::makeZlibOverHeadedVectorTable();
  zv[40] ^= 1;
  Bytes gbl = test::makePayload(PayloadFormat::gbl, 36);
  gbl[gbl.size() / 2] ^= 1;
  std::vector<test::BuiltSubElement> past(kOtaListedSubElementLimit, {0xF001, Bytes{}});
  past.push_back({0x0000, gbl});
  const Bytes run = test::makeZlibRun(100000);
  const struct {
    const char* name;
    Bytes file;
    int exitCode;
    const char* shown;  // in the last payload line
  } cases[] = {
      {"xz and its SHA-256", test::builtOtaFile({{0x0000, xzDigest}}), 0,
       "framing and CRCs ok (data not decompressed), SHA-256 trailer ok"},
      {"xz damaged under its SHA-256", test::builtOtaFile({{0x0000, xzDamaged}}), 1,
       "FAILED: SHA-256 trailer mismatch"},
      {"GBL followed by 68 bytes",
       test::builtOtaFile({{0x0000, [] {
                             Bytes b = test::makePayload(PayloadFormat::gbl, 37);
                             b.insert(b.end(), 68, 0x42);
                             return b;
                           }()}}),
       0, "CRC ok, followed by 68 bytes"},
      {"vendor layout", test::builtOtaFile({{0x0000, vendor}}), 0,
       "(manufacturer 0x100B, image type 0x0042, file version 0x00010203, total image size 656), "
       "729 bytes, not checkable (vendor layout, its lengths agree)"},
      {"zlib over a vector table, flipped", test::builtOtaFile({{0x0000, zv}}), 1,
       "zlib stream, 128 bytes, FAILED: checksum mismatch"},
      {"damaged image past the listing", test::builtOtaFile(past), 1, "FAILED: checksum mismatch"},
      {"three streams, one budget", test::builtOtaFile({{0x0000, run}, {0x0000, run}, {0x0000, run}}),
       0, "not checkable (work budget)"},
  };
  TempDirectory dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(test::writeFileBytes(dir.file("case.ota"), c.file));
    const ProcessResult r = runOtawrap(dir, {"info", "case.ota"});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    const std::size_t line = r.output.rfind("    payload: ");
    ASSERT_NE(line, std::string::npos) << r.output;
    EXPECT_NE(r.output.find(c.shown, line), std::string::npos) << r.output.substr(line);
  }
  // The JSON names the trailer and the vendor header.
  ASSERT_TRUE(test::writeFileBytes(dir.file("xz.ota"), test::builtOtaFile({{0x0000, xzDigest}})));
  ASSERT_TRUE(test::writeFileBytes(dir.file("vendor.ota"), test::builtOtaFile({{0x0000, vendor}})));
  const auto xzJson = test::parseJson(runOtawrap(dir, {"info", "xz.ota", "--json"}).output);
  ASSERT_TRUE(xzJson.has_value());
  const test::JsonValue& trailer = (*xzJson)["subElements"].items.at(0)["payload"]["trailer"];
  EXPECT_EQ(trailer["kind"].ascii(), "sha256");
  EXPECT_EQ(trailer["offset"].number(), xz.size());
  EXPECT_EQ(trailer["check"].ascii(), "ok");
  const auto vendorJson = test::parseJson(runOtawrap(dir, {"info", "vendor.ota", "--json"}).output);
  ASSERT_TRUE(vendorJson.has_value());
  const test::JsonValue& nested = (*vendorJson)["subElements"].items.at(0)["payload"]["nested"];
  EXPECT_EQ(nested["layout"].ascii(), "vendor");
  EXPECT_EQ(nested["totalImageSize"].number(), 656u);
  EXPECT_TRUE(nested["lengthsAgree"].boolean);
  // build refuses the flipped stream without --force (a coded stream is tried first).
  ASSERT_TRUE(test::writeFileBytes(dir.file("zv.bin"), zv));
  EXPECT_EQ(runOtawrap(dir, {"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=zv.bin",
                          "--output", "zv.ota"}).exitCode,
            2);
}

TEST(PayloadEndToEnd, IndexRefusesAFailingPayload) {
  TempDirectory dir;
  Bytes gbl = test::makePayload(PayloadFormat::gbl, 32);
  ASSERT_TRUE(test::writeFileBytes(dir.file("good.ota"), test::builtOtaFile({{0x0000, gbl}})));
  gbl[gbl.size() / 2] ^= 4;
  ASSERT_TRUE(test::writeFileBytes(dir.file("bad.ota"), test::builtOtaFile({{0x0000, gbl}})));
  const ProcessResult good = runOtawrap(dir, {"index", "good.ota"});
  EXPECT_EQ(good.exitCode, 0) << good.errors;
  const ProcessResult bad = runOtawrap(dir, {"index", "bad.ota"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.errors.find("GBL"), std::string::npos) << bad.errors;
  EXPECT_NE(bad.errors.find("checksum mismatch"), std::string::npos) << bad.errors;
}

TEST(PayloadEndToEnd, BuildRefusesAFailingPayloadUnlessForced) {
  TempDirectory dir;
  Bytes knlt = test::makePayload(PayloadFormat::knltImage, 33);
  ASSERT_TRUE(test::writeFileBytes(dir.file("good.bin"), knlt));
  knlt.resize(knlt.size() - 1);
  ASSERT_TRUE(test::writeFileBytes(dir.file("cut.bin"), knlt));
  // A cut segmented image is recognised by plausibility only: not refused.
  Bytes esp = test::makePayload(PayloadFormat::segmentedApp, 33);
  esp.resize(esp.size() - 1);
  ASSERT_TRUE(test::writeFileBytes(dir.file("esp.bin"), esp));
  const std::vector<std::string> common = {"build", "-m", "1037", "-t", "0101", "-v", "105"};
  std::vector<std::string> good = common;
  good.insert(good.end(), {"--tag", "0=good.bin", "--output", "good.ota"});
  EXPECT_EQ(runOtawrap(dir, good).exitCode, 0);
  std::vector<std::string> cut = common;
  cut.insert(cut.end(), {"--tag", "0=cut.bin", "--output", "cut.ota"});
  const ProcessResult refused = runOtawrap(dir, cut);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.errors.find("KNLT image"), std::string::npos) << refused.errors;
  EXPECT_NE(refused.errors.find("truncated"), std::string::npos) << refused.errors;
  EXPECT_FALSE(std::filesystem::exists(dir.file("cut.ota")));
  cut.push_back("--force");
  EXPECT_EQ(runOtawrap(dir, cut).exitCode, 0);
  std::vector<std::string> plausible = common;
  plausible.insert(plausible.end(), {"--tag", "0=esp.bin", "--output", "esp.ota"});
  EXPECT_EQ(runOtawrap(dir, plausible).exitCode, 0);
  // A tag other than 0 is not an upgrade image: not checked.
  std::vector<std::string> other = common;
  other.insert(other.end(), {"--tag", "0=good.bin", "--tag", "F000=cut.bin", "--output", "o.ota"});
  EXPECT_EQ(runOtawrap(dir, other).exitCode, 0);
}

TEST(PayloadEndToEnd, ConvertRefusesAFailingTagZeroPayloadUnlessForced) {
  TempDirectory dir;
  ASSERT_TRUE(test::writeFileBytes(dir.file("app.raw"),
                                   test::rawFileBytes(test::generateRawFile(test::sampleRawFileOptions()))));
  Bytes gbl = test::makePayload(PayloadFormat::gbl, 34);
  gbl.resize(gbl.size() - 8);
  ASSERT_TRUE(test::writeFileBytes(dir.file("cut.gbl"), gbl));
  std::vector<std::string> run = {"convert", "app.raw", "--tag", "0=cut.gbl", "--output", "o.ota"};
  const ProcessResult refused = runOtawrap(dir, run);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.errors.rfind("otawrap: payload file 'cut.gbl' fails its own check as GBL: ", 0), 0u)
      << refused.errors;
  EXPECT_FALSE(std::filesystem::exists(dir.file("o.ota")));
  run.push_back("--force");
  const ProcessResult forced = runOtawrap(dir, run);
  EXPECT_EQ(forced.exitCode, 0) << forced.errors;
  EXPECT_TRUE(std::filesystem::exists(dir.file("o.ota")));
}

TEST(PayloadEndToEnd, ConvertNamesWhatAnUnreadableInputLooksLike) {
  const std::string hint =
      "; to wrap a file as it is: otawrap build -m HEX -t HEX -v HEX --tag 0=FILE\n";
  const auto text = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
  const struct {
    const char* name;
    Bytes bytes;
    std::string why;  // "" when the plain failure stays
  } cases[] = {
      {"a.gz", text(std::string("\x1F\x8B\x08\x00", 4) + std::string(60, 'x')), "it looks like a gzip file"},
      {"a.zip", text("PK\x03\x04" + std::string(40, '\x01')), "it looks like a ZIP archive"},
      {"notes.txt", text(std::string(3000, 'a') + "\n"), "it looks like a text file"},
      {"app.gbl", test::makePayload(PayloadFormat::gbl, 35), "it looks like a firmware payload (GBL)"},
      {"app.xz", test::makePayload(PayloadFormat::xzStream, 35),
       "it looks like an xz file"},
      {"tiny.bin", Bytes(3, 0x80), ""},
  };
  TempDirectory dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(test::writeFileBytes(dir.file(c.name), c.bytes));
    const ProcessResult r = runOtawrap(dir, {"convert", c.name, "-m", "1", "-t", "2", "-v", "3",
                                          "--output", "o.ota"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.ota")));
    if (c.why.empty()) {
      EXPECT_EQ(r.errors.find("build"), std::string::npos) << r.errors;
      continue;
    }
    EXPECT_EQ(r.errors, "otawrap: input file '" + std::string(c.name) +
                            "' is not raw firmware or Intel HEX (" + c.why + ")" + hint);
  }
}

}  // namespace
}  // namespace otawrap
