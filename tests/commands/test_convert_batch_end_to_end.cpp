// convert with several inputs through the built binary: each output equals
// what a one-input run writes, a failed input leaves nothing while the others
// are written, two inputs that would share a name write nothing at all, and
// the reports, summary and JSON lines come in input order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "commands/json_check.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::TempDirectory;
using test::runOtawrap;
using test::lines;
using test::examplesDir;

// a.raw, b.raw and c.raw name versions 1, 2 and 3 (big.raw is version 4 and
// about 200 KiB); twin.raw is a.raw under another name; junk.raw is text.
void makeInputs(const TempDirectory& dir) {
  const struct {
    const char* name;
    std::uint32_t version;
    std::size_t bytes;
  } inputs[] = {{"a.raw", 1, 4096}, {"b.raw", 2, 6000}, {"c.raw", 3, 3000},
                {"big.raw", 4, 200000}, {"twin.raw", 1, 4096}};
  for (const auto& input : inputs) {
    test::RawGeneratorOptions options;
    options.seed = 40 + (input.version % 4);
    options.dataBytes = input.bytes;
    options.fileVersion = input.version;
    ASSERT_TRUE(test::writeFileBytes(dir.file(input.name),
                                     test::rawFileBytes(test::generateRawFile(options))));
  }
  ASSERT_TRUE(test::writeFileBytes(dir.file("junk.raw"), Bytes(300, 'x')));
}

