#include "codec/hex.h"

namespace otawrap {

namespace {

std::string_view withoutHexPrefix(std::string_view text) {
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
  return text;
}

}  // namespace

bool parseHexNumber(std::string_view text, int maxDigits, std::uint32_t& value) {
  text = withoutHexPrefix(text);
  if (text.empty() || text.size() > static_cast<std::size_t>(maxDigits)) return false;
  std::uint32_t result = 0;
  for (char c : text) {
    const int digit = hexDigit(c);
    if (digit < 0) return false;
    result = (result << 4) | static_cast<std::uint32_t>(digit);
  }
  value = result;
  return true;
}

std::uint32_t parseLaxLeftAlignedHex(const char* text, int digitCount) {
  const char* p = text;
  while (*p == ' ') {
    ++p;
  }
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    p += 2;
  }
  std::uint32_t value = 0;
  for (int j = 0; j < digitCount && p[j] != '\0' && p[j] != ' '; ++j) {
    const int digit = hexDigit(p[j]);
    value |= static_cast<std::uint32_t>(digit < 0 ? 0 : digit) << (4 * (digitCount - 1 - j));
  }
  return value;
}

bool parseHexOctets(std::string_view text, std::string& octets) {
  text = withoutHexPrefix(text);
  if (text.size() % 2 != 0) return false;
  octets.clear();
  for (std::size_t at = 0; at < text.size(); at += 2) {
    const int high = hexDigit(text[at]);
    const int low = hexDigit(text[at + 1]);
    if (high < 0 || low < 0) return false;
    octets.push_back(static_cast<char>((high << 4) | low));
  }
  return true;
}

std::string hexUpper(std::uint64_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

namespace {

std::string octetsHex(const std::uint8_t* octets, std::size_t size, const char* digits) {
  std::string text;
  text.reserve(2 * size);
  for (std::size_t i = 0; i < size; ++i) {
    text += digits[octets[i] >> 4];
    text += digits[octets[i] & 0xF];
  }
  return text;
}

}  // namespace

std::string hexLowerOctets(const std::uint8_t* octets, std::size_t size) {
  return octetsHex(octets, size, "0123456789abcdef");
}

std::string hexUpperOctets(const std::uint8_t* octets, std::size_t size) {
  return octetsHex(octets, size, "0123456789ABCDEF");
}

}  // namespace otawrap
