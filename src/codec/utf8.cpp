#include "codec/utf8.h"

namespace otawrap {

std::size_t utf8SequenceLength(const unsigned char* data, std::size_t length) {
  const unsigned lead = data[0];
  if (lead < 0x80) return 1;
  // The lead byte fixes the length and the second byte's range, which is
  // what rules out overlong forms, surrogates and values past U+10FFFF.
  std::size_t count = 0;
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (length < count || data[1] < low || data[1] > high) return 0;
  for (std::size_t i = 2; i < count; ++i) {
    if (data[i] < 0x80 || data[i] > 0xBF) return 0;
  }
  return count;
}

std::uint32_t utf8CodePoint(const unsigned char* data, std::size_t sequenceLength) {
  static constexpr unsigned kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::uint32_t value = data[0] & kLeadBits[sequenceLength];
  for (std::size_t i = 1; i < sequenceLength; ++i) value = (value << 6) | (data[i] & 0x3Fu);
  return value;
}

}  // namespace otawrap
