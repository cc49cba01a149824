// Output naming and the replace-by-rename write, in a temporary directory.
#include <gtest/gtest.h>

#include <unistd.h>

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

TEST(OutputWrite, WritesAndReplacesWholeFiles) {
  test::TempDirectory dir;
  const std::string prefix = dir.path() + kPathSeparator;
  const Bytes first(5000, 0x11);
  const Bytes second = {1, 2, 3};
  ASSERT_EQ(outputWriteFile(prefix, "a.zigbee", first.data(), first.size()), nullptr);
  EXPECT_EQ(test::readFileBytes(dir.file("a.zigbee")), first);
  ASSERT_EQ(outputWriteFile(prefix, "a.zigbee", second.data(), second.size()), nullptr);
  EXPECT_EQ(test::readFileBytes(dir.file("a.zigbee")), second);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"a.zigbee"});  // no temporary left
}

TEST(OutputWrite, FailuresLeaveNothingBehind) {
  test::TempDirectory dir;
  const std::string prefix = dir.path() + kPathSeparator;
  const Bytes data(100, 0x22);
  EXPECT_STREQ(outputWriteFile(prefix + "missing" + kPathSeparator, "a.zigbee", data.data(), data.size()),
               "Unable to open output file");
  // A directory of the target's name cannot be replaced by a file.
  std::filesystem::create_directory(dir.file("b.zigbee"));
  EXPECT_STREQ(outputWriteFile(prefix, "b.zigbee", data.data(), data.size()),
               "Unable to open output file");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"b.zigbee"});
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("b.zigbee")));
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
