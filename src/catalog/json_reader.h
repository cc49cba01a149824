// A strict, bounded JSON reader (RFC 8259) for OTA index files: the whole text
// in memory, parsed into a tree whose every value remembers where it sits in
// the text, so a rewrite can keep untouched parts byte for byte.
//
// Strict: UTF-8 only (no byte order mark), no comments, no trailing commas,
// no leading zeros, no control characters in strings, lone surrogates in
// \u escapes refused, a key at most once per object. Bounded: the text at
// most limits.maxBytes, nesting at most limits.maxDepth, at most
// limits.maxValues values in all. Numbers are kept as written; asUint64 reads
// the plain non-negative integers an index uses. Never throws for any input
// (allocation failure aside); prints nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace otawrap {

enum class JsonKind : std::uint8_t { null, boolean, number, string, array, object };

struct JsonValue {
  JsonKind kind = JsonKind::null;
  bool boolean = false;
  std::string text;                // string: the decoded bytes; number: the literal
  std::vector<JsonValue> items;    // array elements, or object member values
  std::vector<std::string> keys;   // object member names, parallel to items
  std::size_t begin = 0;           // the value's first byte in the text
  std::size_t end = 0;             // one past its last byte

  // The member named name of an object, or nullptr (also for a non-object).
  const JsonValue* member(const std::string& name) const;
  // A number written as a plain integer (no sign, fraction or exponent) that
  // fits 64 bits. False otherwise, value untouched.
  bool asUint64(std::uint64_t& value) const;
};

enum class JsonStatus : std::uint8_t {
  ok,
  tooLarge,       // the text exceeds maxBytes
  tooDeep,        // nesting exceeds maxDepth
  tooManyValues,  // more than maxValues values
  empty,          // nothing but white space
  byteOrderMark,  // starts with EF BB BF
  invalidUtf8,    // a byte sequence that is not UTF-8
  unexpected,     // a character where none of its kind may stand
  unterminated,   // the text ends inside a value
  badEscape,      // an unknown escape, a bad \u, or a lone surrogate
  controlCharacter,  // a raw byte below 0x20 inside a string
  badNumber,      // a number that breaks the grammar (leading zero, "1.", "-")
  duplicateKey,   // an object names a member twice
  trailingData,   // something after the one top-level value
};

struct JsonLimits {
  std::size_t maxBytes = 16u << 20;  // an index of tens of thousands of entries
  std::size_t maxDepth = 32;         // an index needs 3 or 4
  std::size_t maxValues = 1u << 20;
};

struct JsonError {
  JsonStatus status = JsonStatus::ok;
  std::size_t offset = 0;  // where in the text it was found
  std::size_t line = 1;    // the same as a 1-based line and column (in bytes)
  std::size_t column = 1;
};

// Takes each element of a top-level array as soon as it is parsed, so a
// long array never stands whole in memory.
class JsonElementSink {
 public:
  virtual void element(const JsonValue& value, std::size_t index) = 0;

 protected:
  ~JsonElementSink() = default;
};

// Parses text[0..size) into root. On failure root is unspecified and error
// says why and where. With a sink, the elements of a top-level array go to
// it, in order, and not into root (whose items stay empty); the sink has
// seen every element only when the whole text parses.
JsonError jsonParse(const char* text, std::size_t size, JsonValue& root,
                    const JsonLimits& limits = JsonLimits{}, JsonElementSink* sink = nullptr);

}  // namespace otawrap
