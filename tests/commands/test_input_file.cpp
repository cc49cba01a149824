// Whole-file reads for --info: contents across chunk boundaries, the size
// limit at its edge, and files that cannot be read.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "commands/input_file.h"
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

}  // namespace
}  // namespace otawrap
