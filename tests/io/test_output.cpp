// Output naming and the staged, published write, in a temporary directory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "io/file_system.h"
#include "io/output.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(OutputName, Table) {
  struct Case {
    std::uint16_t manufacturer, type;
    std::uint32_t version;
    const char* name;
  } cases[] = {
      {0x100B, 0x100A, 0x00000001, "100B-100A-00000001.zigbee"},
      {0, 0, 0, "0000-0000-00000000.zigbee"},
      {0xabcd, 0x00ef, 0xDEADBEEF, "ABCD-00EF-DEADBEEF.zigbee"},
      {0xFFFF, 0xFFFF, 0xFFFFFFFF, "*-*-*.zigbee"},
      {0xFFFE, 0xFFFF, 0xFFFFFFFE, "FFFE-*-FFFFFFFE.zigbee"},
      {0xFFFF, 0x0001, 0x0000FFFF, "*-0001-0000FFFF.zigbee"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(outputFileName(c.manufacturer, c.type, c.version), c.name);
  }
}

// Each kind of entry at the target name, per publish mode: what stage() and
// publish() report and what the directory holds afterwards. "new" is the
// written file; everything else must be as the row set it up.
TEST(OutputRun, TargetKindsTable) {
  enum class Setup { none, regular, danglingSymlink, symlinkToFile, unreadable, fifo, directory };
  struct Case {
    const char* what;
    Setup setup;
    FsPublish mode;
    OutputStatus status;  // of stage(), or of publish() when stage() is ok
    int osError;
    const char* content;  // what "t" holds afterwards ("" when not a regular file)
  } cases[] = {
      {"replace, nothing there", Setup::none, FsPublish::replace, OutputStatus::ok, 0, "new"},
      {"replace, a regular file", Setup::regular, FsPublish::replace, OutputStatus::ok, 0, "new"},
      {"replace, a dangling symlink", Setup::danglingSymlink, FsPublish::replace,
       OutputStatus::ok, 0, "new"},
      {"replace, a symlink to a file", Setup::symlinkToFile, FsPublish::replace,
       OutputStatus::ok, 0, "new"},
      {"replace, a FIFO", Setup::fifo, FsPublish::replace, OutputStatus::notRegularFile, 0, ""},
      {"replace, a directory", Setup::directory, FsPublish::replace, OutputStatus::cannotCreate,
       EISDIR, ""},
      {"exclusive, nothing there", Setup::none, FsPublish::exclusive, OutputStatus::ok, 0, "new"},
      {"exclusive, a regular file", Setup::regular, FsPublish::exclusive, OutputStatus::exists, 0,
       "old"},
      {"exclusive, a dangling symlink", Setup::danglingSymlink, FsPublish::exclusive,
       OutputStatus::exists, 0, ""},
      {"exclusive, a mode-000 file", Setup::unreadable, FsPublish::exclusive,
       OutputStatus::exists, 0, "old"},
      {"exclusive, a FIFO", Setup::fifo, FsPublish::exclusive, OutputStatus::exists, 0, ""},
  };
  const Bytes data = {'n', 'e', 'w'};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDirectory dir;
    const std::string t = dir.file("t");
    switch (c.setup) {
      case Setup::none:
        break;
      case Setup::regular:
      case Setup::unreadable:
        ASSERT_TRUE(test::writeFileBytes(t, {'o', 'l', 'd'}));
        if (c.setup == Setup::unreadable) {
          ASSERT_EQ(chmod(t.c_str(), 0), 0);
        }
        break;
      case Setup::danglingSymlink:
        ASSERT_EQ(symlink("missing", t.c_str()), 0);
        break;
      case Setup::symlinkToFile:
        ASSERT_TRUE(test::writeFileBytes(dir.file("other"), {'o', 'l', 'd'}));
        ASSERT_EQ(symlink("other", t.c_str()), 0);
        break;
      case Setup::fifo:
        ASSERT_EQ(mkfifo(t.c_str(), 0600), 0);
        break;
      case Setup::directory:
        ASSERT_EQ(mkdir(t.c_str(), 0700), 0);
        break;
    }
    const std::vector<std::string> before = dir.entries();
    {
      OutputRun run(c.mode);
      OutputResult result = run.stage({dir.path() + "/", "t"}, data.data(), data.size());
      if (result.status == OutputStatus::ok) result = run.publish();
      EXPECT_EQ(result.status, c.status);
      EXPECT_EQ(result.osError, c.osError);
      if (c.status != OutputStatus::ok) {
        EXPECT_EQ(result.failedPath, t);
      }
    }
    if (c.status != OutputStatus::ok) {
      // cppcheck-suppress knownConditionTrueFalse ; the run above changed the directory
      EXPECT_EQ(dir.entries(), before);  // no temporary left
    }
    struct stat status;
    ASSERT_EQ(lstat(t.c_str(), &status), 0);
    if (std::string(c.content).empty()) {
      EXPECT_FALSE(S_ISREG(status.st_mode));
    } else {
      ASSERT_TRUE(S_ISREG(status.st_mode));
      if (c.setup == Setup::unreadable) {
        ASSERT_EQ(chmod(t.c_str(), 0600), 0);
      }
      const Bytes content = test::readFileBytes(t);
      EXPECT_EQ(std::string(content.begin(), content.end()), c.content);
    }
    if (c.setup == Setup::symlinkToFile) {  // the symlink's target is untouched
      EXPECT_EQ(test::readFileBytes(dir.file("other")), (Bytes{'o', 'l', 'd'}));
    }
  }
}

