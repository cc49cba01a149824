// The argument walk and the hexadecimal option values, table-driven.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands/legacy.h"
#include "io/file_system.h"

namespace otawrap {
namespace {

// The outcome and, after an error, its legacy text ("" otherwise).
struct Result {
  CommandLineOutcome outcome;
  std::string message;
};

struct Parsed {
  Result result;
  RunSettings settings;
  SignerCredentials credentials;
};

Parsed parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "otawrap");
  std::vector<const char*> argv;
  argv.reserve(arguments.size());
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  Parsed parsed{{}, RunSettings{}, SignerCredentials{}};
  Problem problem{Failure::usage, "", "", 0};
  parsed.result.outcome =
      parseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.settings,
                       parsed.credentials, problem);
  if (parsed.result.outcome == CommandLineOutcome::error) {
    parsed.result.message = legacyMessage(problem);
  }
  return parsed;
}

const std::string kSep(1, kPathSeparator);
const char kBadPlatform[] = "Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD";
const char kNoCredentials[] = "Cannot open certificate";

TEST(CommandLine, UsageAndErrorOutcomes) {
  struct Case {
    std::vector<std::string> arguments;
    CommandLineOutcome outcome;
    const char* message;
  } cases[] = {
      {{}, CommandLineOutcome::usage, nullptr},
      {{"-m100B"}, CommandLineOutcome::usage, nullptr},  // input name must come first
      {{"-n"}, CommandLineOutcome::usage, nullptr},
      {{"in.raw", "-x"}, CommandLineOutcome::usage, nullptr},
      {{"in.raw", "-"}, CommandLineOutcome::usage, nullptr},
      {{"in.raw", "-f100A100B"}, CommandLineOutcome::usage, nullptr},
      {{"in.raw", "-pquill"}, CommandLineOutcome::error, kBadPlatform},
      {{"in.raw", "-pquilldev"}, CommandLineOutcome::error, kBadPlatform},
      {{"in.raw", "-p"}, CommandLineOutcome::error, kBadPlatform},
      {{"in.raw", "-pQUILLDEV "}, CommandLineOutcome::error, kBadPlatform},
      {{"in.raw", "-s\"creds.txt\""}, CommandLineOutcome::error, kNoCredentials},
      {{"in.raw", "-Screds.txt"}, CommandLineOutcome::error, kNoCredentials},
      // The walk stops at the first argument that ends it.
      {{"in.raw", "-pbad", "-screds"}, CommandLineOutcome::error, kBadPlatform},
      {{"in.raw", "-screds", "-pbad"}, CommandLineOutcome::error, kNoCredentials},
      {{"in.raw", "-screds", "-z"}, CommandLineOutcome::error, kNoCredentials},
      {{"in.raw", "-z", "-screds"}, CommandLineOutcome::usage, nullptr},
      {{"in.raw", "-x", "-pbad"}, CommandLineOutcome::usage, nullptr},
      // Nothing attached is an error, not the root directory or identifier 0.
      {{"in.raw", "-o"}, CommandLineOutcome::error, "Missing value for -o"},
      {{"in.raw", "-O\""}, CommandLineOutcome::error, "Missing value for -o"},
      {{"in.raw", "-m"}, CommandLineOutcome::error, "Missing value for -m"},
      {{"in.raw", "-T"}, CommandLineOutcome::error, "Missing value for -t"},
      {{"in.raw", "-v", "-pbad"}, CommandLineOutcome::error, "Missing value for -v"},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.arguments);
    const std::string label = c.arguments.empty() ? "(none)" : c.arguments.back();
    EXPECT_EQ(parsed.result.outcome, c.outcome) << label;
    EXPECT_EQ(parsed.result.message, c.message == nullptr ? "" : c.message) << label;
  }
}

