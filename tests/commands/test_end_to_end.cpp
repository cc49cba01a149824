// The built otawrap binary, run in temporary directories: exact output bytes,
// usage text, every error exit, and files left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/expected_usage.h"
#include "commands/ota_file_check.h"
#include "support/image_model.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::RawFileLayout;
using test::TempDirectory;
using test::examplesDir;
using test::runOtawrap;

// A small file whose image crosses every platform's range edges and ends in a
// run of 0xFF before the 100 cut bytes.
RawFileLayout craftedLayout() {
  RawFileLayout layout;
  Bytes first(0xA0);
  for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<std::uint8_t>(0x10 + i % 0xE0);
  const Bytes ids = {0x0B, 0x10, 0x0A, 0x10, 0x01, 0x00, 0x00, 0x00};
  std::copy(ids.begin(), ids.end(), first.begin() + 0x90);
  layout.records.push_back({0, first});
  layout.records.push_back({0x30FE, {0xA1, 0xA2, 0xA3, 0xA4}});
  layout.records.push_back({0x31FE, {0xB1, 0xB2, 0xB3, 0xB4}});
  layout.records.push_back({0xC9FE, {0xC1, 0xC2, 0xC3, 0xC4}});
  layout.records.push_back({0xE1FE, {0xD1, 0xD2, 0xD3, 0xD4}});
  layout.records.push_back({0x0FFFE, {0xE1, 0xE2, 0xE3, 0xE4, 0xFF, 0xFF, 0xFF}});
  layout.records.push_back({0x20000, Bytes(100, 0x5A)});
  layout.trailer = {3, 0, 0, 0, 0};
  return layout;
}

TEST(EndToEnd, UsageText) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"-n"}, {"-m100B", "in.raw"}, {"in.raw", "-q"}, {"in.raw", "-n", "-"}};
  for (const auto& arguments : cases) {
    TempDirectory dir;
    const ProcessResult result = runOtawrap(dir, arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, test::kExpectedUsage);
    EXPECT_TRUE(dir.entries().empty());
  }
}

TEST(EndToEnd, HeaderOnlyFiles) {
  struct Case {
    std::vector<std::string> arguments;
    const char* name;
    std::string hex;
  } cases[] = {
      {{"never-opened.raw", "-n", "-m100B", "-t100A", "-v00000001"}, "100B-100A-00000001.zigbee",
       "1EF1EE0B" "0001" "3800" "0000" "0B10" "0A10" "01000000" "0200" + std::string(64, '0') +
           "38000000"},
      {{"x", "-N"}, "0000-0000-00000000.zigbee",
       "1EF1EE0B" "0001" "3800" "0000" "0000" "0000" "00000000" "0200" + std::string(64, '0') +
           "38000000"},
      {{"x", "-n", "-mFFFF", "-tffff", "-vFFFFFFFF"}, "*-*-*.zigbee",
       "1EF1EE0B" "0001" "3800" "0000" "FFFF" "FFFF" "FFFFFFFF" "0200" + std::string(64, '0') +
           "38000000"},
  };
  for (const Case& c : cases) {
    TempDirectory dir;
    const ProcessResult result = runOtawrap(dir, c.arguments);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "");
    ASSERT_EQ(dir.entries(), std::vector<std::string>{c.name});
    const Bytes file = test::readFileBytes(dir.file(c.name));
    EXPECT_EQ(test::bytesToHex(file.data(), file.size()), c.hex);
  }
}

