#include "catalog/json_reader.h"

#include <limits>

#include "codec/utf8.h"

namespace otawrap {

const JsonValue* JsonValue::member(const std::string& name) const {
  if (kind != JsonKind::object) return nullptr;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == name) return &items[i];
  }
  return nullptr;
}

bool JsonValue::asUint64(std::uint64_t& value) const {
  if (kind != JsonKind::number || text.empty()) return false;
  std::uint64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (v > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
    v = v * 10 + digit;
  }
  value = v;
  return true;
}

namespace {

void appendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Parser {
 public:
  Parser(const char* text, std::size_t size, const JsonLimits& limits, JsonElementSink* sink)
      : p_(reinterpret_cast<const unsigned char*>(text)), size_(size), limits_(limits), sink_(sink) {}

  JsonStatus parseDocument(JsonValue& root) {
    skipSpace();
    if (at_ == size_) return JsonStatus::empty;
    JsonStatus s = parseValue(root, 0);
    if (s != JsonStatus::ok) return s;
    skipSpace();
    return at_ == size_ ? JsonStatus::ok : JsonStatus::trailingData;
  }

  std::size_t offset() const { return at_; }

 private:
  void skipSpace() {
    while (at_ < size_ && (p_[at_] == ' ' || p_[at_] == '\t' || p_[at_] == '\n' || p_[at_] == '\r')) {
      ++at_;
    }
  }

  bool literal(const char* word) {
    std::size_t i = 0;
    for (; word[i] != '\0'; ++i) {
      if (at_ + i >= size_ || p_[at_ + i] != static_cast<unsigned char>(word[i])) return false;
    }
    at_ += i;
    return true;
  }

  JsonStatus parseValue(JsonValue& v, std::size_t depth) {
    if (++values_ > limits_.maxValues) return JsonStatus::tooManyValues;
    if (at_ == size_) return JsonStatus::unterminated;
    v.begin = at_;
    JsonStatus s = JsonStatus::ok;
    const unsigned char c = p_[at_];
    if (c == '{' || c == '[') {
      if (depth + 1 > limits_.maxDepth) return JsonStatus::tooDeep;
      s = c == '{' ? parseObject(v, depth + 1) : parseArray(v, depth + 1);
    } else if (c == '"') {
      v.kind = JsonKind::string;
      s = parseString(v.text);
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      v.kind = JsonKind::number;
      s = parseNumber(v.text);
    } else if (literal("true") || literal("false")) {
      v.kind = JsonKind::boolean;
      v.boolean = c == 't';
    } else if (literal("null")) {
      v.kind = JsonKind::null;
    } else {
      // A prefix of a literal cut by the end is an unterminated text.
      return unexpectedOrEnd();
    }
    v.end = at_;
    return s;
  }

  JsonStatus unexpectedOrEnd() {
    static const char* const words[] = {"true", "false", "null"};
    for (const char* w : words) {
      std::size_t i = 0;
      while (at_ + i < size_ && w[i] != '\0' && p_[at_ + i] == static_cast<unsigned char>(w[i])) ++i;
      if (at_ + i == size_ && i > 0) return JsonStatus::unterminated;
    }
    return JsonStatus::unexpected;
  }

  JsonStatus parseArray(JsonValue& v, std::size_t depth) {
    v.kind = JsonKind::array;
    ++at_;
    skipSpace();
    if (at_ < size_ && p_[at_] == ']') {
      ++at_;
      return JsonStatus::ok;
    }
    for (;;) {
      skipSpace();
      v.items.emplace_back();
      JsonStatus s = parseValue(v.items.back(), depth);
      if (s != JsonStatus::ok) return s;
      if (sink_ != nullptr && depth == 1) {
        sink_->element(v.items.back(), handed_++);
        v.items.pop_back();
      }
      skipSpace();
      if (at_ == size_) return JsonStatus::unterminated;
      if (p_[at_] == ']') break;
      if (p_[at_] != ',') return JsonStatus::unexpected;
      ++at_;
    }
    ++at_;
    return JsonStatus::ok;
  }

  JsonStatus parseObject(JsonValue& v, std::size_t depth) {
    v.kind = JsonKind::object;
    ++at_;
    skipSpace();
    if (at_ < size_ && p_[at_] == '}') {
      ++at_;
      return JsonStatus::ok;
    }
    for (;;) {
      skipSpace();
      if (at_ == size_) return JsonStatus::unterminated;
      if (p_[at_] != '"') return JsonStatus::unexpected;
      const std::size_t keyAt = at_;
      std::string key;
      JsonStatus s = parseString(key);
      if (s != JsonStatus::ok) return s;
      if (v.member(key) != nullptr) {
        at_ = keyAt;
        return JsonStatus::duplicateKey;
      }
      skipSpace();
      if (at_ == size_) return JsonStatus::unterminated;
      if (p_[at_] != ':') return JsonStatus::unexpected;
      ++at_;
      skipSpace();
      v.keys.push_back(std::move(key));
      v.items.emplace_back();
      s = parseValue(v.items.back(), depth);
      if (s != JsonStatus::ok) return s;
      skipSpace();
      if (at_ == size_) return JsonStatus::unterminated;
      if (p_[at_] == '}') break;
      if (p_[at_] != ',') return JsonStatus::unexpected;
      ++at_;
    }
    ++at_;
    return JsonStatus::ok;
  }

  // Four hex digits at at_, advancing past them.
  bool hex4(std::uint32_t& value) {
    if (size_ - at_ < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) {
      const unsigned char c = p_[at_ + i];
      int d = -1;
      if (c >= '0' && c <= '9') d = c - '0';
      if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      if (d < 0) return false;
      value = value * 16 + static_cast<std::uint32_t>(d);
    }
    at_ += 4;
    return true;
  }

  JsonStatus parseEscape(std::string& out) {
    if (at_ == size_) return JsonStatus::unterminated;
    const unsigned char c = p_[at_++];
    switch (c) {
      case '"': out += '"'; return JsonStatus::ok;
      case '\\': out += '\\'; return JsonStatus::ok;
      case '/': out += '/'; return JsonStatus::ok;
      case 'b': out += '\b'; return JsonStatus::ok;
      case 'f': out += '\f'; return JsonStatus::ok;
      case 'n': out += '\n'; return JsonStatus::ok;
      case 'r': out += '\r'; return JsonStatus::ok;
      case 't': out += '\t'; return JsonStatus::ok;
      case 'u': break;
      default: --at_; return JsonStatus::badEscape;
    }
    std::uint32_t cp = 0;
    if (!hex4(cp)) return JsonStatus::badEscape;
    if (cp >= 0xDC00 && cp <= 0xDFFF) return JsonStatus::badEscape;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      std::uint32_t low = 0;
      if (size_ - at_ < 2 || p_[at_] != '\\' || p_[at_ + 1] != 'u') return JsonStatus::badEscape;
      at_ += 2;
      if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return JsonStatus::badEscape;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
    }
    appendUtf8(cp, out);
    return JsonStatus::ok;
  }

