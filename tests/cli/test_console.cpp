// The console's own output stream: what each printable type looks like, and
// that a failed write is remembered rather than lost.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
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

}  // namespace
}  // namespace otawrap
