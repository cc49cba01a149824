// The layout of an index's JSON text, and JSON written in a layout, so what
// `index --update` adds looks like what is there (a pretty-printed community
// index stays pretty-printed, a compact one compact) and `index --indent N`
// lays out a new index as JSON.stringify(value, null, N) and Python's
// json.dumps(value, indent=N) do. Pure code: no I/O, no printing.
#pragma once

#include <cstddef>
#include <string>

namespace otawrap {

struct JsonLayout {
  std::string newline;     // "" keeps objects and arrays on one line; "\n" or "\r\n"
  std::string indent;      // one level of nesting, when newline is set
  std::string base;        // the white space the value's own line starts with
  std::string afterColon;  // "" or the white space after each ':'
  std::string afterComma;  // on one line: "" or the white space after each ','
};

// The layout of the object or array text[begin, end) (an element of the
// index's array, valid JSON), taken from its first member and the line it
// starts on. One line without spaces when it tells nothing else ("{}").
JsonLayout jsonLayoutOf(const std::string& text, std::size_t begin, std::size_t end);

// JSON.stringify's layout for a space argument of spaces: that many spaces
// a level, "\n", ": " (no base).
JsonLayout jsonIndentLayout(std::size_t spaces);

// compact (JSON without white space outside its strings, as JsonWriter
// writes it) laid out in layout. The first line carries no base: it goes
// where the value starts. Empty objects and arrays stay "{}" and "[]".
std::string jsonLaidOut(const std::string& compact, const JsonLayout& layout);

}  // namespace otawrap
