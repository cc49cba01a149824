// index --update: replaced entries take the new text, the others and
// everything around the array stay byte for byte; new entries are laid out
// as the first one is, strings untouched.
#include <gtest/gtest.h>

#include "catalog/index_merge.h"
#include "catalog/json_layout.h"
#include "catalog_test_util.h"

namespace otawrap {
namespace {

std::string merge(const std::string& text, const std::vector<IndexMergeItem>& items,
                  IndexMergeCounts& counts) {
  JsonValue root;
  EXPECT_EQ(jsonParse(text.data(), text.size(), root).status, JsonStatus::ok);
  return indexMerge(text, root, entriesOf(text), items, counts);
}

TEST(IndexMerge, ReplacesKeepsAndAppends) {
  const std::string a = R"({"url":"a", "manufacturerCode":1,"imageType":2,"fileVersion":3})";
  const std::string b = R"({ "url" : "b","manufacturerCode":1,"imageType":2,"fileVersion":4 })";
  const std::string noIds = R"({"url":"local.ota"})";
  const std::string text = "[\n  " + a + ",\n  " + b + ",\n  " + noIds + "\n]\n";
  const struct {
    const char* name;
    std::vector<IndexMergeItem> items;
    std::string merged;
    IndexMergeCounts counts;
  } cases[] = {
      {"nothing new", {}, text, {0, 0, 0, 3}},
      {"replace b", {{1, 2, 4, "{B}"}}, "[\n  " + a + ",\n  {B},\n  " + noIds + "\n]\n", {1, 0, 0, 2}},
      {"append", {{1, 2, 5, "{C}"}}, "[\n  " + a + ",\n  " + b + ",\n  " + noIds + ",\n  {C}\n]\n",
       {0, 0, 1, 3}},
      {"other type", {{1, 3, 3, "{D}"}}, "[\n  " + a + ",\n  " + b + ",\n  " + noIds + ",\n  {D}\n]\n",
       {0, 0, 1, 3}},
      {"the later of two new wins", {{1, 2, 3, "{A1}"}, {1, 2, 3, "{A2}"}},
       "[\n  {A2},\n  " + b + ",\n  " + noIds + "\n]\n", {1, 0, 0, 2}},
  };
  for (const auto& c : cases) {
    IndexMergeCounts counts;
    EXPECT_EQ(merge(text, c.items, counts), c.merged) << c.name;
    EXPECT_EQ(counts.replaced, c.counts.replaced) << c.name;
    EXPECT_EQ(counts.added, c.counts.added) << c.name;
    EXPECT_EQ(counts.kept, c.counts.kept) << c.name;
  }
}

TEST(IndexMerge, DropsLaterEntriesOfAReplacedKey) {
  const std::string text = R"([{"url":"a","manufacturerCode":1,"imageType":2,"fileVersion":3},)"
                           R"({"url":"x"},{"url":"b","manufacturerCode":1,"imageType":2,"fileVersion":3}])";
  IndexMergeCounts counts;
  EXPECT_EQ(merge(text, {{1, 2, 3, "{N}"}}, counts), R"([{N},{"url":"x"}])");
  EXPECT_EQ(counts.dropped, 1u);
}

TEST(IndexMerge, FollowsTheSeparatorsOfShortArrays) {
  const struct {
    const char* text;
    const char* merged;
  } cases[] = {
      {"[]", "[{N}]"},
      {" [ ] ", " [{N}] "},
      {"[\n  {\"url\":\"a\"}\n]", "[\n  {\"url\":\"a\"},\n  {N}\n]"},
  };
  for (const auto& c : cases) {
    IndexMergeCounts counts;
    EXPECT_EQ(merge(c.text, {{1, 2, 3, "{N}"}}, counts), c.merged) << c.text;
  }
}

TEST(JsonLayout, TakesTheFirstEntrysLayoutTable) {
  // Strings hold every character the layout acts on; arrays nest.
  const std::string compact = R"({"a":"x, y: {z} [\"q\"]","b":["m",{"n":1}],"c":[],"d":{}})";
  const struct {
    std::string index;  // the first entry at offset 1 or after the first line
    std::string laidOut;
  } cases[] = {
      {R"([{"k":1,"l":2}])", compact},
      {R"([{"k": 1, "l": 2}])", R"({"a": "x, y: {z} [\"q\"]", "b": ["m", {"n": 1}], "c": [], "d": {}})"},
      {"[\n  {\n    \"k\": 1\n  }\n]",
       "{\n    \"a\": \"x, y: {z} [\\\"q\\\"]\",\n    \"b\": [\n      \"m\",\n      {\n        \"n\": 1\n      }\n"
       "    ],\n    \"c\": [],\n    \"d\": {}\n  }"},
      {"[\r\n\t{\r\n\t\t\"k\":1}]",
       "{\r\n\t\t\"a\":\"x, y: {z} [\\\"q\\\"]\",\r\n\t\t\"b\":[\r\n\t\t\t\"m\",\r\n\t\t\t{\r\n\t\t\t\t\"n\":1\r\n"
       "\t\t\t}\r\n\t\t],\r\n\t\t\"c\":[],\r\n\t\t\"d\":{}\r\n\t}"},
      {"[{}]", compact},
  };
  for (const auto& c : cases) {
    const std::size_t begin = c.index.find('{');
    const JsonLayout layout = jsonLayoutOf(c.index, begin, c.index.rfind('}') + 1);
    EXPECT_EQ(jsonLaidOut(compact, layout), c.laidOut) << c.index;
  }
  EXPECT_EQ(jsonLaidOut(R"([{"a":[1,2]},{}])", jsonIndentLayout(2)),
            "[\n  {\n    \"a\": [\n      1,\n      2\n    ]\n  },\n  {}\n]");
}

}  // namespace
}  // namespace otawrap
