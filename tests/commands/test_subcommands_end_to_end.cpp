// The subcommands of the built binary: convert against the legacy form's
// bytes, exact standard output and standard error, exit codes, directories
// created and nothing left after a failure; lost reports; escaped names;
// bounded reports and memory on a file of empty sub-elements; the legacy
// form's missing values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "ota/ota_file_builder.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

// AddressSanitizer's shadow memory makes peak memory meaningless.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif
using test::ProcessResult;
using test::TempDirectory;
using test::examplesDir;
using test::runOtawrap;
using test::tree;

// Every file and directory under root, relative, sorted.
class Subcommands : public testing::Test {
 protected:
  void SetUp() override {
    test::RawGeneratorOptions options;
    options.seed = 31;
    options.dataBytes = 3000;
    ASSERT_TRUE(test::writeFileBytes(dir_.file("in.raw"),
                                     test::rawFileBytes(test::generateRawFile(options))));
    Bytes truncated = test::readFileBytes(dir_.file("in.raw"));
    truncated.resize(truncated.size() - 7);
    ASSERT_TRUE(test::writeFileBytes(dir_.file("cut.raw"), truncated));
  }
  TempDirectory dir_;
};

TEST_F(Subcommands, ConvertWritesTheLegacyBytesAndPrintsThePath) {
  ASSERT_EQ(runOtawrap(dir_, {"in.raw", "-m100B", "-t0042", "-v00000001"}).exitCode, 0);
  const std::string name = "100B-0042-00000001.zigbee";
  const Bytes legacy = test::readFileBytes(dir_.file(name));

  const ProcessResult run =
      runOtawrap(dir_, {"convert", "in.raw", "-o", "a/b/c", "-m", "100B", "--image-type=42", "-v1"});
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.output, "a/b/c/" + name + "\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(test::readFileBytes(dir_.file("a/b/c/" + name)), legacy);

  const ProcessResult quiet = runOtawrap(dir_, {"convert", "-q", "in.raw", "-m100b", "-t", "0x42",
                                             "-v", "1", "--output", "named.ota"});
  EXPECT_EQ(quiet.exitCode, 0) << quiet.errors;
  EXPECT_EQ(quiet.output, "");
  EXPECT_EQ(test::readFileBytes(dir_.file("named.ota")), legacy);

  const ProcessResult json = runOtawrap(
      dir_, {"convert", "in.raw", "-o", "signed/", "--json", "-p", "fenboard", "--credentials",
             examplesDir() + "test-credentials.txt"});
  ASSERT_EQ(json.exitCode, 0) << json.errors;
  const auto parsed = test::parseJson(json.output);
  ASSERT_TRUE(parsed) << json.output;
  const test::JsonValue& summary = *parsed;
  const std::string path = summary["path"].ascii();
  EXPECT_EQ(path.rfind("signed/", 0), 0u) << path;
  const Bytes written = test::readFileBytes(dir_.file(path));
  EXPECT_EQ(summary["size"].number(), written.size());
  EXPECT_EQ(summary["headerLength"].number(), 56u);
  EXPECT_EQ(summary["platform"].ascii(), "FENBOARD");
  EXPECT_TRUE(summary["signed"].boolean);
  const auto& elements = summary["subElements"].items;
  ASSERT_EQ(elements.size(), 3u);
  EXPECT_EQ(elements[0].members.at("offset").number(), 56u);
  EXPECT_EQ(elements[2].members.at("tag").number(), 1u);  // the signature, last
  EXPECT_EQ(elements[2].members.at("offset").number() + 6 + elements[2].members.at("length").number(),
            written.size());
  EXPECT_EQ(json.output.back(), '\n');
}

