// The JSON writer: structure, numbers, and string escaping checked by parsing
// the output back with the test's own strict parser.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "report/json_writer.h"

namespace otawrap {
namespace {

std::string written(const std::string& bytes) {
  JsonWriter json;
  json.string(bytes);
  return json.text();
}

TEST(JsonWriter, Structure) {
  JsonWriter json;
  json.beginObject();
  json.key("a");
  json.number(0);
  json.key("b");
  json.beginArray();
  json.number(18446744073709551615u);
  json.boolean(true);
  json.boolean(false);
  json.null();
  json.beginObject();
  json.endObject();
  json.beginArray();
  json.endArray();
  json.endArray();
  json.key("c\"");
  json.string("");
  json.endObject();
  EXPECT_EQ(json.text(),
            "{\"a\":0,\"b\":[18446744073709551615,true,false,null,{},[]],\"c\\\"\":\"\"}");
  const auto parsed = test::parseJson(json.text());
  ASSERT_TRUE(parsed);
  EXPECT_EQ((*parsed)["b"].items.size(), 6u);
}

TEST(JsonWriter, StringEscapes) {
  const struct {
    std::string bytes;
    std::string json;
  } cases[] = {
      {"plain text", "\"plain text\""},
      {"quote \" and backslash \\", "\"quote \\\" and backslash \\\\\""},
      {"/", "\"/\""},
      {"\n\t\r", "\"\\n\\t\\r\""},
      {std::string("\0\x01\x1F\x7F", 4), "\"\\u0000\\u0001\\u001f\\u007f\""},
      {"\xC3\xA9", "\"\xC3\xA9\""},                      // U+00E9 kept
      {"\xE2\x82\xAC", "\"\xE2\x82\xAC\""},              // U+20AC kept
      {"\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},      // U+1F600 kept
      {"\xFF", "\"\\u00ff\""},                           // never valid in UTF-8
      {"\xC3", "\"\\u00c3\""},                           // cut short
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},                // overlong
      {"\xE0\x80\xAF", "\"\\u00e0\\u0080\\u00af\""},     // overlong
      {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},     // surrogate
      {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // above U+10FFFF
      {"\x80x", "\"\\u0080x\""},                         // lone continuation byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(written(c.bytes), c.json);
    EXPECT_TRUE(test::parseJson(written(c.bytes))) << c.json;
  }
}

std::string encodeUtf8(std::uint32_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

// What the text should decode to: at each position, a valid UTF-8 sequence
// (one that the encoder above reproduces exactly, not a surrogate, at most
// U+10FFFF) gives its code point, anything else the byte's Latin-1 value.
std::vector<std::uint32_t> expectedCodePoints(const std::string& bytes) {
  std::vector<std::uint32_t> codes;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    bool taken = false;
    for (std::size_t length = 2; length <= 4 && !taken; ++length) {
      if (i + length > bytes.size()) break;
      std::uint32_t code = lead & (0x7F >> length);
      for (std::size_t k = 1; k < length; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
      }
      if (code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) &&
          encodeUtf8(code) == bytes.substr(i, length)) {
        codes.push_back(code);
        i += length;
        taken = true;
      }
    }
    if (!taken) {
      codes.push_back(lead);
      ++i;
    }
  }
  return codes;
}

// Any bytes give valid JSON that decodes to the expected code points.
TEST(JsonWriter, RandomBytesDecodeAsExpected) {
  std::mt19937 rng(5);  // fixed seed
  for (int round = 0; round < 5000; ++round) {
    std::string bytes(rng() % 24, '\0');
    for (char& c : bytes) {
      // Mostly bytes at and above 0x80, where the UTF-8 rules bite.
      c = static_cast<char>(rng() % 4 == 0 ? rng() % 0x80 : 0x80 + rng() % 0x80);
    }
    if (round % 3 == 0) {  // plant a valid sequence
      bytes += encodeUtf8(0x80 + rng() % 0x10FF80);
    }
    const std::string json = written(bytes);
    const auto parsed = test::parseJson(json);
    ASSERT_TRUE(parsed) << json;
    EXPECT_EQ(parsed->codePoints, expectedCodePoints(bytes)) << json;
  }
}

TEST(JsonChecker, RejectsInvalidDocuments) {
  for (const char* bad : {"", "{", "{\"a\"}", "{\"a\":1,}", "[1,]", "\"\x01\"", "\"\\x\"",
                          "01", "1.", "-", "nul", "\"\xFF\"", "\"\xC0\xAF\"", "{} {}",
                          "{\"a\":1,\"a\":2}", "\"\\ud800\""}) {
    EXPECT_FALSE(test::parseJson(bad)) << bad;
  }
  EXPECT_TRUE(test::parseJson(" {\"a\" : [1, -2.5e3, \"\\u00e9\\ud83d\\ude00\"]} "));
}

}  // namespace
}  // namespace otawrap