// Directories: created ones go again when the run fails or is dropped, an
// existing one stays; a file where a directory should be is ENOTDIR; the
// legacy form's directory must exist.
TEST(OutputRun, DirectoriesTable) {
  struct Case {
    const char* what;
    const char* directory;  // below the temporary directory
    OutputDirectories directories;
    bool publish;
    OutputStatus status;
    int osError;
    std::vector<std::string> entries;  // of the temporary directory afterwards
  } cases[] = {
      {"created and kept", "a/b/", OutputDirectories::create, true, OutputStatus::ok, 0, {"a", "f"}},
      {"created, run dropped", "a/b/", OutputDirectories::create, false, OutputStatus::ok, 0, {"f"}},
      {"existing, run dropped", "", OutputDirectories::create, false, OutputStatus::ok, 0, {"f"}},
      {"a file in the way", "f/b/", OutputDirectories::create, true,
       OutputStatus::cannotCreateDirectory, ENOTDIR, {"f"}},
      {"must exist, missing", "a/", OutputDirectories::mustExist, true,
       OutputStatus::cannotCreate, ENOENT, {"f"}},
  };
  const Bytes data(5000, 0x5A);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDirectory dir;
    ASSERT_TRUE(test::writeFileBytes(dir.file("f"), {1}));
    const std::string directory = dir.path() + "/" + c.directory;
    {
      OutputRun run(FsPublish::exclusive, c.directories);
      OutputResult result = run.stage({directory, "x.bin"}, data.data(), data.size());
      if (result.status == OutputStatus::ok && c.publish) result = run.publish();
      EXPECT_EQ(result.status, c.status);
      EXPECT_EQ(result.osError, c.osError);
    }
    EXPECT_EQ(dir.entries(), c.entries);
    if (c.status == OutputStatus::ok && c.publish) {
      EXPECT_EQ(test::readFileBytes(directory + "x.bin"), data);
    }
  }
}

// A name taken between stage() and publish() is never replaced: the run
// fails, removes what it had published already and leaves the newcomer.
TEST(OutputRun, ExclusivePublishNeverReplacesANameThatAppeared) {
  test::TempDirectory dir;
  const std::string prefix = dir.path() + "/";
  const Bytes data = {1, 2, 3};
  {
    OutputRun run(FsPublish::exclusive);
    for (const char* name : {"a", "b", "c"}) {
      ASSERT_EQ(run.stage({prefix, name}, data.data(), data.size()).status, OutputStatus::ok);
    }
    ASSERT_TRUE(test::writeFileBytes(dir.file("b"), {9}));
    const OutputResult result = run.publish();
    EXPECT_EQ(result.status, OutputStatus::exists);
    EXPECT_EQ(result.failedPath, dir.file("b"));
  }
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"b"});
  EXPECT_EQ(test::readFileBytes(dir.file("b")), Bytes{9});
}

TEST(OutputTarget, SplitsAfterTheLastSeparator) {
  struct Case {
    const char* path;
    const char* directory;
    const char* name;
  } cases[] = {
      {"a.ota", "", "a.ota"},
      {"d/a.ota", "d/", "a.ota"},
      {"/x/y/z", "/x/y/", "z"},
      {"d/", "d/", ""},
  };
  for (const Case& c : cases) {
    const OutputTarget target = outputTargetOf(c.path);
    EXPECT_EQ(target.directory, c.directory) << c.path;
    EXPECT_EQ(target.name, c.name) << c.path;
    EXPECT_EQ(target.path(), c.path);
  }
}

// The sync calls: a regular file and a directory sync; a stream that cannot
// be synced (a pipe) reports the failure; a directory that cannot be opened
// has nothing to sync and is no failure.
TEST(OutputWrite, SyncCalls) {
  test::TempDirectory dir;
  const std::string prefix = dir.path() + kPathSeparator;
  std::string path;
  std::FILE* file = fsCreateTemporary(prefix, path);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(std::fputs("data", file) >= 0 && std::fflush(file) == 0);
  EXPECT_TRUE(fsSyncFile(file));
  EXPECT_EQ(std::fclose(file), 0);
  fsRemove(path);
  EXPECT_TRUE(dir.entries().empty());
  EXPECT_TRUE(fsSyncDirectory(prefix));
  EXPECT_TRUE(fsSyncDirectory(""));
  EXPECT_TRUE(fsSyncDirectory(prefix + "missing" + kPathSeparator));
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::FILE* stream = fdopen(ends[1], "w");
  ASSERT_NE(stream, nullptr);
  EXPECT_FALSE(fsSyncFile(stream));
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(close(ends[0]), 0);
}

}  // namespace
}  // namespace otawrap
