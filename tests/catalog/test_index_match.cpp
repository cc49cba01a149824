// Match simulation: which entry each consumer offers a device, and why the
// others are passed over.
#include <gtest/gtest.h>

#include "catalog/index_match.h"
#include "catalog_test_util.h"

namespace otawrap {
namespace {

MatchDevice device(std::uint32_t version) {
  MatchDevice d;
  d.manufacturerCode = 1;
  d.imageType = 2;
  d.fileVersion = version;
  return d;
}

TEST(Match, HerdsmanTestsEachEntryInItsOrder) {
  const struct {
    const char* name;
    const char* entry;
    MatchDevice device;
    MatchReason reason;
  } cases[] = {
      {"match", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5})", device(1), MatchReason::matches},
      {"no ids", R"({"url":"u"})", device(1), MatchReason::noIdentifiers},
      {"type", R"({"url":"u","manufacturerCode":1,"imageType":3,"fileVersion":5})", device(1), MatchReason::imageType},
      {"manufacturer", R"({"url":"u","manufacturerCode":9,"imageType":2,"fileVersion":5})", device(1),
       MatchReason::manufacturerCode},
      {"min", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"minFileVersion":2})", device(1),
       MatchReason::belowMinFileVersion},
      {"max", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"maxFileVersion":0})", device(1),
       MatchReason::aboveMaxFileVersion},
      {"model", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"modelId":"M"})", device(1),
       MatchReason::modelId},
      {"empty model filters nothing", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"modelId":""})",
       device(1), MatchReason::matches},
      {"empty name list", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"manufacturerName":[]})",
       device(1), MatchReason::manufacturerName},
      {"no hardware version", R"({"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"hardwareVersionMax":9})",
       device(1), MatchReason::aboveHardwareMax},
  };
  for (const auto& c : cases) {
    const auto entries = entriesOf(std::string("[") + c.entry + "]");
    EXPECT_EQ(herdsmanEntryTest(entries[0], c.device), c.reason) << c.name;
  }
  MatchDevice named = device(1);
  named.modelId = "M";
  named.manufacturerName = "b";
  named.hardwareVersion = 3;
  const auto filtered = entriesOf(
      R"([{"url":"u","manufacturerCode":1,"imageType":2,"fileVersion":5,"modelId":"M",)"
      R"("manufacturerName":["a","b"],"hardwareVersionMin":3,"hardwareVersionMax":3}])");
  EXPECT_EQ(herdsmanEntryTest(filtered[0], named), MatchReason::matches);
}

TEST(Match, HerdsmanOffersTheFirstMatchOnlyWhenNewer) {
  const auto entries = entriesOf(
      R"([{"url":"a","manufacturerCode":1,"imageType":2,"fileVersion":3},)"
      R"({"url":"b","manufacturerCode":1,"imageType":2,"fileVersion":9},)"
      R"({"url":"c","manufacturerCode":1,"imageType":2,"fileVersion":2,"force":true,"minFileVersion":7}])");
  const struct {
    std::uint32_t version;
    MatchOutcome outcome;
    std::size_t chosen;
  } cases[] = {
      {1, MatchOutcome::offered, 0},
      {3, MatchOutcome::notNewer, 0},  // entry b is newer but never reached
      {8, MatchOutcome::notNewer, 0},
  };
  for (const auto& c : cases) {
    const MatchResult r = matchHerdsman(entries, device(c.version));
    EXPECT_EQ(r.outcome, c.outcome) << c.version;
    EXPECT_EQ(r.chosen, c.chosen) << c.version;
    EXPECT_EQ(r.reasons[1], MatchReason::shadowedByEarlierEntry) << c.version;
  }
  const MatchResult none = matchHerdsman(entries, MatchDevice{});
  EXPECT_EQ(none.outcome, MatchOutcome::noEntry);
  // force offers even an older image.
  const auto forced = entriesOf(R"([{"url":"c","manufacturerCode":1,"imageType":2,"fileVersion":2,"force":true}])");
  EXPECT_EQ(matchHerdsman(forced, device(8)).outcome, MatchOutcome::offered);
}

TEST(Match, ZigpyKeepsTheLastEntryOfAKey) {
  const auto entries = entriesOf(
      R"([{"fw_binary_url":"a","fw_manufacturer_id":1,"fw_image_type":2,"fw_file_version":9},)"
      R"({"fw_binary_url":"b","fw_manufacturer_id":1,"fw_image_type":2,"fw_file_version":4},)"
      R"({"fw_binary_url":"c","fw_manufacturer_id":1,"fw_image_type":3,"fw_file_version":4}])",
      IndexFormat::zigpy);
  const struct {
    std::uint32_t version;
    MatchOutcome outcome;
  } cases[] = {{1, MatchOutcome::offered}, {4, MatchOutcome::notNewer}, {5, MatchOutcome::notNewer}};
  for (const auto& c : cases) {
    const MatchResult r = matchZigpy(entries, device(c.version));
    EXPECT_EQ(r.outcome, c.outcome) << c.version;
    EXPECT_EQ(r.chosen, 1u);
    EXPECT_EQ(r.reasons[0], MatchReason::replacedByLaterEntry);
    EXPECT_EQ(r.reasons[2], MatchReason::imageType);
  }
  const auto ranged = entriesOf(
      R"([{"url":"a","manufacturerCode":1,"imageType":2,"fileVersion":9,"hardwareVersionMin":2,"hardwareVersionMax":3}])");
  MatchDevice d = device(1);
  EXPECT_EQ(matchZigpy(ranged, d).outcome, MatchOutcome::offered);  // no hardware version reported
  d.hardwareVersion = 4;
  EXPECT_EQ(matchZigpy(ranged, d).outcome, MatchOutcome::hardwareRange);
}

}  // namespace
}  // namespace otawrap
