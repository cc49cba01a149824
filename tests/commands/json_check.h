// A strict little JSON parser for the tests (RFC 8259 grammar, UTF-8 text),
// written independently of src/report/json_writer: it rejects anything the
// grammar does not allow and decodes strings to code points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace otawrap::test {

struct JsonValue {
  enum class Kind { null, boolean, number, string, array, object } kind = Kind::null;
  bool boolean = false;
  std::string numberText;                // as written
  std::vector<std::uint32_t> codePoints;  // string
  std::vector<JsonValue> items;           // array
  std::map<std::string, JsonValue> members;  // object, keys as ASCII-only UTF-8

  std::uint64_t number() const { return std::stoull(numberText); }
  std::string ascii() const {  // the string, every code point below 0x80 assumed
    std::string text;
    for (std::uint32_t c : codePoints) text += static_cast<char>(c);
    return text;
  }
  std::string utf8() const {  // the string encoded as UTF-8
    std::string text;
    for (std::uint32_t c : codePoints) {
      if (c < 0x80) {
        text += static_cast<char>(c);
      } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return text;
  }
  const JsonValue& operator[](const std::string& key) const { return members.at(key); }
  bool has(const std::string& key) const { return members.count(key) != 0; }
};

class JsonParser {
 public:
  explicit JsonParser(const std::string& text) : s_(text) {}

  // The one value that makes up the whole text (surrounding white space
  // allowed), or nothing if the text is not valid JSON.
  std::optional<JsonValue> parseDocument() {
    JsonValue v;
    skipSpace();
    if (!value(v)) return std::nullopt;
    skipSpace();
    if (i_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  bool value(JsonValue& v) {
    if (i_ >= s_.size()) return false;
    const char c = s_[i_];
    if (c == '{') return object(v);
    if (c == '[') return array(v);
    if (c == '"') {
      v.kind = JsonValue::Kind::string;
      return string(v.codePoints);
    }
    if (literal("null")) return v.kind = JsonValue::Kind::null, true;
    if (literal("true")) return v.kind = JsonValue::Kind::boolean, v.boolean = true, true;
    if (literal("false")) return v.kind = JsonValue::Kind::boolean, v.boolean = false, true;
    return number(v);
  }

  bool literal(const char* word) {
    const std::string w(word);
    if (s_.compare(i_, w.size(), w) != 0) return false;
    i_ += w.size();
    return true;
  }

  bool number(JsonValue& v) {
    const std::size_t start = i_;
    if (peek('-')) ++i_;
    if (peek('0')) {
      ++i_;
    } else if (digit()) {
      while (digit()) ++i_;
    } else {
      return false;
    }
    if (peek('.')) {
      ++i_;
      if (!digit()) return false;
      while (digit()) ++i_;
    }
    if (peek('e') || peek('E')) {
      ++i_;
      if (peek('+') || peek('-')) ++i_;
      if (!digit()) return false;
      while (digit()) ++i_;
    }
    v.kind = JsonValue::Kind::number;
    v.numberText = s_.substr(start, i_ - start);
    return true;
  }

  bool string(std::vector<std::uint32_t>& out) {
    ++i_;  // opening quote
    while (i_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++i_ >= s_.size()) return false;
        const char e = s_[i_++];
        const std::string simple = "\"\\/bfnrt";
        const std::string meaning = "\"\\/\b\f\n\r\t";
        if (simple.find(e) != std::string::npos) {
          out.push_back(static_cast<unsigned char>(meaning[simple.find(e)]));
          continue;
        }
        if (e != 'u') return false;
        std::uint32_t unit = 0;
        if (!hex4(unit)) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
          std::uint32_t low = 0;
          if (!literal("\\u") || !hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
          return false;
        }
        out.push_back(unit);
        continue;
      }
      std::uint32_t code = 0;
      if (!utf8(code)) return false;
      out.push_back(code);
    }
    return false;
  }

  // One UTF-8 encoded code point, shortest form, no surrogates.
  bool utf8(std::uint32_t& code) {
    const auto lead = static_cast<unsigned char>(s_[i_]);
    int extra = 0;
    if (lead < 0x80) {
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      code = lead & 0x1F;
      extra = 1;
    } else if ((lead & 0xF0) == 0xE0) {
      code = lead & 0x0F;
      extra = 2;
    } else if ((lead & 0xF8) == 0xF0) {
      code = lead & 0x07;
      extra = 3;
    } else {
      return false;
    }
    ++i_;
    for (int k = 0; k < extra; ++k) {
      if (i_ >= s_.size()) return false;
      const auto next = static_cast<unsigned char>(s_[i_++]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    return code >= minimum[extra] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
  }

  bool hex4(std::uint32_t& unit) {
    unit = 0;
    for (int k = 0; k < 4; ++k) {
      if (i_ >= s_.size()) return false;
      const char c = s_[i_++];
      const std::string digits = "0123456789abcdef";
      const std::size_t d = digits.find(static_cast<char>(c | 0x20));
      if (d == std::string::npos || !std::isxdigit(static_cast<unsigned char>(c))) return false;
      unit = unit * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
  }

  bool array(JsonValue& v) {
    v.kind = JsonValue::Kind::array;
    ++i_;
    skipSpace();
    if (peek(']')) return ++i_, true;
    while (true) {
      JsonValue item;
      skipSpace();
      if (!value(item)) return false;
      v.items.push_back(item);
      skipSpace();
      if (peek(',')) {
        ++i_;
        continue;
      }
      if (peek(']')) return ++i_, true;
      return false;
    }
  }

  bool object(JsonValue& v) {
    v.kind = JsonValue::Kind::object;
    ++i_;
    skipSpace();
    if (peek('}')) return ++i_, true;
    while (true) {
      skipSpace();
      if (!peek('"')) return false;
      std::vector<std::uint32_t> key;
      if (!string(key)) return false;
      std::string name;
      for (std::uint32_t c : key) name += static_cast<char>(c);
      skipSpace();
      if (!peek(':')) return false;
      ++i_;
      skipSpace();
      JsonValue member;
      if (!value(member)) return false;
      if (v.members.count(name) != 0) return false;  // duplicate keys are not wanted here
      v.members[name] = member;
      skipSpace();
      if (peek(',')) {
        ++i_;
        continue;
      }
      if (peek('}')) return ++i_, true;
      return false;
    }
  }

  bool peek(char c) const { return i_ < s_.size() && s_[i_] == c; }
  bool digit() const { return i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9'; }
  void skipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) {
      ++i_;
    }
  }

  const std::string& s_;
  std::size_t i_ = 0;
};

inline std::optional<JsonValue> parseJson(const std::string& text) {
  return JsonParser(text).parseDocument();
}

}  // namespace otawrap::test
