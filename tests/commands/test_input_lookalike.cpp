// What convert names an input its raw reader gives up on.
#include <gtest/gtest.h>

#include <string>

#include "app/input_lookalike.h"

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
      {"caf\xC3\xA9 cr\xC3\xA8me\r\n\tx", "a text file"},
      {"cut at the end \xE2\x82", "a text file"},
      {"latin-1 caf\xE9 here", ""},
      {std::string(3, '\x80'), ""},
      {"bell\x07", ""},
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