  JsonStatus parseString(std::string& out) {
    ++at_;  // the opening quote
    for (;;) {
      if (at_ == size_) return JsonStatus::unterminated;
      const unsigned char c = p_[at_];
      if (c == '"') {
        ++at_;
        return JsonStatus::ok;
      }
      if (c < 0x20) return JsonStatus::controlCharacter;
      if (c == '\\') {
        ++at_;
        const JsonStatus s = parseEscape(out);
        if (s != JsonStatus::ok) return s;
        continue;
      }
      const std::size_t n = utf8SequenceLength(p_ + at_, size_ - at_);
      if (n == 0) return JsonStatus::invalidUtf8;
      out.append(reinterpret_cast<const char*>(p_ + at_), n);
      at_ += n;
    }
  }

  std::size_t digits() {
    const std::size_t from = at_;
    while (at_ < size_ && p_[at_] >= '0' && p_[at_] <= '9') ++at_;
    return at_ - from;
  }

  JsonStatus parseNumber(std::string& out) {
    const std::size_t from = at_;
    if (p_[at_] == '-') ++at_;
    if (at_ == size_) return JsonStatus::unterminated;
    if (p_[at_] == '0') {
      ++at_;
      if (at_ < size_ && p_[at_] >= '0' && p_[at_] <= '9') return JsonStatus::badNumber;
    } else if (digits() == 0) {
      return JsonStatus::badNumber;
    }
    if (at_ < size_ && p_[at_] == '.') {
      ++at_;
      if (digits() == 0) return at_ == size_ ? JsonStatus::unterminated : JsonStatus::badNumber;
    }
    if (at_ < size_ && (p_[at_] == 'e' || p_[at_] == 'E')) {
      ++at_;
      if (at_ < size_ && (p_[at_] == '+' || p_[at_] == '-')) ++at_;
      if (digits() == 0) return at_ == size_ ? JsonStatus::unterminated : JsonStatus::badNumber;
    }
    out.assign(reinterpret_cast<const char*>(p_ + from), at_ - from);
    return JsonStatus::ok;
  }

  const unsigned char* p_;
  std::size_t size_;
  const JsonLimits& limits_;
  JsonElementSink* sink_;
  std::size_t at_ = 0;
  std::size_t values_ = 0;
  std::size_t handed_ = 0;  // elements given to the sink
};

}  // namespace

JsonError jsonParse(const char* text, std::size_t size, JsonValue& root, const JsonLimits& limits,
                    JsonElementSink* sink) {
  JsonError error;
  root = JsonValue{};
  if (size > limits.maxBytes) {
    error.status = JsonStatus::tooLarge;
  } else if (size >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
             static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF) {
    error.status = JsonStatus::byteOrderMark;
  } else {
    Parser parser(text, size, limits, sink);
    error.status = parser.parseDocument(root);
    error.offset = parser.offset();
  }
  if (error.status != JsonStatus::ok) {
    for (std::size_t i = 0; i < error.offset && i < size; ++i) {
      if (text[i] == '\n') {
        ++error.line;
        error.column = 1;
      } else {
        ++error.column;
      }
    }
  }
  return error;
}

}  // namespace otawrap
