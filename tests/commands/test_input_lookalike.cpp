// What convert names an input its raw reader gives up on.
#include <gtest/gtest.h>

#include <string>

#include "commands/input_lookalike.h"

namespace otawrap {
namespace {

TEST(InputLookalike, NamesCommonKindsAndNothingElse) {
  const struct {
    std::string head;
    const char* kind;
  } cases[] = {
      {std::string("\x1F\x8B\x08\x00", 4), "a gzip file"},
      {"PK\x03\x04rest", "a ZIP archive"},
      {"\x89PNG\r\n", "a PNG image"},
      {"MZ\x90", "a PE executable"},
      {"%PDF-1.7", "a PDF document"},
      {"hello\nworld\n", "a text file"},
      {std::string("\x01\x00\x80\xFF", 4), ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(inputLookalike(reinterpret_cast<const std::uint8_t*>(c.head.data()), c.head.size()), c.kind)
        << c.kind;
  }
}

}  // namespace
}  // namespace otawrap
