// info and verify over several files (and directories with --recursive)
// through the built binary: one report per file in order, the summary line,
// JSON lines that each parse on their own, and the exit code the worst of the
// files'.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "ota/ota_file_builder.h"
#include "support/otawrap_run.h"
#include "support/payload_generator.h"
#include "support/process_control.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::TempDirectory;
using test::examplesDir;
using test::runOtawrap;
using test::lines;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// good.ota and signed.ota pass every check (signed.ota is signed with the
// TEST credentials of examples/), bad.ota fails its GBL payload check,
// dir/ is a directory, missing.ota does not exist; tree/ holds b.ota (bad),
// a.ota (good), sub/c.ota (good), link.ota (a link to good.ota) and loop (a
// link to tree itself), walked as a.ota, b.ota, link.ota, sub/c.ota: a link
// to a file counts, a link to a directory is not followed.
void makeFiles(const TempDirectory& dir) {
  Bytes gbl = test::makePayload(PayloadFormat::gbl, 51);
  ASSERT_TRUE(test::writeFileBytes(dir.file("good.ota"), test::builtOtaFile({{0x0000, gbl}})));
  gbl[gbl.size() / 2] ^= 1;
  ASSERT_TRUE(test::writeFileBytes(dir.file("bad.ota"), test::builtOtaFile({{0x0000, gbl}})));
  const ProcessResult made = runOtawrap(dir, {"convert", examplesDir() + "sample.raw", "-s",
                                           examplesDir() + "test-credentials.txt", "--output",
                                           "signed.ota"});
  ASSERT_EQ(made.exitCode, 0) << made.errors;
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=good.ota",
                          "-o", "dir"})
                .exitCode,
            0);
  ASSERT_TRUE(std::filesystem::create_directories(dir.file("tree/sub")));
  std::filesystem::copy_file(dir.file("bad.ota"), dir.file("tree/b.ota"));
  std::filesystem::copy_file(dir.file("good.ota"), dir.file("tree/a.ota"));
  std::filesystem::copy_file(dir.file("good.ota"), dir.file("tree/sub/c.ota"));
  std::filesystem::create_symlink("../good.ota", dir.file("tree/link.ota"));
  std::filesystem::create_directory_symlink(".", dir.file("tree/loop"));
}

TEST(BatchEndToEnd, ReportsSummaryAndWorstExitCode) {
  TempDirectory dir;
  makeFiles(dir);
  const std::string key = examplesDir() + "test-credentials.txt";
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string summary;  // the last line of standard output (text) or error (JSON)
    std::size_t reports;  // text reports or JSON lines on standard output
    std::size_t errors;   // "otawrap: " lines on standard error
    std::vector<std::string> files;  // "file" of each JSON line; {} = the operands
  } cases[] = {
      {{"info", "good.ota", "signed.ota"}, 0, "2 files: 2 passed, 0 failed, 0 unreadable", 2, 0, {}},
      {{"info", "good.ota", "bad.ota", "good.ota"}, 1, "3 files: 2 passed, 1 failed, 0 unreadable", 3, 0, {}},
      {{"info", "bad.ota", "missing.ota", "good.ota"}, 2,
       "3 files: 1 passed, 1 failed, 1 unreadable", 2, 1, {}},
      // The directory's line and the hint at --recursive.
      {{"info", "dir", "good.ota"}, 2, "2 files: 1 passed, 0 failed, 1 unreadable", 1, 2, {}},
      {{"info", "good.ota", "bad.ota", "--no-payload-check"}, 0,
       "2 files: 2 passed, 0 failed, 0 unreadable", 2, 0, {}},
      {{"verify", "signed.ota", "signed.ota", "-s", key}, 0,
       "2 files: 2 passed, 0 failed, 0 unreadable", 2, 0, {}},
      {{"verify", "signed.ota", "good.ota", "-s", key}, 1,
       "2 files: 1 passed, 1 failed, 0 unreadable", 2, 0, {}},
      {{"verify", "missing.ota", "signed.ota", "-s", key}, 2,
       "2 files: 1 passed, 0 failed, 1 unreadable", 1, 1, {}},
      {{"info", "-r", "tree"}, 1, "4 files: 3 passed, 1 failed, 0 unreadable", 4, 0,
       {"tree/a.ota", "tree/b.ota", "tree/link.ota", "tree/sub/c.ota"}},
      {{"info", "-r", "tree/"}, 1, "4 files: 3 passed, 1 failed, 0 unreadable", 4, 0,
       {"tree/a.ota", "tree/b.ota", "tree/link.ota", "tree/sub/c.ota"}},
      {{"info", "good.ota", "--recursive", "tree/sub", "missing.ota"}, 2,
       "3 files: 2 passed, 0 failed, 1 unreadable", 2, 1,
       {"good.ota", "tree/sub/c.ota", "missing.ota"}},
      {{"info", "--recursive", "good.ota"}, 0, "1 file: 1 passed, 0 failed, 0 unreadable", 1, 0,
       {"good.ota"}},
      {{"verify", "-r", "tree/sub", "-s", key}, 1, "1 file: 0 passed, 1 failed, 0 unreadable", 1, 0,
       {"tree/sub/c.ota"}},
  };
  for (const auto& c : cases) {
    for (const bool json : {false, true}) {
      std::vector<std::string> arguments = c.arguments;
      if (json) arguments.push_back("--json");
      std::string label;
      for (const std::string& a : arguments) label += a + " ";
      SCOPED_TRACE(label);
      const ProcessResult r = runOtawrap(dir, arguments);
      EXPECT_EQ(r.exitCode, c.exitCode) << r.errors;
      EXPECT_EQ(count(r.errors, "otawrap: "), c.errors) << r.errors;
      if (!json) {
        ASSERT_FALSE(lines(r.output).empty());
        EXPECT_EQ(lines(r.output).back(), c.summary);
        EXPECT_EQ(count(r.output, "File: "), c.reports) << r.output;
        // Each report ends with an empty line; an unreadable file adds none.
        EXPECT_EQ(count(r.output, "\n\n"), c.reports) << r.output;
        continue;
      }
      ASSERT_FALSE(lines(r.errors).empty());
      EXPECT_EQ(lines(r.errors).back(), c.summary);
      // One object per file, each on its own line, in the order given.
      const std::vector<std::string> objects = lines(r.output);
      std::vector<std::string> files = c.files;
      if (c.files.empty()) {  // the operands come first, then the options
        for (std::size_t i = 1; i < c.arguments.size() && c.arguments[i][0] != '-'; ++i) {
          files.push_back(c.arguments[i]);
        }
      }
      ASSERT_EQ(objects.size(), files.size());
      std::size_t reports = 0;
      for (std::size_t i = 0; i < objects.size(); ++i) {
        const auto parsed = test::parseJson(objects[i]);
        ASSERT_TRUE(parsed.has_value()) << objects[i];
        EXPECT_EQ((*parsed)["file"].ascii(), files[i]);
        if (!parsed->has("error")) {
          ++reports;
        } else {
          EXPECT_FALSE((*parsed)["ok"].boolean);
        }
      }
      EXPECT_EQ(reports, c.reports);
    }
  }
}