TEST_F(Subcommands, FailuresNameTheFileAndLeaveNothingBehind) {
  const std::string kTry = "Try 'otawrap convert --help'.\n";
  const struct {
    std::vector<std::string> arguments;
    std::string errors;
  } cases[] = {
      {{"convert", "missing.raw", "-o", "out"},
       "otawrap: cannot open input file 'missing.raw': No such file or directory\n"},
      {{"convert", "cut.raw", "-o", "out"}, "otawrap: input file 'cut.raw' is truncated\n"},
      {{"convert", "in.raw", "-o", "out", "-s", "keys.txt"},
       "otawrap: cannot open credentials file 'keys.txt': No such file or directory\n"},
      {{"convert", "in.raw", "-o", "out", "-s", "in.raw"},
       "otawrap: credentials file 'in.raw': larger than 1023 bytes\n"},
      {{"convert", "in.raw", "--output", "no/such/x.ota"},
       "otawrap: cannot create output file 'no/such/x.ota': No such file or directory\n"},
      {{"convert", "in.raw", "-o", "in.raw/sub"},
       "otawrap: cannot create output directory 'in.raw/sub/': Not a directory\n"},
      {{"convert", "in.raw", "-o", "out", "-x"}, "otawrap: unknown option '-x'\n" + kTry},
      {{"convert", "in.raw", "-m", "100G"},
       "otawrap: invalid value '100G' for -m: 1 to 4 hex digits expected\n" + kTry},
      {{"convert", "in.raw", "-o"}, "otawrap: option -o needs a value\n" + kTry},
      {{"convert", "in.raw", "out"}, "otawrap: several inputs need --output-dir DIR\n" + kTry},
      // Hints: the nearest long option; --recursive where the command has it.
      {{"convert", "--header-strng", "x", "in.raw"},
       "otawrap: unknown option '--header-strng'\notawrap: did you mean '--header-string'?\n" + kTry},
      {{"convert", "in.raw", "--ouput-dir", "x"},
       "otawrap: unknown option '--ouput-dir'\notawrap: did you mean '--output-dir'?\n" + kTry},
      {{"info", "in.raw", "--jsn"},
       "otawrap: unknown option '--jsn'\notawrap: did you mean '--json'?\nTry 'otawrap info --help'.\n"},
      {{"info", "in.raw", "--js"}, "otawrap: unknown option '--js'\nTry 'otawrap info --help'.\n"},
      {{"info", "ota"},
       "otawrap: cannot open input file 'ota': Is a directory\n"
       "otawrap: 'ota' is a directory: --recursive reads every file below it\n"},
      {{"lint", "ota"},
       "otawrap: cannot open input file 'ota': Is a directory\n"
       "otawrap: 'ota' is a directory: lint reads an index file; its files' directory goes to "
       "--files DIR\n"},
      {{"convert", "ota"}, "otawrap: cannot open input file 'ota': Is a directory\n"},
      {{"info"}, "otawrap: missing FILE operand\nTry 'otawrap info --help'.\n"},
      {{"help", "nope"}, "otawrap: no help for 'nope': not a command\nTry 'otawrap help --help'.\n"},
      {{"version", "x"}, "otawrap: unexpected operand 'x'\nTry 'otawrap version --help'.\n"},
      {{"build", "x"}, "otawrap: unexpected operand 'x'\nTry 'otawrap build --help'.\n"},
      {{"index"}, "otawrap: missing FILE operand\nTry 'otawrap index --help'.\n"},
      {{"completion", "fish"},
       "otawrap: unknown shell 'fish': bash or zsh expected\nTry 'otawrap completion --help'.\n"},
  };
  std::filesystem::create_directory(dir_.file("ota"));
  const std::vector<std::string> before = tree(dir_.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const ProcessResult run = runOtawrap(dir_, c.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(tree(dir_.path()), before);
  }
}

TEST_F(Subcommands, HelpPagesAndTheLegacyFormBeside) {
  for (const char* command :
       {"convert", "info", "verify", "help", "version", "build", "extract", "index", "completion"}) {
    SCOPED_TRACE(command);
    const ProcessResult page = runOtawrap(dir_, {command, "--help"});
    EXPECT_EQ(page.exitCode, 0);
    EXPECT_EQ(page.output.rfind(std::string("Usage: otawrap ") + command, 0), 0u) << page.output;
    for (const char* part : {"Example: otawrap", "Exit codes: 0"}) {
      EXPECT_NE(page.output.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(runOtawrap(dir_, {"help", command}).output, page.output);
    EXPECT_EQ(runOtawrap(dir_, {command, "x", "-h"}).output, page.output);
  }
  // A raw file named like a command goes through the legacy form as ./convert.
  std::filesystem::copy_file(dir_.file("in.raw"), dir_.file("convert"));
  const ProcessResult legacy = runOtawrap(dir_, {"./convert", "-m100B", "-t1", "-v1"});
  EXPECT_EQ(legacy.exitCode, 0) << legacy.output;
  EXPECT_TRUE(std::filesystem::exists(dir_.file("100B-1000-10000000.zigbee")));
}

// A failed legacy run whose input is a plain word that names nothing, or an
// OTA file, says what was likely meant on standard error; standard output
// and the exit code stay the legacy form's.
TEST_F(Subcommands, LegacyHintsGoToStandardErrorOnly) {
  ASSERT_EQ(runOtawrap(dir_, {"convert", "in.raw", "-q", "--output", "f.ota"}).exitCode, 0);
  std::filesystem::copy_file(examplesDir() + "test-credentials.txt", dir_.file("creds.txt"));
  const std::string notACommand = "' is not a command: 'otawrap help' lists them\n";
  const struct {
    std::vector<std::string> arguments;
    std::string output;
    std::string errors;
  } cases[] = {
      {{"inspect", "f.ota"}, "Error: Unable to open input file", "otawrap: 'inspect" + notACommand},
      {{"show", "f.ota"}, "Error: Unable to open input file", "otawrap: 'show" + notACommand},
      {{"sign", "in.raw", "-s", "creds.txt"}, "Error: Cannot open certificate",
       "otawrap: 'sign" + notACommand},
      {{"f.ota", "info"}, "Error: Input image too small",
       "otawrap: f.ota is already an OTA file: try 'otawrap info f.ota'\n"},
      {{"missing.raw"}, "Error: Unable to open input file", ""},
      {{"in.raw", "-pX"},
       "Error: Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    const ProcessResult run = runOtawrap(dir_, c.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.errors, c.errors);
  }
}

TEST_F(Subcommands, LegacyIdentifierAndDirectoryOptionsNeedAValue) {
  const std::vector<std::string> before = tree(dir_.path());
  for (const char* option : {"-o", "-o\"", "-O", "-m", "-t", "-v", "-V"}) {
    SCOPED_TRACE(option);
    const ProcessResult run = runOtawrap(dir_, {"in.raw", option, "-n"});
    EXPECT_EQ(run.exitCode, 2);
    const char letter = static_cast<char>(std::tolower(option[1]));
    EXPECT_EQ(run.output, std::string("Error: Missing value for -") + letter);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(tree(dir_.path()), before);
  }
}

TEST_F(Subcommands, LostOutputIsAnError) {
  ASSERT_EQ(runOtawrap(dir_, {"convert", "in.raw", "-q", "--output", "f.ota"}).exitCode, 0);
  const std::string key = examplesDir() + "test-credentials.txt";
  const std::vector<std::vector<std::string>> commands = {
      {"info", "f.ota"},          {"--info", "f.ota", "--json"},
      {"verify", "f.ota", "-s", key}, {"verify", "f.ota", "-s", key, "--json"},
      {"convert", "in.raw", "--output", "g.ota"}, {"help"}, {"version"}, {"convert", "--help"},
  };
  for (const auto standardOutput : {test::StandardOutput::unread, test::StandardOutput::closed}) {
    for (const auto& arguments : commands) {
      SCOPED_TRACE(arguments.front() + " " + arguments.back());
      const ProcessResult run = runOtawrap(dir_, arguments, standardOutput);
      EXPECT_EQ(run.exitCode, 2);
      EXPECT_EQ(run.errors, "otawrap: cannot write to standard output\n");
    }
  }
}

TEST_F(Subcommands, ControlCharactersInNamesAreEscaped) {
  const std::string forged = "x (1 bytes)\nSignature: ok\n";
  ASSERT_EQ(runOtawrap(dir_, {"convert", "in.raw", "-q", "--output", forged, "-s",
                           examplesDir() + "test-credentials.txt"})
                .exitCode,
            0);
  const ProcessResult run = runOtawrap(dir_, {"verify", forged, "-s", examplesDir() + "test-ca-credentials.txt"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output.rfind("File: x (1 bytes)\\nSignature: ok\\n (", 0), 0u) << run.output;
  EXPECT_EQ(run.output.find("\nSignature: ok"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("\nSignature: FAILED ("), std::string::npos) << run.output;
}

// A file of empty sub-elements (6 bytes each), optionally ending with a
// certificate and a signature: the worst case for the report's size.
Bytes emptySubElementFile(std::size_t count, bool signedTail) {
  std::vector<test::BuiltSubElement> tail;
  if (signedTail) tail = {test::builtCertificate(), test::builtSignature()};
  Bytes file = test::builtOtaFile({});
  const Bytes empty = {0x34, 0x12, 0, 0, 0, 0};
  file.reserve(file.size() + 6 * count + 200);
  for (std::size_t i = 0; i < count; ++i) file.insert(file.end(), empty.begin(), empty.end());
  for (const auto& e : tail) {
    test::appendLe(file, e.tag, 2);
    test::appendLe(file, e.data.size(), 4);
    file.insert(file.end(), e.data.begin(), e.data.end());
  }
  test::putLe(file, 52, file.size(), 4);
  return file;
}

TEST_F(Subcommands, ReportsAndMemoryStayBoundedOnEmptySubElements) {
  constexpr std::size_t kCount = 2'000'000;  // 12 MB of sub-element heads
  const Bytes file = emptySubElementFile(kCount, true);
  ASSERT_TRUE(test::writeFileBytes(dir_.file("empty.ota"), file));
  const std::vector<std::vector<std::string>> runs = {
      {"info", "empty.ota"},
      {"info", "empty.ota", "--json"},
      {"verify", "empty.ota", "-s", examplesDir() + "test-credentials.txt"},
      {"verify", "empty.ota", "-s", examplesDir() + "test-credentials.txt", "--json"},
  };
  for (const auto& arguments : runs) {
    SCOPED_TRACE(arguments.back());
    const ProcessResult run = runOtawrap(dir_, arguments);
    // Nothing is wrong with the file itself; only the signature is made up.
    EXPECT_EQ(run.exitCode, arguments[0] == "info" ? 0 : 1) << run.errors;
    EXPECT_LT(run.output.size(), 200'000u);
    if (arguments.back() == "--json") {
      const auto parsed = test::parseJson(run.output);
      ASSERT_TRUE(parsed);
      const test::JsonValue& report = *parsed;
      EXPECT_EQ(report["subElements"].items.size(), 1000u);
      EXPECT_EQ(report["subElementsOmitted"].number(), kCount + 2 - 1000);
    } else {
      EXPECT_NE(run.output.find("  ... and " + std::to_string(kCount + 2 - 1000) +
                                " more sub-elements\n"),
                std::string::npos);
      // The checks still saw the certificate and signature at the very end.
      EXPECT_NE(run.output.find("  signature layout: ok"), std::string::npos) << run.output;
    }
    if (!kAddressSanitizer) {
      EXPECT_LE(run.peakMemoryKib * 1024, 2 * static_cast<long>(file.size()) + (16L << 20));
    }
  }
}

TEST_F(Subcommands, OneReadLimitForInfoAndVerify) {
  {
    const Bytes head = test::builtOtaFile({});
    ASSERT_TRUE(test::writeFileBytes(dir_.file("big.ota"), head));
  }
  std::filesystem::resize_file(dir_.file("big.ota"), (64u << 20) + 1);
  const std::string message =
      "otawrap: input file 'big.ota' is larger than the 64 MiB limit for OTA files\n";
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"info", "big.ota"}, {"verify", "big.ota", "-s", examplesDir() + "test-credentials.txt"}}) {
    const ProcessResult run = runOtawrap(dir_, arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, message);
  }
  std::filesystem::resize_file(dir_.file("big.ota"), 64u << 20);
  EXPECT_EQ(runOtawrap(dir_, {"info", "big.ota"}).exitCode, 1);  // read, then checks fail
}

}  // namespace
}  // namespace otawrap
