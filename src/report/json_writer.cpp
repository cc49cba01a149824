#include "report/json_writer.h"

#include "codec/hex.h"
#include "codec/utf8.h"

namespace otawrap {

namespace {

void appendUnicodeEscape(unsigned code, std::string& out) {
  const auto byte = static_cast<std::uint8_t>(code);
  out += "\\u00";
  out += hexLowerOctets(&byte, 1);
}

}  // namespace

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (!hasMembers_.empty()) {
    if (hasMembers_.back()) out_ += ',';
    hasMembers_.back() = true;
  }
}

void JsonWriter::beginObject() {
  beforeValue();
  out_ += '{';
  hasMembers_.push_back(false);
}

void JsonWriter::endObject() {
  out_ += '}';
  hasMembers_.pop_back();
}

void JsonWriter::beginArray() {
  beforeValue();
  out_ += '[';
  hasMembers_.push_back(false);
}

void JsonWriter::endArray() {
  out_ += ']';
  hasMembers_.pop_back();
}

void JsonWriter::key(const char* name) {
  beforeValue();
  const std::string keyText(name);
  appendString(keyText.data(), keyText.size());
  out_ += ':';
  afterKey_ = true;
}

void JsonWriter::string(const char* data, std::size_t length) {
  beforeValue();
  appendString(data, length);
}

void JsonWriter::appendString(const char* data, std::size_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  out_ += '"';
  std::size_t i = 0;
  while (i < length) {
    const unsigned char c = bytes[i];
    if (c == '"' || c == '\\') {
      out_ += '\\';
      out_ += static_cast<char>(c);
    } else if (c == '\n') {
      out_ += "\\n";
    } else if (c == '\t') {
      out_ += "\\t";
    } else if (c == '\r') {
      out_ += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      appendUnicodeEscape(c, out_);
    } else if (c < 0x80) {
      out_ += static_cast<char>(c);
    } else {
      const std::size_t sequence = utf8SequenceLength(bytes + i, length - i);
      if (sequence == 0) {
        appendUnicodeEscape(c, out_);
      } else {
        out_.append(data + i, sequence);
        i += sequence;
        continue;
      }
    }
    ++i;
  }
  out_ += '"';
}

void JsonWriter::number(std::uint64_t value) {
  beforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
  beforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::null() {
  beforeValue();
  out_ += "null";
}

}  // namespace otawrap
