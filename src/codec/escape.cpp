#include "codec/escape.h"

#include "codec/hex.h"

namespace otawrap {

std::string escapeControlCharacters(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\x" + hexUpper(byte, 2);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace otawrap
