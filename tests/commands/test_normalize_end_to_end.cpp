// `normalize` of the built binary on every row of the shape table: each good
// row gives exactly the plain OTA file the generator put inside it, and says
// what it removed; each damaged row is refused with nothing written.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "support/ota_shape_generator.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::ShapeSample;
using test::ShapeVerdict;
using test::TempDirectory;
using test::runOtawrap;

// The name `-o DIR` gives: the identifiers of the OTA file's header.
std::string headerFileName(const Bytes& inner) {
  char name[40];
  (void)std::snprintf(name, sizeof name, "%04X-%04X-%08X.zigbee", inner[10] | (inner[11] << 8),
                inner[12] | (inner[13] << 8),
                static_cast<unsigned>(inner[14] | (inner[15] << 8) | (inner[16] << 16)) |
                    (static_cast<unsigned>(inner[17]) << 24));
  return name;
}

TEST(NormalizeEndToEnd, EveryShapeGivesItsPlainOtaFile) {
  for (const ShapeSample& row : test::generateShapeSamples()) {
    if (row.verdict != ShapeVerdict::good) continue;
    SCOPED_TRACE(row.name);
    TempDirectory dir;
    ASSERT_TRUE(test::writeFileBytes(dir.file("in.ota"), row.bytes));
    const Bytes inner = row.inner();
    const std::size_t behind = row.bytes.size() - row.innerOffset - row.innerSize;

    const ProcessResult one = runOtawrap(dir, {"normalize", "in.ota", "--output", "plain.zigbee"});
    ASSERT_EQ(one.exitCode, 0) << one.output << one.errors;
    EXPECT_EQ(test::readFileBytes(dir.file("plain.zigbee")), inner);
    EXPECT_NE(one.output.find("plain.zigbee"), std::string::npos) << one.output;
    if (row.innerOffset > 0) {
      EXPECT_NE(one.output.find(std::to_string(row.innerOffset) + " bytes"), std::string::npos) << one.output;
    }
    if (behind > 0) {
      EXPECT_NE(one.output.find(std::to_string(behind) + " bytes"), std::string::npos) << one.output;
    }

    const ProcessResult json = runOtawrap(dir, {"normalize", "in.ota", "-o", "out", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.errors;
    const auto report = test::JsonParser(json.output).parseDocument();
    ASSERT_TRUE(report.has_value()) << json.output;
    EXPECT_EQ((*report)["removedBefore"].number(), row.innerOffset);
    EXPECT_EQ((*report)["removedAfter"].number(), behind);
    EXPECT_EQ(test::readFileBytes(dir.file("out/" + headerFileName(inner))), inner);

    // A plain OTA file is its own normal form.
    const ProcessResult again = runOtawrap(dir, {"normalize", "plain.zigbee", "--output", "again.zigbee", "-q"});
    EXPECT_EQ(again.exitCode, 0) << again.errors;
    EXPECT_EQ(again.output, "");
    EXPECT_EQ(test::readFileBytes(dir.file("again.zigbee")), inner);
  }
}

TEST(NormalizeEndToEnd, DamagedFilesAreRefusedAndNothingIsWritten) {
  TempDirectory dir;
  const Bytes existing = {'k', 'e', 'e', 'p'};
  ASSERT_TRUE(test::writeFileBytes(dir.file("existing.zigbee"), existing));
  for (const ShapeSample& row : test::generateShapeSamples()) {
    if (row.verdict != ShapeVerdict::damaged) continue;
    SCOPED_TRACE(row.name + " (" + row.change + ")");
    ASSERT_TRUE(test::writeFileBytes(dir.file("bad.ota"), row.bytes));
    const ProcessResult into = runOtawrap(dir, {"normalize", "bad.ota", "--output", "existing.zigbee"});
    EXPECT_EQ(into.exitCode, 2);
    EXPECT_EQ(into.output, "");
    EXPECT_EQ(into.errors.rfind("otawrap: ", 0), 0u) << into.errors;
    EXPECT_NE(into.errors.find("'bad.ota'"), std::string::npos) << into.errors;
    EXPECT_EQ(test::readFileBytes(dir.file("existing.zigbee")), existing);
    EXPECT_EQ(runOtawrap(dir, {"normalize", "bad.ota", "--output-dir=out"}).exitCode, 2);
  }
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"bad.ota", "existing.zigbee"}));
}

TEST(NormalizeEndToEnd, UnreadableInputAndUsage) {
  TempDirectory dir;
  const ProcessResult missing = runOtawrap(dir, {"normalize", "none.ota", "--output", "x.zigbee"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.errors.find("'none.ota'"), std::string::npos) << missing.errors;
  EXPECT_EQ(runOtawrap(dir, {"normalize", "none.ota"}).exitCode, 2);  // no output named
  EXPECT_EQ(runOtawrap(dir, {"normalize", "none.ota", "--output", "x", "-o", "d"}).exitCode, 2);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace otawrap
