// The console's own output stream: what each printable type looks like, and
// that a failed write is remembered rather than lost.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/console.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

TEST(OutputStream, PrintsTextAndIntegersAsTheReportsNeedThem) {
  StringOutputStream out;
  out << "a" << std::string("b") << std::string_view("c") << 'd' << ' ' << 0 << ' ' << -1 << ' '
      << INT_MIN << ' ' << LLONG_MIN << ' ' << ULLONG_MAX << ' ' << 4294967295u << ' ' << 42L
      << ' ' << static_cast<unsigned long>(7);
  out.write("\0x", 2);
  EXPECT_EQ(out.str(), std::string("abcd 0 -1 -2147483648 -9223372036854775808 "
                                   "18446744073709551615 4294967295 42 7\0x", 81));
  EXPECT_TRUE(out);
}

TEST(OutputStream, AFailedWriteIsRememberedAndLaterOutputDropped) {
  const test::TempDirectory dir;
  const std::string path = dir.path() + "/read-only";
  std::FILE* create = std::fopen(path.c_str(), "wb");
  ASSERT_NE(create, nullptr);
  ASSERT_EQ(std::fclose(create), 0);
  std::FILE* file = std::fopen(path.c_str(), "rb");  // writes to it fail
  ASSERT_NE(file, nullptr);
  {
    FileOutputStream out(file);
    out << "lost";
    out.flush();
    EXPECT_FALSE(out);
    out << "also lost";
    EXPECT_FALSE(out.flush());
  }
  EXPECT_EQ(std::fclose(file), 0);
}

// The tool's start-up stays light only while nothing in it needs the C++
// locale: the stream and file-system headers of the standard library bring
// its set-up into the binary (a fifth of a short run).
TEST(OutputStream, TheToolIncludesNoHeaderThatBringsTheLocale) {
  const char* const kHeavy[] = {"<iostream>", "<ostream>", "<istream>", "<sstream>",
                                "<fstream>",  "<filesystem>", "<locale>", "<iomanip>"};
  const std::filesystem::path source = std::filesystem::path(OTAWRAP_DOCS_DIR).parent_path() / "src";
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(source)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("#include", 0) != 0) continue;
      for (const char* header : kHeavy) {
        EXPECT_EQ(line.find(header), std::string::npos) << entry.path() << ": " << line;
      }
    }
  }
  EXPECT_GT(files, 50u);
}

}  // namespace
}  // namespace otawrap
