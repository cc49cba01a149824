// The strict JSON reader: what it accepts, what it refuses and why, where each
// value sits in the text, and its limits.
#include <gtest/gtest.h>

#include <string>

#include "catalog/json_reader.h"

namespace otawrap {
namespace {

JsonStatus statusOf(const std::string& text, const JsonLimits& limits = JsonLimits{}) {
  JsonValue root;
  return jsonParse(text.data(), text.size(), root, limits).status;
}

TEST(JsonReader, AcceptsAndRefusesByTheGrammar) {
  const struct {
    const char* text;
    JsonStatus status;
  } cases[] = {
      {"[]", JsonStatus::ok},
      {" {\"a\" : [1, -0.5e+3, true, false, null, \"x\"]}\r\n", JsonStatus::ok},
      {"0", JsonStatus::ok},
      {"\"\\u00e9\\ud83d\\ude00\\/\"", JsonStatus::ok},
      {"", JsonStatus::empty},
      {" \n\t", JsonStatus::empty},
      {"\xEF\xBB\xBF[]", JsonStatus::byteOrderMark},
      {"[1,]", JsonStatus::unexpected},
      {"[,1]", JsonStatus::unexpected},
      {"{\"a\":1,}", JsonStatus::unexpected},
      {"{a:1}", JsonStatus::unexpected},
      {"[1 2]", JsonStatus::unexpected},
      {"// c\n[]", JsonStatus::unexpected},
      {"[tru]", JsonStatus::unexpected},
      {"[tru", JsonStatus::unterminated},
      {"[1", JsonStatus::unterminated},
      {"{\"a\"", JsonStatus::unterminated},
      {"\"abc", JsonStatus::unterminated},
      {"[01]", JsonStatus::badNumber},
      {"[1.]", JsonStatus::badNumber},
      {"[-]", JsonStatus::badNumber},
      {"[1e]", JsonStatus::badNumber},
      {"[+1]", JsonStatus::unexpected},
      {"[.5]", JsonStatus::unexpected},
      {"\"\\x\"", JsonStatus::badEscape},
      {"\"\\u12g4\"", JsonStatus::badEscape},
      {"\"\\ud83d\"", JsonStatus::badEscape},
      {"\"\\ude00\"", JsonStatus::badEscape},
      {"\"\\ud83d\\u0041\"", JsonStatus::badEscape},
      {"\"a\tb\"", JsonStatus::controlCharacter},
      {"\"\xC3\"", JsonStatus::invalidUtf8},
      {"\"\xC0\xAF\"", JsonStatus::invalidUtf8},        // overlong '/'
      {"\"\xED\xA0\x80\"", JsonStatus::invalidUtf8},    // a surrogate
      {"\"\xF4\x90\x80\x80\"", JsonStatus::invalidUtf8},  // past U+10FFFF
      {"{\"a\":1,\"a\":2}", JsonStatus::duplicateKey},
      {"[] []", JsonStatus::trailingData},
      {"[]x", JsonStatus::trailingData},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(statusOf(c.text), c.status) << c.text;
  }
}

TEST(JsonReader, KeepsSpansKeysAndDecodedStrings) {
  const std::string text = "[ {\"u\": \"a\\nb\\u00e9\", \"n\": 42}, 7 ]";
  JsonValue root;
  ASSERT_EQ(jsonParse(text.data(), text.size(), root).status, JsonStatus::ok);
  ASSERT_EQ(root.items.size(), 2u);
  const JsonValue& object = root.items[0];
  EXPECT_EQ(text.substr(object.begin, object.end - object.begin), "{\"u\": \"a\\nb\\u00e9\", \"n\": 42}");
  EXPECT_EQ(object.member("u")->text, "a\nb\xC3\xA9");
  std::uint64_t n = 0;
  EXPECT_TRUE(object.member("n")->asUint64(n));
  EXPECT_EQ(n, 42u);
  EXPECT_EQ(object.member("x"), nullptr);
  EXPECT_EQ(root.items[1].begin, text.size() - 3);
  EXPECT_EQ(root.begin, 0u);
  EXPECT_EQ(root.end, text.size());
}

TEST(JsonReader, ReadsOnlyPlainIntegersAsUint64) {
  const struct {
    const char* text;
    bool ok;
    std::uint64_t value;
  } cases[] = {
      {"0", true, 0},
      {"18446744073709551615", true, 18446744073709551615u},
      {"18446744073709551616", false, 0},
      {"-1", false, 0},
      {"1.0", false, 0},
      {"1e3", false, 0},
      {"\"1\"", false, 0},
  };
  for (const auto& c : cases) {
    JsonValue v;
    ASSERT_EQ(jsonParse(c.text, std::char_traits<char>::length(c.text), v).status, JsonStatus::ok);
    std::uint64_t value = 7;
    EXPECT_EQ(v.asUint64(value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : 7u) << c.text;
  }
}

TEST(JsonReader, EnforcesItsLimits) {
  JsonLimits limits;
  limits.maxDepth = 3;
  EXPECT_EQ(statusOf("[[[1]]]", limits), JsonStatus::ok);
  EXPECT_EQ(statusOf("[[[[1]]]]", limits), JsonStatus::tooDeep);
  EXPECT_EQ(statusOf("[[[{}]]]", limits), JsonStatus::tooDeep);
  limits.maxBytes = 4;
  EXPECT_EQ(statusOf("[1]", limits), JsonStatus::ok);
  EXPECT_EQ(statusOf("[ 1 ]", limits), JsonStatus::tooLarge);
  limits = JsonLimits{};
  limits.maxValues = 3;
  EXPECT_EQ(statusOf("[1,2]", limits), JsonStatus::ok);
  EXPECT_EQ(statusOf("[1,2,3]", limits), JsonStatus::tooManyValues);
  // The default depth holds off a deep nest without exhausting the stack.
  EXPECT_EQ(statusOf(std::string(100000, '[')), JsonStatus::tooDeep);
}

TEST(JsonReader, SaysWhereItStopped) {
  const std::string text = "[\n  1,\n  2 x]";
  JsonValue root;
  const JsonError error = jsonParse(text.data(), text.size(), root);
  EXPECT_EQ(error.status, JsonStatus::unexpected);
  EXPECT_EQ(error.offset, text.find('x'));
  EXPECT_EQ(error.line, 3u);
  EXPECT_EQ(error.column, 5u);
}

}  // namespace
}  // namespace otawrap
