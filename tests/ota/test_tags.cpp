// Tag names: each standard tag, both ends of every range.
#include <gtest/gtest.h>

#include <string>

#include "ota/tags.h"
#include "report/check_texts.h"

namespace otawrap {
namespace {

TEST(OtaTags, EveryTagRangeHasItsName) {
  struct Case {
    std::uint32_t tag;
    const char* name;
  } const cases[] = {
      {0x0000, "upgrade image"},
      {0x0001, "ECDSA signature (crypto suite 1)"},
      {0x0002, "ECDSA signing certificate (crypto suite 1)"},
      {0x0003, "image integrity code"},
      {0x0004, "picture data"},
      {0x0005, "ECDSA signature (crypto suite 2)"},
      {0x0006, "ECDSA signing certificate (crypto suite 2)"},
      {0x0007, "unknown"},
      {0x0100, "unknown"},
      {0xEFFF, "unknown"},
      {0xF000, "manufacturer specific"},
      {0xF123, "manufacturer specific"},
      {0xFFFF, "manufacturer specific"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(otaTagKindName(otaTagKind(static_cast<std::uint16_t>(c.tag)))), c.name)
        << std::hex << c.tag;
  }
  // Every tag value maps to a name.
  for (std::uint32_t tag = 0; tag <= 0xFFFF; ++tag) {
    ASSERT_NE(otaTagKindName(otaTagKind(static_cast<std::uint16_t>(tag))), nullptr);
  }
}

}  // namespace
}  // namespace otawrap
