// `info` and `info --json` of the built binary on every row of the shape
// table (support/ota_shape_generator.h): each shape found in the field reads
// with exit 0 and says what it found; each damaged variant fails with exit 1.
#include <gtest/gtest.h>

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

using test::ProcessResult;
using test::ShapeSample;
using test::ShapeVerdict;
using test::TempDirectory;
using test::runOtawrap;

std::string describe(const ShapeSample& row) {
  return row.name + (row.change.empty() ? "" : " (" + row.change + ")");
}

TEST(ShapesEndToEnd, InfoJudgesEveryShapeAndVariant) {
  TempDirectory dir;
  for (const ShapeSample& row : test::generateShapeSamples()) {
    SCOPED_TRACE(describe(row));
    const std::string name = row.name + ".ota";
    ASSERT_TRUE(test::writeFileBytes(dir.file(name), row.bytes));
    const int expected = row.verdict == ShapeVerdict::good ? 0 : 1;

    const ProcessResult text = runOtawrap(dir, {"info", name});
    EXPECT_EQ(text.exitCode, expected) << text.output << text.errors;
    for (const std::string& phrase : row.reported) {
      EXPECT_NE(text.output.find(phrase), std::string::npos) << "no '" << phrase << "' in\n" << text.output;
    }

    const ProcessResult json = runOtawrap(dir, {"info", name, "--json"});
    EXPECT_EQ(json.exitCode, expected) << json.errors;
    const auto report = test::JsonParser(json.output).parseDocument();
    ASSERT_TRUE(report.has_value()) << json.output;
    EXPECT_EQ((*report)["ok"].boolean, row.verdict == ShapeVerdict::good);
    EXPECT_EQ((*report)["fileSize"].number(), row.bytes.size());
  }
}

}  // namespace
}  // namespace otawrap
