// The options build and convert share: one row per id, and each option lands
// in the matching field of both commands' options.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "cli/command_arguments.h"
#include "cli/shared_options.h"

namespace otawrap {
namespace {

TEST(SharedOptions, OneRowPerId) {
  const std::vector<OptionSpec> specs =
      withSharedOptions({{kSharedOptionCount, 'x', "x", false, false}});
  ASSERT_EQ(specs.size(), static_cast<std::size_t>(kSharedOptionCount) + 1);
  std::set<int> ids;
  for (const OptionSpec& s : specs) ids.insert(s.id);
  EXPECT_EQ(ids.size(), specs.size());
  EXPECT_EQ(*ids.rbegin(), kSharedOptionCount);
}

// Both commands given the same options hold the same values.
TEST(SharedOptions, BuildAndConvertAgree) {
  const Arguments required = {"-m", "0x1234", "-t", "5", "-v", "0x01020304", "--tag", "0xf000=p.bin"};
  const std::vector<Arguments> extras = {
      {"--stack-version", "7", "-s", "k.txt", "--output", "o.ota", "--json", "-q"},
      {"--integrity-code", "-o", "dir", "--header-string", "hi",
       "--security-credential-version", "9", "--destination", "0011223344556677",
       "--min-hw-version", "1", "--max-hw-version", "2"},
  };
  for (const Arguments& extra : extras) {
    Arguments arguments = required;
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    BuildOptions build;
    ASSERT_EQ(parseBuildArguments(arguments, build), "") << extra[0];
    arguments.push_back("in.raw");
    ConvertOptions convert;
    ASSERT_EQ(parseConvertArguments(arguments, convert), "") << extra[0];
    const RunSettings& s = convert.settings;
    EXPECT_EQ(build.identifiers.manufacturerCode, s.identifiers.manufacturerCode);
    EXPECT_EQ(build.identifiers.imageType, s.identifiers.imageType);
    EXPECT_EQ(build.identifiers.fileVersion, s.identifiers.fileVersion);
    EXPECT_EQ(build.stackVersion, s.stackVersion);
    ASSERT_EQ(build.tags.size(), convert.tags.size());
    EXPECT_EQ(build.tags[0].path, convert.tags[0].path);
    EXPECT_EQ(build.credentialsPath, s.credentialsPath);
    EXPECT_EQ(!build.credentialsPath.empty(), s.signing);
    EXPECT_EQ(build.integrityCode, s.integrityCode);
    EXPECT_EQ(build.outputFile, s.outputFile);
    EXPECT_EQ(build.outputDirectory, s.outputDirectory);
    EXPECT_EQ(!build.outputDirectory.empty(), convert.createOutputDirectory);
    EXPECT_EQ(build.headerFields.fieldControl, s.headerFields.fieldControl);
    EXPECT_EQ(build.headerFields.headerString, s.headerFields.headerString);
    EXPECT_EQ(build.headerFields.destination, s.headerFields.destination);
    EXPECT_EQ(build.headerFields.maximumHardwareVersion, s.headerFields.maximumHardwareVersion);
    EXPECT_EQ(build.json, convert.json);
    EXPECT_EQ(build.quiet, convert.quiet);
  }
}

}  // namespace
}  // namespace otawrap