TEST(BatchEndToEnd, OneFileKeepsItsSingleReportAndABadKeyStopsBeforeAnyFile) {
  TempDirectory dir;
  makeFiles(dir);
  const ProcessResult single = runOtawrap(dir, {"info", "good.ota"});
  EXPECT_EQ(single.exitCode, 0);
  EXPECT_EQ(single.output.find(" files: "), std::string::npos) << single.output;
  EXPECT_EQ(single.output.find(" file: "), std::string::npos) << single.output;
  const ProcessResult badKey =
      runOtawrap(dir, {"verify", "signed.ota", "good.ota", "--public-key", "0Z"});
  EXPECT_EQ(badKey.exitCode, 2);
  EXPECT_EQ(badKey.output, "");
  EXPECT_EQ(count(badKey.errors, "otawrap: "), 1u) << badKey.errors;
}

// Writes bytes as walked/<21 directories of 200-byte names>/deep.ota, past
// PATH_MAX below any directory, made one directory at a time.
void makeDeepFile(const std::string& walked, const Bytes& bytes) {
  int directory = open(walked.c_str(), O_RDONLY | O_DIRECTORY);
  const std::string name(200, 'd');
  for (int level = 0; level < 21 && directory >= 0; ++level) {
    ASSERT_EQ(mkdirat(directory, name.c_str(), 0755), 0);
    const int next = openat(directory, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(directory);
    directory = next;
  }
  ASSERT_GE(directory, 0);
  const int file = openat(directory, "deep.ota", O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(file, 0);
  EXPECT_EQ(write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(file);
  close(directory);
}

// --recursive reads every entry below a directory, a file past PATH_MAX
// included, or says why it cannot with the system's reason, and the batch
// then exits 2. Root reads through permissions: the walk runs as user nobody
// when the tests run as root.
TEST(BatchEndToEnd, WalkReadsOrReportsEveryEntry) {
  TempDirectory dir;
  makeFiles(dir);
  namespace fs = std::filesystem;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  for (const char* sub : {"w/d000", "w/deep", "w/dnx"}) fs::create_directories(dir.file(sub));
  for (const char* file : {"w/a.ota", "w/dnx/c.ota"}) {
    fs::copy_file(dir.file("good.ota"), dir.file(file));
    fs::permissions(dir.file(file), fs::perms::all);
  }
  makeDeepFile(dir.file("w/deep"), test::readFileBytes(dir.file("good.ota")));
  fs::create_symlink("missing.ota", dir.file("w/gone.ota"));
  fs::create_symlink("loop", dir.file("w/loop"));
  ASSERT_EQ(chmod(dir.file("w/d000").c_str(), 0), 0);
  ASSERT_EQ(chmod(dir.file("w/dnx").c_str(), 0644), 0);  // listed, not entered
  test::ProcessOptions options;
  options.unprivileged = true;
  const ProcessResult r = runOtawrap(dir, {"info", "-r", "w"}, options);
  for (const char* sub : {"w/d000", "w/dnx"}) ASSERT_EQ(chmod(dir.file(sub).c_str(), 0755), 0);
  if ((r.exitCode == 126 || r.exitCode == 127) && r.output.empty()) {
    GTEST_SKIP() << "user nobody cannot run the built tool here";
  }
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.errors,
            "otawrap: cannot read 'w/d000': Permission denied\n"
            "otawrap: cannot read 'w/dnx/c.ota': Permission denied\n"
            "otawrap: cannot read 'w/gone.ota': No such file or directory\n"
            "otawrap: cannot read 'w/loop': Too many levels of symbolic links\n");
  EXPECT_EQ(count(r.output, "File: w/deep/" + std::string(200, 'd') + "/"), 1u);
  ASSERT_FALSE(lines(r.output).empty());
  EXPECT_EQ(lines(r.output).back(), "6 files: 2 passed, 0 failed, 4 unreadable");
}

TEST(BatchEndToEnd, ALostReportStopsTheBatchOnce) {
  TempDirectory dir;
  makeFiles(dir);
  const ProcessResult lost =
      runOtawrap(dir, {"info", "good.ota", "bad.ota", "good.ota"}, test::StandardOutput::closed);
  EXPECT_EQ(lost.exitCode, 2);
  EXPECT_EQ(lost.errors, "otawrap: cannot write to standard output\n");
}

}  // namespace
}  // namespace otawrap
