// Decoding index entries of both formats, and joining URLs.
#include <gtest/gtest.h>

#include "catalog/index_entry.h"
#include "catalog_test_util.h"

namespace otawrap {
namespace {

TEST(IndexEntry, DecodesEveryHerdsmanField) {
  const auto e = entriesOf(
      R"([{"fileName":"a.ota","fileVersion":4294967295,"fileSize":300,"url":"https://h/a.ota",)"
      R"("imageType":65535,"manufacturerCode":4107,"sha512":"ab","otaHeaderString":"s",)"
      R"("hardwareVersionMin":1,"hardwareVersionMax":2,"modelId":"M","manufacturerName":["x","y"],)"
      R"("minFileVersion":3,"maxFileVersion":4,"force":true,"releaseNotes":"r","originalUrl":"o",)"
      R"("unknown":{"kept":[1]}}])");
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(*e[0].fileName, "a.ota");
  EXPECT_EQ(*e[0].fileVersion, 4294967295u);
  EXPECT_EQ(*e[0].fileSize, 300u);
  EXPECT_EQ(e[0].url, "https://h/a.ota");
  EXPECT_EQ(*e[0].imageType, 65535);
  EXPECT_EQ(*e[0].manufacturerCode, 4107);
  EXPECT_EQ(*e[0].hardwareVersionMax, 2);
  EXPECT_EQ(*e[0].modelId, "M");
  EXPECT_EQ(e[0].manufacturerNames->size(), 2u);
  EXPECT_EQ(*e[0].maxFileVersion, 4u);
  EXPECT_TRUE(e[0].force);
  EXPECT_EQ(*e[0].originalUrl, "o");
}

TEST(IndexEntry, DecodesTheZigpyList) {
  const auto e = entriesOf(
      R"([{"fw_binary_url":"u","fw_file_version":9,"fw_filesize":10,"fw_image_type":1,)"
      R"("fw_manufacturer_id":2}])",
      IndexFormat::zigpy);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].url, "u");
  EXPECT_EQ(*e[0].fileVersion, 9u);
  EXPECT_EQ(*e[0].fileSize, 10u);
  EXPECT_EQ(*e[0].imageType, 1);
  EXPECT_EQ(*e[0].manufacturerCode, 2);
}

TEST(IndexEntry, RefusesWrongTypesRangesAndMissingFields) {
  const struct {
    const char* text;
    IndexFormat format;
    IndexEntryStatus status;
    std::size_t entry;
    const char* field;
  } cases[] = {
      {R"({"url":"u"})", IndexFormat::herdsman, IndexEntryStatus::notObject, 0, ""},
      {R"([{"url":"u"},3])", IndexFormat::herdsman, IndexEntryStatus::notObject, 1, ""},
      {R"([{"fileName":"a"}])", IndexFormat::herdsman, IndexEntryStatus::missingField, 0, "url"},
      {R"([{"url":"u","imageType":"1"}])", IndexFormat::herdsman, IndexEntryStatus::wrongType, 0, "imageType"},
      {R"([{"url":"u","imageType":65536}])", IndexFormat::herdsman, IndexEntryStatus::outOfRange, 0, "imageType"},
      {R"([{"url":"u","fileVersion":-1}])", IndexFormat::herdsman, IndexEntryStatus::outOfRange, 0, "fileVersion"},
      {R"([{"url":"u","fileVersion":1.5}])", IndexFormat::herdsman, IndexEntryStatus::outOfRange, 0, "fileVersion"},
      {R"([{"url":"u","manufacturerName":"x"}])", IndexFormat::herdsman, IndexEntryStatus::wrongType, 0, "manufacturerName"},
      {R"([{"url":"u","manufacturerName":[1]}])", IndexFormat::herdsman, IndexEntryStatus::wrongType, 0, "manufacturerName"},
      {R"([{"url":"u","force":1}])", IndexFormat::herdsman, IndexEntryStatus::wrongType, 0, "force"},
      {R"([{"fw_binary_url":"u","fw_file_version":1,"fw_image_type":1}])", IndexFormat::zigpy,
       IndexEntryStatus::missingField, 0, "fw_manufacturer_id"},
  };
  for (const auto& c : cases) {
    const std::string text = c.text;
    JsonValue root;
    ASSERT_EQ(jsonParse(text.data(), text.size(), root).status, JsonStatus::ok) << text;
    std::vector<IndexEntry> entries;
    IndexDecodeError error;
    EXPECT_FALSE(indexDecode(root, c.format, entries, error)) << text;
    EXPECT_EQ(error.status, c.status) << text;
    EXPECT_EQ(error.entry, c.entry) << text;
    EXPECT_EQ(error.field, c.field) << text;
  }
}

TEST(IndexEntry, TellsTheFormatFromTheFirstEntry) {
  const struct {
    const char* text;
    IndexFormat format;
  } cases[] = {
      {"[]", IndexFormat::herdsman},
      {R"([{"url":"u"}])", IndexFormat::herdsman},
      {R"([{"fw_binary_url":"u"}])", IndexFormat::zigpy},
  };
  for (const auto& c : cases) {
    JsonValue root;
    jsonParse(c.text, std::char_traits<char>::length(c.text), root);
    EXPECT_EQ(indexFormatOf(root), c.format) << c.text;
  }
}

TEST(IndexEntry, JoinsUrlsWithExactlyOneSlash) {
  const struct {
    const char* prefix;
    const char* name;
    const char* url;
  } cases[] = {
      {"https://x/ota", "a.ota", "https://x/ota/a.ota"},
      {"https://x/ota/", "a.ota", "https://x/ota/a.ota"},
      {"https://x/ota//", "/a.ota", "https://x/ota/a.ota"},
      {"", "a.ota", "a.ota"},
      {"files", "a.ota", "files/a.ota"},
  };
  for (const auto& c : cases) EXPECT_EQ(indexJoinUrl(c.prefix, c.name), c.url) << c.prefix;
}

}  // namespace
}  // namespace otawrap