TEST(EndToEnd, CraftedFileExactBytesPerPlatform) {
  const RawFileLayout layout = craftedLayout();
  struct Case {
    const char* option;
    int platform;
    std::size_t imageLength;  // 0xA0 preamble record plus the kept edge bytes, padded
  } cases[] = {
      {"-pQUILLDEV", 0, 0xA0 + 20 + 2},
      {"-pFENBOARD", 1, 0xA0 + 12 + 2},
      {"-pMARSHDEV", 2, 0xA0 + 12 + 2},
  };
  for (const Case& c : cases) {
    TempDirectory dir;
    ASSERT_TRUE(test::writeFileBytes(dir.file("app.raw"), test::rawFileBytes(layout)));
    std::filesystem::create_directories(dir.file("out/nested"));
    const ProcessResult result = runOtawrap(dir, {"app.raw", "-oout", c.option, "-onested"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output, "");
    const auto model = test::modelUpgradeImage(layout, c.platform, {});
    ASSERT_TRUE(model.has_value());
    EXPECT_EQ(model->image.size(), c.imageLength);
    const Bytes file = test::readFileBytes(dir.file("out/nested/100B-100A-00000001.zigbee"));
    EXPECT_EQ(file, test::modelOtaFile(*model)) << c.option;
    test::checkUnsignedOtaFile(file, c.platform);
  }
}

TEST(EndToEnd, GivenIdentifiersOverrideTheImage) {
  const RawFileLayout layout = craftedLayout();
  TempDirectory dir;
  ASSERT_TRUE(test::writeFileBytes(dir.file("app.raw"), test::rawFileBytes(layout)));
  const ProcessResult result = runOtawrap(dir, {"app.raw", "-m0x1234", "-V2", "-pFENBOARD"});
  EXPECT_EQ(result.exitCode, 0);
  const auto model = test::modelUpgradeImage(layout, 1, {0x1234, std::nullopt, 0x20000000});
  ASSERT_TRUE(model.has_value());
  EXPECT_EQ(test::readFileBytes(dir.file("1234-100A-20000000.zigbee")), test::modelOtaFile(*model));
}

TEST(EndToEnd, ErrorExits) {
  const Bytes crafted = test::rawFileBytes(craftedLayout());
  Bytes truncated = crafted;
  truncated.resize(truncated.size() - 6);  // ends inside the last data record
  test::RawGeneratorOptions large;
  large.seed = 5;
  large.dataBytes = 700 * 1024;
  const Bytes tooLarge = test::rawFileBytes(test::generateRawFile(large));
  const Bytes tooSmall = test::rawFileBytes({{{0, Bytes(0x98 + 99, 0x01)}}, {}});

  struct Case {
    const char* name;
    Bytes input;  // written to in.raw unless empty
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {"missing input", {}, {"in.raw"}, "Unable to open input file"},
      {"input is a directory", {}, {"."}, "Unable to open input file"},
      {"missing output directory", crafted, {"in.raw", "-onowhere"}, "Unable to open output file"},
      {"bad platform", crafted, {"in.raw", "-pfenboard"},
       "Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD"},
      {"missing credentials", crafted, {"in.raw", "-scredentials.txt"}, "Cannot open certificate"},
      {"long input name", {}, {std::string(1024, 'a')}, "Input file name too long"},
      {"long -o", crafted, {"in.raw", "-o" + std::string(1023, 'd')}, "Output path too long"},
      {"long -o plus name", crafted, {"in.raw", "-o" + std::string(998, 'd')}, "Output path too long"},
      {"truncated", truncated, {"in.raw"}, "Input file is truncated"},
      {"empty input", {}, {"in.raw"}, "Input file is truncated"},
      {"too small", tooSmall, {"in.raw"}, "Input image too small"},
      {"too large", tooLarge, {"in.raw"}, "Input image too large"},
  };
  for (const Case& c : cases) {
    TempDirectory dir;
    std::vector<std::string> before;
    if (!c.input.empty() || std::string(c.name) == "empty input") {
      ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"), c.input));
      before.push_back("in.raw");
    }
    const ProcessResult result = runOtawrap(dir, c.arguments);
    EXPECT_EQ(result.exitCode, 2) << c.name;
    EXPECT_EQ(result.output, std::string("Error: ") + c.message) << c.name;
    EXPECT_EQ(dir.entries(), before) << c.name;
  }
}

TEST(EndToEnd, WriteFailureLeavesNoFileAndKeepsTheOldOne) {
  test::RawGeneratorOptions options;
  options.seed = 3;
  options.dataBytes = 16 * 1024;
  TempDirectory dir;
  ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"), test::rawFileBytes(test::generateRawFile(options))));
  const std::string name = "100B-0042-00010203.zigbee";
  ASSERT_TRUE(test::writeFileBytes(dir.file(name), {'o', 'l', 'd'}));

  // The process may not grow a file beyond 4 KiB, so writing the output fails.
  const ProcessResult failed = runOtawrap(dir, {"in.raw"}, {4096});
  EXPECT_EQ(failed.exitCode, 2);
  EXPECT_EQ(failed.output, "Error: Unable to write output file");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{name, "in.raw"}));
  EXPECT_EQ(test::readFileBytes(dir.file(name)), Bytes({'o', 'l', 'd'}));

  const ProcessResult replaced = runOtawrap(dir, {"in.raw"});
  EXPECT_EQ(replaced.exitCode, 0);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{name, "in.raw"}));
  test::checkUnsignedOtaFile(test::readFileBytes(dir.file(name)), 0);
}

// Property: generated files of every platform convert into well-formed files
// named after the generator's identifiers.
TEST(EndToEnd, GeneratedFilesParseBack) {
  const char* platforms[] = {"-pQUILLDEV", "-pFENBOARD", "-pMARSHDEV"};
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    test::RawGeneratorOptions options;
    options.seed = seed;
    options.dataBytes = 1024 * seed;
    options.manufacturerCode = static_cast<std::uint16_t>(0x1000 + seed);
    const RawFileLayout layout = test::generateRawFile(options);
    const int platform = static_cast<int>(seed % 3);
    TempDirectory dir;
    ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"), test::rawFileBytes(layout)));
    const ProcessResult result = runOtawrap(dir, {"in.raw", platforms[platform]});
    ASSERT_EQ(result.exitCode, 0) << "seed " << seed << ": " << result.output;
    char name[40];
    ASSERT_GT(std::snprintf(name, sizeof name, "%04X-0042-00010203.zigbee",
                            options.manufacturerCode), 0);
    const Bytes file = test::readFileBytes(dir.file(name));
    const test::OtaFileFields fields = test::checkUnsignedOtaFile(file, platform);
    EXPECT_EQ(fields.manufacturerCode, options.manufacturerCode);
    EXPECT_EQ(fields.imageType, options.imageType);
    EXPECT_EQ(fields.fileVersion, options.fileVersion);
    EXPECT_EQ(file, test::modelOtaFile(*test::modelUpgradeImage(layout, platform, {}))) << seed;
  }
}

TEST(EndToEnd, BundledSampleIsTheGeneratorsOutputAndConverts) {
  const std::string sample = examplesDir() + "sample.raw";
  const RawFileLayout layout = test::generateRawFile(test::sampleRawFileOptions());
  ASSERT_EQ(test::readFileBytes(sample), test::rawFileBytes(layout)) << "regenerate examples/sample.raw";
  TempDirectory dir;
  std::filesystem::create_directory(dir.file("out"));
  const ProcessResult result = runOtawrap(dir, {sample, "-oout", "-pQUILLDEV"});
  EXPECT_EQ(result.exitCode, 0) << result.output;
  EXPECT_EQ(test::readFileBytes(dir.file("out/100B-0042-00010203.zigbee")),
            test::modelOtaFile(*test::modelUpgradeImage(layout, 0, {})));
}

}  // namespace
}  // namespace otawrap
