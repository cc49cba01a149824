// A minimal JSON writer: one compact document built in a string, with string
// escaping that always yields valid JSON in UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace otawrap {

class JsonWriter {
 public:
  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  // The key of the next member; only inside an object.
  void key(const char* name);
  // A string of arbitrary bytes: valid UTF-8 sequences are kept, '"', '\\' and
  // control characters are escaped, and every byte that is not part of a valid
  // UTF-8 sequence becomes \u00XX (read as Latin-1).
  void string(const char* data, std::size_t length);
  void string(const std::string& text) { string(text.data(), text.size()); }
  void number(std::uint64_t value);
  void boolean(bool value);
  void null();

  // A whole member: key(name), then the value.
  void stringMember(const char* name, const std::string& text) {
    key(name);
    string(text);
  }
  void numberMember(const char* name, std::uint64_t value) {
    key(name);
    number(value);
  }
  void booleanMember(const char* name, bool value) {
    key(name);
    boolean(value);
  }

  // The document written so far.
  const std::string& text() const { return out_; }

 private:
  void beforeValue();
  void appendString(const char* data, std::size_t length);

  std::string out_;
  std::vector<bool> hasMembers_;  // per open object or array
  bool afterKey_ = false;
};

}  // namespace otawrap
