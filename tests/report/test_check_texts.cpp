// The words of the report: each check, reason and tag kind has a text of its
// own, so no two failures read alike and no reason prints empty.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>

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
      // From 1: none has no text.
      {"reasons", static_cast<std::size_t>(OtaReason::suite2NotVerifiable),
       [](std::size_t i) { return otaReasonText(static_cast<OtaReason>(i + 1)); }},
      {"tag kinds", static_cast<std::size_t>(OtaTagKind::unknown) + 1,
       [](std::size_t i) { return otaTagKindName(static_cast<OtaTagKind>(i)); }},
  };
  for (const auto& t : tables) {
    std::set<std::string> seen;
    for (std::size_t i = 0; i < t.count; ++i) {
      const std::string text = t.text(i);
      EXPECT_FALSE(text.empty()) << t.table << " " << i;
      EXPECT_TRUE(seen.insert(text).second) << t.table << " " << i << ": " << text;
    }
  }
  EXPECT_STREQ(otaReasonText(OtaReason::none), "");
}

}  // namespace
}  // namespace otawrap
