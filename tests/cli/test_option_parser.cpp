// The subcommands' parser: every error class and every accepted spelling, in
// one table over a small option set, then convert's option table and strict
// values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/option_parser.h"
#include "commands/convert.h"
#include "io/file_system.h"

namespace otawrap {
namespace {

const std::vector<OptionDefinition> kDefinitions = {
    {'o', "output-dir", "DIR", "", false},
    {'q', "quiet", nullptr, "", true},
    {'\0', "name", "NAME", "", true},
};

// Parsed options written as "id=value" in order, then "|" and the operands.
std::string summary(const ParsedArguments& parsed) {
  std::string text;
  for (const ParsedOption& o : parsed.options) text += std::to_string(o.row) + "=" + o.value + " ";
  text += "|";
  for (const std::string& operand : parsed.operands) text += " " + operand;
  return text;
}

TEST(OptionParser, SpellingsAndErrors) {
  struct Case {
    std::vector<std::string> arguments;
    std::string expected;  // the summary, or the error text
  } cases[] = {
      {{"in"}, "| in"},
      {{"-o", "d", "in"}, "0=d | in"},
      {{"-od", "in"}, "0=d | in"},
      {{"in", "--output-dir", "d"}, "0=d | in"},
      {{"--output-dir=d", "in"}, "0=d | in"},
      {{"--output-dir=", "in"}, "0= | in"},
      {{"-o", "-q", "in"}, "0=-q | in"},  // a value that looks like an option is the value
      {{"-q", "in", "-q", "--quiet"}, "1= 1= 1= | in"},
      {{"--name", "a", "--name=b", "in"}, "2=a 2=b | in"},
      {{"--", "-o"}, "| -o"},
      {{"-q", "--", "--quiet"}, "1= | --quiet"},
      {{"-"}, "| -"},
      {{"in", "-x"}, "unknown option '-x'"},
      {{"in", "--outputdir", "d"}, "unknown option '--outputdir'"},
      {{"in", "--output-dirx=d"}, "unknown option '--output-dirx'"},
      {{"in", "-o"}, "option -o needs a value"},
      {{"in", "--output-dir"}, "option --output-dir needs a value"},
      {{"in", "-qq"}, "option -q takes no value: '-qq'"},
      {{"in", "--quiet=1"}, "option --quiet takes no value"},
      {{"in", "-o", "a", "--output-dir", "b"}, "option --output-dir given more than once"},
      {{}, "missing INPUT operand"},
      {{"-q"}, "missing INPUT operand"},
      {{"in", "other"}, "unexpected operand 'other'"},
      {{"in", "--", "-q"}, "unexpected operand '-q'"},
  };
  for (const Case& c : cases) {
    ParsedArguments parsed;
    const std::string error = parseOptions(kDefinitions, {1, 1, "INPUT"}, c.arguments, parsed);
    const std::string label = c.arguments.empty() ? "(none)" : c.arguments.back();
    EXPECT_EQ(error.empty() ? summary(parsed) : error, c.expected) << label;
  }
}

TEST(ConvertArguments, ValuesAndCombinations) {
  const std::string sep(1, kPathSeparator);
  struct Case {
    std::vector<std::string> arguments;
    std::string error;  // "" when accepted
    std::uint16_t manufacturer = 0;
    std::uint16_t imageType = 0;
    std::uint32_t version = 0;
    Platform platform = Platform::quillDev;
    std::string outputDirectory{};
  } cases[] = {
      {{"a.raw", "-o", "out", "-m", "100B"}, "", 0x100B, 0, 0, Platform::quillDev, "out" + sep},
      {{"a.raw", "-m0x100b", "-t", "1", "-v", "ABCDEF12"}, "", 0x100B, 1, 0xABCDEF12,
       Platform::quillDev, ""},
      {{"a.raw", "--manufacturer=1", "--file-version", "0x1"}, "", 1, 0, 1, Platform::quillDev, ""},
      {{"-p", "fenboard", "a.raw"}, "", 0, 0, 0, Platform::fenBoard, ""},
      {{"a.raw", "--platform=MarshDev"}, "", 0, 0, 0, Platform::marshDev, ""},
      {{"a.raw", "-o", "out/"}, "", 0, 0, 0, Platform::quillDev, "out/"},
      {{"a.raw", "-m", "12345"}, "invalid value '12345' for -m: 1 to 4 hex digits expected"},
      {{"a.raw", "-m", "10G"}, "invalid value '10G' for -m: 1 to 4 hex digits expected"},
      {{"a.raw", "-t", ""}, "invalid value '' for -t: 1 to 4 hex digits expected"},
      {{"a.raw", "-t", "0x"}, "invalid value '0x' for -t: 1 to 4 hex digits expected"},
      {{"a.raw", "--file-version=123456789"},
       "invalid value '123456789' for --file-version: 1 to 8 hex digits expected"},
      {{"a.raw", "-pquill"}, "invalid value 'quill' for -p: QUILLDEV, MARSHDEV or FENBOARD expected"},
      {{"a.raw", "-o", ""}, "empty directory name for -o"},
      {{"a.raw", "-o", "d", "--output", "f"}, "--output and --output-dir exclude each other"},
      {{"a.raw", "--min-hw-version", "1"},
       "Minimum and maximum hardware versions must be given together"},
      {{"a.raw", "--destination", "12"},
       "--destination: Invalid destination: 16 hex digits expected: '12'"},
      {{"a.raw", "-m", "1", "-m", "2"}, "option -m given more than once"},
      {{"a.raw", "-x"}, "unknown option '-x'"},
      {{"a.raw", "-h1"}, "unknown option '-h'"},
  };
  for (const Case& c : cases) {
    ConvertOptions options;
    const std::string error = parseCommand(convertDefinition(), c.arguments, options);
    const std::string label = c.arguments.back();
    EXPECT_EQ(error, c.error) << label;
    if (!c.error.empty() || !error.empty()) continue;
    const ConvertOptions& s = options;
    EXPECT_EQ(s.inputFileName, "a.raw") << label;
    EXPECT_EQ(s.file.identifiers.manufacturerCode, c.manufacturer) << label;
    EXPECT_EQ(s.file.identifiers.imageType, c.imageType) << label;
    EXPECT_EQ(s.file.identifiers.fileVersion, c.version) << label;
    EXPECT_EQ(s.platform, c.platform) << label;
    EXPECT_EQ(s.output.directory, c.outputDirectory) << label;
  }
}

TEST(ConvertArguments, FlagsAndPaths) {
  ConvertOptions options;
  ASSERT_EQ(parseCommand(convertDefinition(), {"-nq", "a.raw"}, options),
            "option -n takes no value: '-nq'");
  options = ConvertOptions{};
  ASSERT_EQ(parseCommand(convertDefinition(), {"-n", "-q", "--json", "-s", "k.txt", "--output", "x.ota",
                                   "--header-string", "hi", "-m1", "-t2", "-v3", "a.raw"},
                                  options),
            "");
  EXPECT_TRUE(options.noImage);
  EXPECT_TRUE(options.report.quiet);
  EXPECT_TRUE(options.report.json);
  EXPECT_EQ(options.file.credentialsPath, "k.txt");
  EXPECT_EQ(options.output.file, "x.ota");
  EXPECT_TRUE(options.file.headerFields.headerStringGiven);
  EXPECT_TRUE(options.output.directory.empty());
}

}  // namespace
}  // namespace otawrap
