// Hexadecimal digits in and out. The parsers are named for the one form each
// accepts; none allocates or throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace otawrap {

// 0..15 for '0'-'9', 'a'-'f', 'A'-'F'; -1 for any other character.
constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A whole number written as 1..maxDigits hex digits after an optional "0x" or
// "0X", read right-aligned ("1" is 1). False, with value untouched, for an
// empty text, a non-hex character or more than maxDigits digits (maxDigits
// at most 8).
bool parseHexNumber(std::string_view text, int maxDigits, std::uint32_t& value);

// The legacy command line's lax value: skips leading spaces and one "0x" or
// "0X", then reads up to digitCount (4 or 8) characters of text (zero
// terminated), stopping at a space or the end. Digit j goes to bits
// 4*(digitCount-1-j), so short values are left-aligned ("1" gives 0x1000 for
// 4 digits); a character that is not a hex digit counts as 0. Never fails.
std::uint32_t parseLaxLeftAlignedHex(const char* text, int digitCount);

// The hex digits of text, two per octet, most significant first, after an
// optional "0x" or "0X". False for an odd count or a non-hex character; the
// octets are then unspecified.
bool parseHexOctets(std::string_view text, std::string& octets);

// value as exactly digits upper-case hex digits (the lowest 4*digits bits;
// digits at most 16).
std::string hexUpper(std::uint64_t value, int digits);

// octets[0..size) as lower-case or upper-case hex, two digits each.
std::string hexLowerOctets(const std::uint8_t* octets, std::size_t size);
std::string hexUpperOctets(const std::uint8_t* octets, std::size_t size);

}  // namespace otawrap