TEST(CommandLine, Settings) {
  struct Case {
    std::vector<std::string> arguments;
    ImageIdentifiers ids;
    Platform platform;
    bool noImage;
    std::string outputDirectory;
  } cases[] = {
      {{"in.raw"}, {}, Platform::quillDev, false, ""},
      {{"in.raw", "-m100B"}, {0x100B, 0, 0, true, false, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-M100b"}, {0x100B, 0, 0, true, false, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-m0x100B"}, {0x100B, 0, 0, true, false, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-m 0x100B"}, {0x100B, 0, 0, true, false, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-t1"}, {0, 0x1000, 0, false, true, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-T100A"}, {0, 0x100A, 0, false, true, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-v0x1"}, {0, 0, 0x10000000, false, false, true}, Platform::quillDev, false, ""},
      {{"in.raw", "-V12"}, {0, 0, 0x12000000, false, false, true}, Platform::quillDev, false, ""},
      {{"in.raw", "-m1", "-m2"}, {0x2000, 0, 0, true, false, false}, Platform::quillDev, false, ""},
      {{"in.raw", "-pFENBOARD"}, {}, Platform::fenBoard, false, ""},
      {{"in.raw", "-PMARSHDEV"}, {}, Platform::marshDev, false, ""},
      {{"in.raw", "-pMARSHDEV", "-pQUILLDEV"}, {}, Platform::quillDev, false, ""},
      {{"in.raw", "-n"}, {}, Platform::quillDev, true, ""},
      {{"in.raw", "-N"}, {}, Platform::quillDev, true, ""},
      {{"in.raw", "out.zigbee", "plain"}, {}, Platform::quillDev, false, ""},  // ignored
      {{"in.raw", "-oA", "-OB"}, {}, Platform::quillDev, false, "A" + kSep + "B" + kSep},
      {{"in.raw", "-o\"dir"}, {}, Platform::quillDev, false, "dir" + kSep},
      {{"in.raw", "-o\"dir\""}, {}, Platform::quillDev, false, "dir\"" + kSep},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.arguments);
    const std::string label = c.arguments.back();
    ASSERT_EQ(parsed.result.outcome, CommandLineOutcome::run) << label;
    const RunSettings& s = parsed.settings;
    EXPECT_EQ(s.inputFileName, "in.raw");
    EXPECT_EQ(s.file.identifiers.manufacturerCode, c.ids.manufacturerCode) << label;
    EXPECT_EQ(s.file.identifiers.imageType, c.ids.imageType) << label;
    EXPECT_EQ(s.file.identifiers.fileVersion, c.ids.fileVersion) << label;
    EXPECT_EQ(s.file.identifiers.manufacturerGiven, c.ids.manufacturerGiven) << label;
    EXPECT_EQ(s.file.identifiers.imageTypeGiven, c.ids.imageTypeGiven) << label;
    EXPECT_EQ(s.file.identifiers.fileVersionGiven, c.ids.fileVersionGiven) << label;
    EXPECT_EQ(s.platform, c.platform) << label;
    EXPECT_EQ(s.noImage, c.noImage) << label;
    EXPECT_TRUE(s.file.credentialsPath.empty());
    EXPECT_EQ(s.output.directory, c.outputDirectory) << label;
  }
}

TEST(CommandLine, SigningPathSkipsOneLeadingQuote) {
  const Parsed parsed = parse({"in.raw", "-s\"C:\\keys\\signer.txt\""});
  EXPECT_EQ(parsed.settings.file.credentialsPath, "C:\\keys\\signer.txt\"");
}

TEST(CommandLine, PathLengthBounds) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message;  // nullptr: accepted
  } cases[] = {
      {{std::string(1023, 'i')}, nullptr},
      {{std::string(1024, 'i')}, "Input file name too long"},
      {{"in.raw", "-o" + std::string(1022, 'd')}, nullptr},  // 1,022 + separator
      {{"in.raw", "-o" + std::string(1023, 'd')}, "Output path too long"},
      {{"in.raw", "-o\"" + std::string(1022, 'd')}, nullptr},
      {{"in.raw", "-o" + std::string(600, 'd'), "-o" + std::string(421, 'e')}, nullptr},
      {{"in.raw", "-o" + std::string(600, 'd'), "-o" + std::string(422, 'e')}, "Output path too long"},
  };
  for (const Case& c : cases) {
    const Parsed parsed = parse(c.arguments);
    if (c.message == nullptr) {
      EXPECT_EQ(parsed.result.outcome, CommandLineOutcome::run);
      EXPECT_LE(parsed.settings.output.directory.size(), kPathBufferSize - 1);
    } else {
      EXPECT_EQ(parsed.result.outcome, CommandLineOutcome::error);
      EXPECT_EQ(parsed.result.message, c.message);
    }
  }
}

TEST(HexOption, Values) {
  struct Case {
    const char* argument;
    int digits;
    std::uint32_t value;
  } cases[] = {
      {"-m100B", 4, 0x100B},     {"-M100b", 4, 0x100B},    {"-m0x100B", 4, 0x100B},
      {"-m 0x100B", 4, 0x100B},  {"-m   12", 4, 0x1200},   {"-m1", 4, 0x1000},
      {"-t1", 4, 0x1000},        {"-v0x1", 8, 0x10000000}, {"-v12", 8, 0x12000000},
      {"-m12345", 4, 0x1234},    {"-v123456789", 8, 0x12345678},
      {"-m", 4, 0},              {"-m0x", 4, 0},           {"-m0X1", 4, 0x1000},
      {"-m0x0x1", 4, 0x0010},    {"-mzz12", 4, 0x0012},    {"-m1 2", 4, 0x1000},
      {"-mFFFF", 4, 0xFFFF},     {"-vffffffff", 8, 0xFFFFFFFF}, {"-m0", 4, 0},
      {"-m x1", 4, 0x0100},      {"-m\t1", 4, 0x0100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hexOptionValue(c.argument, c.digits), c.value) << c.argument;
  }
}

TEST(HexOption, DigitValueOfEveryCharacter) {
  // One digit in the top place: every character reads as its hex value, any
  // other as 0 (and space ends the value).
  const std::string lower = "0123456789abcdef";
  const std::string upper = "0123456789ABCDEF";
  for (int i = -128; i < 128; ++i) {
    const char c = static_cast<char>(i);
    if (c == '\0') continue;
    std::uint32_t expected = 0;
    if (lower.find(c) != std::string::npos) expected = static_cast<std::uint32_t>(lower.find(c));
    if (upper.find(c) != std::string::npos) expected = static_cast<std::uint32_t>(upper.find(c));
    const char argument[] = {'-', 'm', c, '\0'};
    EXPECT_EQ(hexOptionValue(argument, 4), expected << 12) << i;
  }
}

}  // namespace
}  // namespace otawrap
