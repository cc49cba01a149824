// The words of the report: each check, reason and tag kind has a text of its
// own, so no two failures read alike and no reason prints empty; each tag
// range has its name.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>

#include "ota/tags.h"
#include "report/check_texts.h"

namespace otawrap {
namespace {

TEST(CheckTexts, EveryValueHasItsOwnText) {
  const struct {
    const char* table;
    std::size_t count;
    const char* (*text)(std::size_t);
  } tables[] = {
      {"checks", kOtaCheckCount,
       [](std::size_t i) { return otaCheckName(static_cast<OtaCheckId>(i)); }},
      // From 1 (none has no text) to the last enumerator.
      {"reasons", static_cast<std::size_t>(OtaReason::suite2NeedsCertificate),
       [](std::size_t i) { return otaReasonText(static_cast<OtaReason>(i + 1)); }},
      {"tag kinds", static_cast<std::size_t>(OtaTagKind::unknown) + 1,
       [](std::size_t i) { return otaTagKindName(static_cast<OtaTagKind>(i)); }},
  };
  for (const auto& t : tables) {
    std::set<std::string> seen;
    for (std::size_t i = 0; i < t.count; ++i) {
      const std::string text = t.text(i);
      EXPECT_FALSE(text.empty()) << t.table << " " << i;
      // "unknown" is what a value past its table reads (a tag kind's own name too).
      if (t.count != static_cast<std::size_t>(OtaTagKind::unknown) + 1) {
        EXPECT_NE(text, "unknown") << t.table << " " << i;
      }
      EXPECT_TRUE(seen.insert(text).second) << t.table << " " << i << ": " << text;
    }
  }
  EXPECT_STREQ(otaReasonText(OtaReason::none), "");
  // certificateNotSuite2 is the last reason: a newer one must move the bound above.
  EXPECT_STREQ(otaReasonText(static_cast<OtaReason>(
                   static_cast<std::size_t>(OtaReason::certificateNotSuite2) + 1)),
               "unknown");
}

TEST(CheckTexts, EveryTagRangeHasItsName) {
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
}

}  // namespace
}  // namespace otawrap
