// Every command that writes files, end to end through the built binary: what
// it does with each kind of entry at its output name, with names taken in
// extract's directory, with a report it cannot print, and when a signal or a
// failed write ends a many-file extract. A failed run leaves the tree as it
// found it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ota/ota_file_builder.h"
#include "support/ca_vectors.h"
#include "support/otawrap_run.h"
#include "support/process_control.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;
using test::TempDirectory;
using test::runOtawrap;
using test::tree;

// The inputs of every writing command: a raw file, a payload and a plain OTA
// file with two sub-elements.
void writeInputs(const TempDirectory& dir) {
  test::RawGeneratorOptions options;
  options.seed = 57;
  options.dataBytes = 3000;
  ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"),
                                   test::rawFileBytes(test::generateRawFile(options))));
  ASSERT_TRUE(test::writeFileBytes(dir.file("p.bin"), Bytes(300, 0x3C)));
  ASSERT_TRUE(test::writeFileBytes(
      dir.file("plain.ota"),
      test::builtOtaFile({{0xF000, Bytes(200, 0x11)}, {0xF001, Bytes(100, 0x22)}})));
}

struct Writer {
  const char* what;
  std::vector<std::string> arguments;  // the output name is "t" (the legacy form: its own)
  const char* target;
  bool legacy;
};

const std::vector<Writer>& writers() {
  static const std::vector<Writer> list = {
      {"convert", {"convert", "in.raw", "--output", "t"}, "t", false},
      {"build", {"build", "-m1", "-t2", "-v3", "--tag", "F000=p.bin", "--output", "t"}, "t", false},
      {"normalize", {"normalize", "plain.ota", "--output", "t"}, "t", false},
      {"extract --tag", {"extract", "plain.ota", "--tag", "F000", "--output", "t"}, "t", false},
      {"legacy form", {"in.raw", "-m100B", "-t0042", "-v00000001"}, "100B-0042-00000001.zigbee", true},
  };
  return list;
}

enum class Kind { regular, unreadable, symlinkToFile, danglingSymlink, fifo, deviceNode, directory };

// Puts an entry of that kind at path; a symlink to a file leads to "kept"
// beside it, which holds "old" as a regular file does.
bool makeEntry(const std::string& path, Kind kind) {
  const Bytes old = {'o', 'l', 'd'};
  const std::string kept = std::filesystem::path(path).parent_path().string() + "/kept";
  switch (kind) {
    case Kind::regular:
      return test::writeFileBytes(path, old);
    case Kind::unreadable:
      return test::writeFileBytes(path, old) && chmod(path.c_str(), 0) == 0;
    case Kind::symlinkToFile:
      return test::writeFileBytes(kept, old) && symlink("kept", path.c_str()) == 0;
    case Kind::danglingSymlink:
      return symlink("missing", path.c_str()) == 0;
    case Kind::fifo:
      return mkfifo(path.c_str(), 0600) == 0;
    case Kind::deviceNode:  // like /dev/full (1,7), made in a temporary directory only
      return mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0;
    case Kind::directory:
      return mkdir(path.c_str(), 0700) == 0;
  }
  return false;
}

