// Whole-file reads for --info: contents across chunk boundaries, the size
// limit at its edge, and files that cannot be read. Exact reads of a file
// sized earlier: one that grew or shrank since is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <vector>

#include "app/input_file.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(InputFile, ReadsWholeFilesAndHonoursTheLimit) {
  test::TempDirectory dir;
  std::mt19937 rng(11);  // fixed seed
  const struct {
    std::size_t size;
    std::size_t limit;
    InputFileStatus status;
  } cases[] = {
      {0, 0, InputFileStatus::ok},
      {1, 1, InputFileStatus::ok},
      {1, 0, InputFileStatus::tooLarge},
      {65535, 1 << 20, InputFileStatus::ok},
      {65536, 65536, InputFileStatus::ok},  // exactly one chunk, at the limit
      {65537, 65536, InputFileStatus::tooLarge},
      {65537, 65537, InputFileStatus::ok},
      {200003, 200003, InputFileStatus::ok},
      {200003, 200002, InputFileStatus::tooLarge},
  };
  for (const auto& c : cases) {
    Bytes content(c.size);
    for (auto& b : content) b = static_cast<std::uint8_t>(rng());
    ASSERT_TRUE(test::writeFileBytes(dir.file("f"), content));
    Bytes read = {1, 2, 3};  // replaced, not appended to
    EXPECT_EQ(inputFileReadAll(dir.file("f"), c.limit, read), c.status) << c.size;
    if (c.status == InputFileStatus::ok) {
      EXPECT_EQ(read, content) << c.size;
    }
  }
}

TEST(InputFile, MissingFilesAndDirectoriesAreUnreadable) {
  test::TempDirectory dir;
  Bytes read;
  EXPECT_EQ(inputFileReadAll(dir.file("missing"), 1 << 20, read), InputFileStatus::unreadable);
  EXPECT_EQ(inputFileReadAll(dir.path(), 1 << 20, read), InputFileStatus::unreadable);
  EXPECT_EQ(inputFileReadAll("", 1 << 20, read), InputFileStatus::unreadable);
}

// The size a caller took earlier against the length the file has when read:
// the file grew or shrank in between, with no race needed to show it.
TEST(InputFile, ExactReadsRefuseAFileWhoseLengthChanged) {
  test::TempDirectory dir;
  std::mt19937 rng(12);  // fixed seed
  const struct {
    std::size_t length;  // what the file holds when read
    std::size_t size;    // what was taken before
    ExactReadStatus status;
  } cases[] = {
      {0, 0, ExactReadStatus::ok},
      {1, 1, ExactReadStatus::ok},
      {200003, 200003, ExactReadStatus::ok},
      {1, 0, ExactReadStatus::changedSize},          // grew from empty
      {200004, 200003, ExactReadStatus::changedSize},  // grew by a byte
      {300000, 200003, ExactReadStatus::changedSize},
      {200002, 200003, ExactReadStatus::changedSize},  // shrank by a byte
      {0, 5, ExactReadStatus::changedSize},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " read as " << c.size);
    Bytes content(c.length);
    for (auto& b : content) b = static_cast<std::uint8_t>(rng());
    ASSERT_TRUE(test::writeFileBytes(dir.file("f"), content));
    std::FILE* file = std::fopen(dir.file("f").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    Bytes read(c.size + 1, 0xA5);  // one guard byte behind the place
    int osError = -1;
    EXPECT_EQ(inputFileReadExactly(file, read.data(), c.size, osError), c.status);
    static_cast<void>(std::fclose(file));
    EXPECT_EQ(read.back(), 0xA5);
    if (c.status == ExactReadStatus::ok) {
      EXPECT_EQ(Bytes(read.begin(), read.end() - 1), content);
    }
  }
}

TEST(InputFile, ExactReadOfADirectoryIsUnreadable) {
  test::TempDirectory dir;
  std::FILE* file = std::fopen(dir.path().c_str(), "rb");
  if (file == nullptr) GTEST_SKIP() << "this system does not open directories as files";
  Bytes read(16);
  int osError = 0;
  EXPECT_EQ(inputFileReadExactly(file, read.data(), read.size(), osError),
            ExactReadStatus::unreadable);
  EXPECT_NE(osError, 0);
  static_cast<void>(std::fclose(file));
}

}  // namespace
}  // namespace otawrap
