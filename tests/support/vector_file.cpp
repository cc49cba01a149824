#include "support/vector_file.h"

#include <fstream>
#include <stdexcept>

namespace otawrap::test {

namespace {

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) {
    return "";
  }
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  throw std::invalid_argument(std::string("not a hex digit: ") + c);
}

}  // namespace

std::vector<VectorRecord> readVectorFile(const std::string& path) {
  std::vector<VectorRecord> records;
  std::ifstream in(path);
  VectorRecord current;
  std::string line;
  while (std::getline(in, line)) {
    const std::string text = trim(line);
    if (!text.empty() && text[0] == '#') {
      continue;
    }
    if (text.empty()) {
      if (!current.empty()) {
        records.push_back(current);
        current.clear();
      }
      continue;
    }
    const auto eq = text.find('=');
    if (eq == std::string::npos) {
      continue;
    }
    current[trim(text.substr(0, eq))] = trim(text.substr(eq + 1));
  }
  if (!current.empty()) {
    records.push_back(current);
  }
  return records;
}

std::vector<std::uint8_t> hexToBytes(const std::string& hex) {
  if (hex.size() % 2 != 0) {
    throw std::invalid_argument("odd-length hex string");
  }
  std::vector<std::uint8_t> bytes(hex.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(hexValue(hex[2 * i]) * 16 + hexValue(hex[2 * i + 1]));
  }
  return bytes;
}

std::string bytesToHex(const std::uint8_t* data, std::size_t length) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(2 * length);
  for (std::size_t i = 0; i < length; ++i) {
    out.push_back(digits[data[i] >> 4]);
    out.push_back(digits[data[i] & 15]);
  }
  return out;
}

std::string vectorPath(const std::string& name) { return std::string(OTAWRAP_VECTORS_DIR) + "/" + name; }

}  // namespace otawrap::test