TEST(OutputTargets, KindsTable) {
  struct Case {
    const char* what;
    Kind kind;
    bool written;
    const char* message;  // after "otawrap: output 't'"; the legacy form's is fixed
  } cases[] = {
      {"regular file", Kind::regular, true, ""},
      {"symlink to a file", Kind::symlinkToFile, true, ""},
      {"FIFO", Kind::fifo, false, " is not a regular file"},
      {"device node", Kind::deviceNode, false, " is not a regular file"},
      {"directory", Kind::directory, false, ""},
  };
  for (const Case& c : cases) {
    if (c.kind == Kind::deviceNode && geteuid() != 0) {
      std::printf("skipped: device node rows need root (mknod)\n");
      continue;
    }
    for (const Writer& writer : writers()) {
      SCOPED_TRACE(std::string(c.what) + ", " + writer.what);
      TempDirectory dir;
      writeInputs(dir);
      const std::string target = dir.file(writer.target);
      ASSERT_TRUE(makeEntry(target, c.kind));
      const std::vector<std::string> before = tree(dir.path());
      const ProcessResult run = runOtawrap(dir, writer.arguments);
      struct stat status;
      ASSERT_EQ(lstat(target.c_str(), &status), 0);
      if (c.written) {
        EXPECT_EQ(run.exitCode, 0) << run.errors << run.output;
        EXPECT_TRUE(S_ISREG(status.st_mode));
        EXPECT_GT(status.st_size, 3);
        if (c.kind == Kind::symlinkToFile) {
          EXPECT_EQ(test::readFileBytes(dir.file("kept")), (Bytes{'o', 'l', 'd'}));
        }
        continue;
      }
      EXPECT_EQ(run.exitCode, 2);
      EXPECT_EQ(tree(dir.path()), before);  // nothing written, no temporary
      EXPECT_FALSE(S_ISREG(status.st_mode));
      if (writer.legacy) {
        EXPECT_EQ(run.output, "Error: Unable to open output file");
      } else if (c.kind == Kind::directory) {
        EXPECT_EQ(run.errors, "otawrap: cannot create output file 't': Is a directory\n");
      } else {
        EXPECT_EQ(run.errors, std::string("otawrap: output 't'") + c.message + "\n");
      }
    }
  }
}

// --no-clobber: any entry at the name is refused and kept as it was; a free
// name is written as without it.
TEST(OutputTargets, NoClobberTable) {
  struct Case {
    const char* what;
    bool present;
    Kind kind;
  } cases[] = {
      {"free name", false, Kind::regular},
      {"regular file", true, Kind::regular},
      {"dangling symlink", true, Kind::danglingSymlink},
      {"symlink to a file", true, Kind::symlinkToFile},
  };
  for (const Case& c : cases) {
    for (const Writer& writer : writers()) {
      if (writer.legacy) continue;  // the legacy form has no --no-clobber
      SCOPED_TRACE(std::string(c.what) + ", " + writer.what);
      TempDirectory dir;
      writeInputs(dir);
      if (c.present) {
        ASSERT_TRUE(makeEntry(dir.file("t"), c.kind));
      }
      const std::vector<std::string> before = tree(dir.path());
      std::vector<std::string> arguments = writer.arguments;
      arguments.push_back("--no-clobber");
      const ProcessResult run = runOtawrap(dir, arguments);
      if (!c.present) {
        EXPECT_EQ(run.exitCode, 0) << run.errors;
        EXPECT_EQ(test::readFileBytes(dir.file("t")).empty(), false);
        EXPECT_EQ(run.output.rfind("t\n"), run.output.size() - 2) << run.output;  // the path, last
        continue;
      }
      EXPECT_EQ(run.exitCode, 2);
      EXPECT_EQ(run.errors, "otawrap: output file 't' exists; --no-clobber keeps it\n");
      EXPECT_EQ(tree(dir.path()), before);
      if (c.kind != Kind::danglingSymlink) {
        EXPECT_EQ(test::readFileBytes(dir.file("t")), (Bytes{'o', 'l', 'd'}));
      }
    }
  }
}