// The entries of a directory, sorted; none for a missing one.
std::vector<std::string> namesIn(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string nameOf(std::uint32_t version) {
  return "100B-0042-0000000" + std::to_string(version) + ".zigbee";
}

// The files a one-input run writes for each input, the oracle of the batch.
Bytes singleRun(const TempDirectory& dir, const std::string& input,
                const std::vector<std::string>& options) {
  std::vector<std::string> arguments = {"convert", input, "--output", "single.zigbee"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  const ProcessResult run = runOtawrap(dir, arguments);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  Bytes bytes = test::readFileBytes(dir.file("single.zigbee"));
  std::filesystem::remove(dir.file("single.zigbee"));
  return bytes;
}

TEST(ConvertBatchEndToEnd, EachInputAsAloneFailuresInPlaceSummaryLast) {
  TempDirectory dir;
  makeInputs(dir);
  const std::string key = examplesDir() + "test-credentials.txt";
  const struct {
    std::vector<std::string> inputs;
    std::vector<std::string> options;
    int exitCode;
    std::vector<std::uint32_t> written;  // versions in out/, in input order
    std::vector<std::string> errors;     // one line each, in order
  } cases[] = {
      {{"a.raw", "b.raw", "c.raw"}, {}, 0, {1, 2, 3}, {}},
      {{"c.raw", "a.raw"}, {"-s", key}, 0, {3, 1}, {}},
      {{"a.raw", "b.raw"}, {"--integrity-code", "-p", "fenboard"}, 0, {1, 2}, {}},
      {{"a.raw", "missing.raw", "b.raw"}, {}, 2, {1, 2},
       {"otawrap: cannot open input file 'missing.raw': No such file or directory"}},
      {{"junk.raw", "c.raw"}, {}, 2, {3},
       {"otawrap: input file 'junk.raw' is not raw firmware or Intel HEX (it looks like a text "
        "file); to wrap a file as it is: otawrap build -m HEX -t HEX -v HEX --tag 0=FILE"}},
      {{"missing.raw", "junk.raw"}, {}, 2, {},
       {"otawrap: cannot open input file 'missing.raw': No such file or directory",
        "otawrap: input file 'junk.raw' is not raw firmware or Intel HEX (it looks like a text "
        "file); to wrap a file as it is: otawrap build -m HEX -t HEX -v HEX --tag 0=FILE"}},
  };
  for (const auto& c : cases) {
    for (const bool json : {false, true}) {
      std::vector<std::string> arguments = {"convert"};
      arguments.insert(arguments.end(), c.inputs.begin(), c.inputs.end());
      arguments.insert(arguments.end(), c.options.begin(), c.options.end());
      arguments.insert(arguments.end(), {"-o", "out"});
      if (json) arguments.push_back("--json");
      std::string label;
      for (const std::string& a : arguments) label += a + " ";
      SCOPED_TRACE(label);
      std::filesystem::remove_all(dir.file("out"));
      const ProcessResult r = runOtawrap(dir, arguments);
      EXPECT_EQ(r.exitCode, c.exitCode) << r.errors;
      const std::string summary = std::to_string(c.inputs.size()) + " files: " +
                                  std::to_string(c.written.size()) + " written, " +
                                  std::to_string(c.inputs.size() - c.written.size()) + " failed";
      std::vector<std::string> errors = c.errors;
      std::vector<std::string> expected;  // standard output, line by line
      for (const std::uint32_t version : c.written) expected.push_back("out/" + nameOf(version));
      if (json) {
        errors.push_back(summary);
      } else {
        expected.push_back(summary);
      }
      EXPECT_EQ(lines(r.errors), errors);
      std::vector<std::string> names;
      for (const std::uint32_t version : c.written) names.push_back(nameOf(version));
      std::sort(names.begin(), names.end());
      EXPECT_EQ(namesIn(dir.file("out")), names) << "no temporary, nothing of a failed input";
      EXPECT_EQ(std::filesystem::exists(dir.file("out")), !c.written.empty());
      if (!json) {
        EXPECT_EQ(lines(r.output), expected);
        continue;
      }
      // One object per input in input order: written ones name their output.
      const std::vector<std::string> objects = lines(r.output);
      ASSERT_EQ(objects.size(), c.inputs.size()) << r.output;
      std::size_t next = 0;
      for (std::size_t i = 0; i < objects.size(); ++i) {
        const auto parsed = test::parseJson(objects[i]);
        ASSERT_TRUE(parsed.has_value()) << objects[i];
        EXPECT_EQ((*parsed)["file"].ascii(), c.inputs[i]);
        if ((*parsed)["ok"].boolean) {
          ASSERT_LT(next, c.written.size());
          EXPECT_EQ((*parsed)["path"].ascii(), "out/" + nameOf(c.written[next++]));
        } else {
          EXPECT_TRUE(parsed->has("error"));
        }
      }
      EXPECT_EQ(next, c.written.size());
    }
    // Every file written equals the one-input run's.
    for (const std::uint32_t version : c.written) {
      const char* input = version == 1 ? "a.raw" : version == 2 ? "b.raw" : "c.raw";
      EXPECT_EQ(test::readFileBytes(dir.file("out/" + nameOf(version))),
                singleRun(dir, input, c.options))
          << input;
    }
  }
}

TEST(ConvertBatchEndToEnd, OneNameForTwoInputsWritesNothing) {
  TempDirectory dir;
  makeInputs(dir);
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {{"a.raw", "b.raw", "twin.raw"}, "inputs 'a.raw' and 'twin.raw'"},
      {{"a.raw", "a.raw"}, "inputs 'a.raw' and 'a.raw'"},
      {{"b.raw", "c.raw", "-v", "7"}, "inputs 'b.raw' and 'c.raw'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
    std::vector<std::string> arguments = {"convert", "-o", "new/out"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const ProcessResult r = runOtawrap(dir, arguments);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.output, "");
    const std::string version = c.arguments.back() == "7" ? "00000007" : "00000001";
    EXPECT_EQ(r.errors, "otawrap: " + c.error + " would both be written as 'new/out/100B-0042-" +
                            version + ".zigbee'; nothing written\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("new"))) << "the directories it made are gone";
  }
}

TEST(ConvertBatchEndToEnd, NoClobberAndAFailedWriteStopOnlyTheirInput) {
  TempDirectory dir;
  makeInputs(dir);
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("out")));
  const Bytes kept = {'k', 'e', 'p', 't'};
  ASSERT_TRUE(test::writeFileBytes(dir.file("out/" + nameOf(2)), kept));
  const ProcessResult noClobber =
      runOtawrap(dir, {"convert", "a.raw", "b.raw", "c.raw", "-o", "out", "--no-clobber", "-q"});
  EXPECT_EQ(noClobber.exitCode, 2);
  EXPECT_EQ(noClobber.output, "") << "-q prints neither paths nor the summary";
  EXPECT_EQ(noClobber.errors,
            "otawrap: output file 'out/" + nameOf(2) + "' exists; --no-clobber keeps it\n");
  EXPECT_EQ(test::readFileBytes(dir.file("out/" + nameOf(2))), kept);
  EXPECT_EQ(test::readFileBytes(dir.file("out/" + nameOf(3))), singleRun(dir, "c.raw", {}));

  // The output of big.raw passes the file size limit; the small ones do not.
  test::ProcessOptions limited;
  limited.fileSizeLimit = 64 * 1024;
  const ProcessResult full = runOtawrap(dir, {"convert", "big.raw", "a.raw", "-o", "lim"}, limited);
  EXPECT_EQ(full.exitCode, 2);
  EXPECT_EQ(lines(full.errors),
            std::vector<std::string>{"otawrap: cannot write output file 'lim/" + nameOf(4) +
                                     "': File too large"});
  EXPECT_EQ(namesIn(dir.file("lim")), std::vector<std::string>{nameOf(1)})
      << "no temporary of big.raw is left";
}

}  // namespace
}  // namespace otawrap
