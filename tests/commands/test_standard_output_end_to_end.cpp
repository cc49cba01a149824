// --output - through the built binary: every writing command puts exactly the
// bytes of --output FILE on standard output and nothing else; a failed run or
// a refused combination puts nothing there.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

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
using test::examplesDir;

// How many entries a directory holds.
std::size_t entryCount(const std::string& directory) {
  const std::filesystem::directory_iterator entries(directory);
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

std::vector<std::string> with(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

// in.raw; gbl.bin a GBL payload; in.ota a signed file built from it;
// wrapped.ota is in.ota behind a 16-byte prefix.
void makeInputs(const TempDirectory& dir) {
  ASSERT_TRUE(test::writeFileBytes(
      dir.file("in.raw"), test::rawFileBytes(test::generateRawFile(test::sampleRawFileOptions()))));
  ASSERT_TRUE(test::writeFileBytes(dir.file("gbl.bin"),
                                   test::makePayload(PayloadFormat::gbl, 7)));
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=gbl.bin", "-s",
                          examplesDir() + "test-credentials.txt", "--output", "in.ota"})
                .exitCode,
            0);
  Bytes wrapped(16, 0x5A);
  const Bytes ota = test::readFileBytes(dir.file("in.ota"));
  wrapped.insert(wrapped.end(), ota.begin(), ota.end());
  ASSERT_TRUE(test::writeFileBytes(dir.file("wrapped.ota"), wrapped));
}

const std::vector<std::vector<std::string>>& writingCommands() {
  static const std::vector<std::vector<std::string>> commands = {
      {"convert", "in.raw"},
      {"convert", "in.raw", "--integrity-code", "-v", "0A"},
      {"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=gbl.bin", "--tag", "f000=in.raw"},
      {"normalize", "wrapped.ota"},
      {"restamp", "in.ota", "--file-version", "00010204", "--drop-signature"},
      {"extract", "in.ota", "--tag", "0"},
  };
  return commands;
}

TEST(StandardOutputEndToEnd, EveryWritingCommandGivesTheBytesOfItsFile) {
  TempDirectory dir;
  makeInputs(dir);
  for (const std::vector<std::string>& command : writingCommands()) {
    SCOPED_TRACE(command[0] + " " + command[1]);
    const ProcessResult file = runOtawrap(dir, with(command, {"--output", "file.out"}));
    ASSERT_EQ(file.exitCode, 0) << file.errors;
    const Bytes expected = test::readFileBytes(dir.file("file.out"));
    ASSERT_GT(expected.size(), 0u);
    const std::size_t before = entryCount(dir.path());
    for (const char* extra : {"", "-q", "--no-clobber"}) {
      std::vector<std::string> arguments = with(command, {"--output", "-"});
      if (*extra != '\0') arguments.push_back(extra);
      const ProcessResult out = runOtawrap(dir, arguments);
      EXPECT_EQ(out.exitCode, 0) << out.errors;
      EXPECT_EQ(out.errors, "");
      EXPECT_EQ(Bytes(out.output.begin(), out.output.end()), expected) << extra;
      EXPECT_EQ(entryCount(dir.path()), before) << "no file, no temporary, no file named '-'";
    }
    test::ProcessOptions full;
    full.standardOutput = test::StandardOutput::unread;
    const ProcessResult lost = runOtawrap(dir, with(command, {"--output", "-"}), full);
    EXPECT_EQ(lost.exitCode, 2);
    EXPECT_EQ(lost.errors, "otawrap: cannot write to standard output\n");
  }
}

TEST(StandardOutputEndToEnd, FailuresAndRefusalsPrintNothingThere) {
  TempDirectory dir;
  makeInputs(dir);
  const std::string tryConvert = "Try 'otawrap convert --help'.\n";
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string errors;
  } cases[] = {
      {{"convert", "missing.raw", "--output", "-"}, 2,
       "otawrap: cannot open input file 'missing.raw': No such file or directory\n"},
      {{"convert", "in.raw", "-s", "missing.txt", "--output", "-"}, 2,
       "otawrap: cannot open credentials file 'missing.txt': No such file or directory\n"},
      {{"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=none.bin", "--output", "-"}, 2,
       "otawrap: cannot read payload file 'none.bin': No such file or directory\n"},
      {{"normalize", "in.raw", "--output", "-"}, 2,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"restamp", "in.ota", "--file-version", "5", "--output", "-"}, 2,
       "otawrap: file 'in.ota' is signed and its signature would no longer hold; give "
       "--credentials to sign again or --drop-signature\n"},
      {{"extract", "in.ota", "--tag", "9", "--output", "-"}, 2,
       "otawrap: file 'in.ota' has no sub-element with tag 0x0009\n"},
      {{"convert", "in.raw", "in.raw", "--output", "-"}, 2,
       "otawrap: several inputs need --output-dir DIR, not --output\n" + tryConvert},
      {{"convert", "in.raw", "--output", "-", "-o", "out"}, 2,
       "otawrap: --output and --output-dir exclude each other\n" + tryConvert},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
    const ProcessResult r = runOtawrap(dir, c.arguments);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(r.errors, c.errors);
  }
  for (const std::vector<std::string>& command : writingCommands()) {
    if (command[0] == "extract") continue;  // extract has no --json
    SCOPED_TRACE(command[0]);
    const ProcessResult r = runOtawrap(dir, with(command, {"--output", "-", "--json"}));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(r.errors, "otawrap: --json prints to standard output: not with --output -\nTry "
                        "'otawrap " + command[0] + " --help'.\n");
  }
}

}  // namespace
}  // namespace otawrap