// extract --output-dir: any entry at one of its names stops it before it
// writes, whether the file could be read or the symlink leads anywhere.
TEST(OutputTargets, ExtractNameCollisionsTable) {
  struct Case {
    const char* what;
    const char* name;
    Kind kind;
  } cases[] = {
      {"mode-000 file", "00-F000.bin", Kind::unreadable},
      {"dangling symlink", "00-F000.bin", Kind::danglingSymlink},
      {"symlink to a file", "01-F001.bin", Kind::symlinkToFile},
      {"directory", "01-F001.bin", Kind::directory},
      {"FIFO", "00-F000.bin", Kind::fifo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDirectory dir;
    writeInputs(dir);
    ASSERT_EQ(mkdir(dir.file("out").c_str(), 0700), 0);
    const std::string entry = dir.file("out/" + std::string(c.name));
    ASSERT_TRUE(makeEntry(entry, c.kind));
    const std::vector<std::string> before = tree(dir.path());
    const ProcessResult run = runOtawrap(dir, {"extract", "plain.ota", "-o", "out"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errors, "otawrap: output file 'out/" + std::string(c.name) +
                              "' exists; extract into a new or empty directory\n");
    EXPECT_EQ(tree(dir.path()), before);
    if (c.kind == Kind::unreadable) {
      ASSERT_EQ(chmod(entry.c_str(), 0600), 0);
      EXPECT_EQ(test::readFileBytes(entry), (Bytes{'o', 'l', 'd'}));
    }
  }
}

// A report that cannot be printed fails the run, and the run leaves nothing:
// no file, no directory it created, an existing target as it was; a pipe
// whose reader has gone is a lost report, not the end of the process.
TEST(OutputTargets, LostReportLeavesNothingTable) {
  const std::vector<std::vector<std::string>> commands = {
      {"convert", "in.raw", "-o", "new/dir"},
      {"convert", "in.raw", "--output", "kept"},
      {"convert", "in.raw", "--output", "kept", "--json"},
      {"build", "-m1", "-t2", "-v3", "--tag", "F000=p.bin", "-o", "new"},
      {"normalize", "plain.ota", "-o", "new"},
      {"restamp", "plain.ota", "-v", "5", "-o", "new/dir"},
      {"extract", "plain.ota", "-o", "new/dir"},
      {"extract", "plain.ota", "--tag", "F001", "--output", "kept"},
  };
  for (const auto standardOutput : {test::StandardOutput::closed, test::StandardOutput::unread,
                                    test::StandardOutput::readerGone}) {
    for (const auto& arguments : commands) {
      SCOPED_TRACE(arguments[0] + " " + arguments.back());
      TempDirectory dir;
      writeInputs(dir);
      ASSERT_TRUE(test::writeFileBytes(dir.file("kept"), {'o', 'l', 'd'}));
      const std::vector<std::string> before = tree(dir.path());
      test::ProcessOptions options;
      options.standardOutput = standardOutput;
      const ProcessResult run = runOtawrap(dir, arguments, options);
      EXPECT_EQ(run.exitCode, 2);
      EXPECT_EQ(run.errors, "otawrap: cannot write to standard output\n");
      EXPECT_EQ(tree(dir.path()), before);
      EXPECT_EQ(test::readFileBytes(dir.file("kept")), (Bytes{'o', 'l', 'd'}));
    }
  }
  // The legacy form as it always was: nothing printed on success, a usage
  // text it cannot print ends it by SIGPIPE.
  TempDirectory dir;
  writeInputs(dir);
  const ProcessResult legacy =
      runOtawrap(dir, {"in.raw", "-m100B", "-t0042", "-v00000001"}, test::StandardOutput::readerGone);
  EXPECT_EQ(legacy.exitCode, 0);
  EXPECT_FALSE(test::readFileBytes(dir.file("100B-0042-00000001.zigbee")).empty());
  EXPECT_EQ(runOtawrap(dir, {"in.raw", "-x"}, test::StandardOutput::readerGone).exitCode, -SIGPIPE);
}

// An OTA file of count sub-elements of size bytes each.
Bytes manyElementFile(std::size_t count, std::size_t size) {
  std::vector<test::BuiltSubElement> elements;
  for (std::size_t i = 0; i < count; ++i) {
    elements.push_back({static_cast<std::uint16_t>(0xF000 + i), Bytes(size, static_cast<std::uint8_t>(i))});
  }
  return test::builtOtaFile(elements);
}

// The signal's default action for the test's lifetime, in case the suite
// was started with it ignored (the tool would keep ignoring it).
class DefaultAction {
 public:
  explicit DefaultAction(int signal) : signal_(signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigaction(signal_, &action, &saved_);
  }
  ~DefaultAction() { sigaction(signal_, &saved_, nullptr); }
  DefaultAction(const DefaultAction&) = delete;
  DefaultAction& operator=(const DefaultAction&) = delete;

 private:
  int signal_;
  struct sigaction saved_ {};
};

// A signal once an extract of 1,000 files has begun writing: the process
// dies of it and leaves neither files nor the directories it created.
TEST(OutputTargets, SignalDuringALargeExtractLeavesNothing) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const DefaultAction defaults(signal);
    TempDirectory dir;
    ASSERT_TRUE(test::writeFileBytes(dir.file("big.ota"), manyElementFile(1000, 16384)));
    const test::RunningProcess process =
        test::startProcess(OTAWRAP_BINARY, {"extract", "big.ota", "-o", "new/out"}, dir.path());
    ASSERT_NE(process.pid, -1);
    // Polled, not timed: the moment the first file of the run appears.
    const std::string out = dir.file("new/out");
    bool started = false;
    for (int i = 0; i < 20000 && !started; ++i) {
      std::error_code error;
      started = std::filesystem::exists(out, error) &&
                std::filesystem::directory_iterator(out, error) != std::filesystem::directory_iterator();
      if (!started) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    test::signalProcess(process, signal);
    const int exitCode = test::waitProcess(process);
    ASSERT_TRUE(started);
    EXPECT_EQ(exitCode, -signal) << "the run ended before the signal";
    EXPECT_EQ(tree(dir.path()), std::vector<std::string>{"big.ota"});
  }
}

// A signal while an external signer runs (a terminal's Ctrl-C reaches only
// otawrap's process group, not the signer's own) ends the signer too: no
// signer outlives the run, and nothing is written.
TEST(OutputTargets, SignalDuringAnExternalSignerEndsTheSigner) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    const DefaultAction defaults(signal);
    TempDirectory dir;
    test::writeText(dir.file("cert.txt"),
                    test::caText(test::kCaSuite2.caKey, test::kCaSuite2.certificate, "", ""));
    const test::RunningProcess process = test::startProcess(
        OTAWRAP_BINARY,
        {"convert", test::examplesDir() + "sample.raw", "--output", "out.ota", "--certificate",
         "cert.txt", "--signer-command", "echo $$ > signer.pid; exec sleep 60"},
        dir.path());
    ASSERT_NE(process.pid, -1);
    std::string signer;
    for (int i = 0; i < 20000 && signer.empty(); ++i) {
      signer = test::readText(dir.file("signer.pid"));
      if (signer.empty()) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    test::signalProcess(process, signal);
    EXPECT_EQ(test::waitProcess(process), -signal);
    ASSERT_FALSE(signer.empty());
    EXPECT_NE(kill(std::stoi(signer), 0), 0) << "the signer outlived the run";
    EXPECT_EQ(tree(dir.path()), (std::vector<std::string>{"cert.txt", "signer.pid"}));
  }
}

// A write that fails midway (the file size limit) removes the files written
// and the directories the run created.
TEST(OutputTargets, FailedExtractRemovesItsDirectory) {
  TempDirectory dir;
  ASSERT_TRUE(test::writeFileBytes(dir.file("big.ota"), manyElementFile(20, 3000)));
  test::ProcessOptions options;
  options.fileSizeLimit = 2000;
  const ProcessResult run = runOtawrap(dir, {"extract", "big.ota", "-o", "a/b"}, options);
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.errors.rfind("otawrap: cannot write output file 'a/b/00-F000.bin': ", 0), 0u)
      << run.errors;
  EXPECT_EQ(tree(dir.path()), std::vector<std::string>{"big.ota"});
}

}  // namespace
}  // namespace otawrap
