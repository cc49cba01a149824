// UTF-8 validity against a slow decoder written from the definition: decode
// the bits first, then refuse what the definition refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "codec/utf8.h"

namespace otawrap {
namespace {

struct Decoded {
  std::size_t length;  // 0: not well-formed
  std::uint32_t value;
};

Decoded slowDecode(const unsigned char* data, std::size_t size) {
  const unsigned lead = data[0];
  std::size_t length = 0;
  if ((lead & 0x80u) == 0) length = 1;
  else if ((lead & 0xE0u) == 0xC0u) length = 2;
  else if ((lead & 0xF0u) == 0xE0u) length = 3;
  else if ((lead & 0xF8u) == 0xF0u) length = 4;
  else return {0, 0};
  if (size < length) return {0, 0};
  std::uint32_t value = lead & (0x7Fu >> (length == 1 ? 0 : length));
  for (std::size_t i = 1; i < length; ++i) {
    if ((data[i] & 0xC0u) != 0x80u) return {0, 0};
    value = (value << 6) | (data[i] & 0x3Fu);
  }
  const std::uint32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < shortest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return {0, 0};
  }
  return {length, value};
}

void expectAgrees(const unsigned char* data, std::size_t size) {
  const Decoded slow = slowDecode(data, size);
  const std::size_t length = utf8SequenceLength(data, size);
  ASSERT_EQ(length, slow.length) << std::hex << unsigned(data[0]) << " " << unsigned(data[1]) << " "
                                 << unsigned(data[2]) << " " << unsigned(data[3]) << " size " << size;
  if (length != 0) {
    ASSERT_EQ(utf8CodePoint(data, length), slow.value);
  }
}

// Every one-, two- and three-byte input, each also cut short; four-byte
// sequences by every lead and second byte with random tails.
TEST(Utf8, AgreesWithTheSlowDecoder) {
  unsigned char bytes[4] = {0, 0, 0, 0};
  for (unsigned a = 0; a < 256; ++a) {
    bytes[0] = static_cast<unsigned char>(a);
    for (unsigned b = 0; b < 256; ++b) {
      bytes[1] = static_cast<unsigned char>(b);
      for (std::size_t size = 1; size <= 2; ++size) expectAgrees(bytes, size);
      if (a < 0xE0 || a > 0xEF) continue;
      for (unsigned c = 0; c < 256; ++c) {
        bytes[2] = static_cast<unsigned char>(c);
        expectAgrees(bytes, 3);
      }
      bytes[2] = 0;
    }
  }
  std::mt19937 random(8);  // fixed seed
  for (unsigned a = 0xF0; a < 0x100; ++a) {
    for (unsigned b = 0; b < 256; ++b) {
      for (int round = 0; round < 16; ++round) {
        bytes[0] = static_cast<unsigned char>(a);
        bytes[1] = static_cast<unsigned char>(b);
        bytes[2] = static_cast<unsigned char>(round < 8 ? 0x80 + (random() & 0x3F) : random());
        bytes[3] = static_cast<unsigned char>(round < 8 ? 0x80 + (random() & 0x3F) : random());
        for (std::size_t size = 3; size <= 4; ++size) expectAgrees(bytes, size);
      }
    }
  }
}

// The edges by name, so a failure says which rule broke.
TEST(Utf8, Edges) {
  const struct {
    const char* text;
    std::size_t length;
  } cases[] = {
      {"\x7F", 1},         {"\xC2\x80", 2},         {"\xC1\xBF", 0} /* overlong */,
      {"\xE0\xA0\x80", 3}, {"\xE0\x9F\xBF", 0},     {"\xED\x9F\xBF", 3},
      {"\xED\xA0\x80", 0} /* surrogate */,          {"\xF0\x90\x80\x80", 4},
      {"\xF4\x8F\xBF\xBF", 4}, {"\xF4\x90\x80\x80", 0} /* past U+10FFFF */,
      {"\x80", 0},         {"\xE2\x82", 0} /* cut */, {"\xF5\x80\x80\x80", 0},
  };
  for (const auto& c : cases) {
    const auto* data = reinterpret_cast<const unsigned char*>(c.text);
    EXPECT_EQ(utf8SequenceLength(data, std::char_traits<char>::length(c.text)), c.length) << c.text;
  }
}

}  // namespace
}  // namespace otawrap
