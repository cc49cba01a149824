#include "image/input_format.h"

#include <cstring>

#include "codec/bytes.h"

namespace otawrap {

namespace {

// The OTA file identifier as the first four bytes of an OTA file.
constexpr std::uint32_t kOtaIdentifier = 0x0BEEF11E;
constexpr std::uint8_t kElfMagic[4] = {0x7F, 'E', 'L', 'F'};
// U+FEFF in UTF-8, which some editors write at the start of a text file.
constexpr std::uint8_t kByteOrderMark[3] = {0xEF, 0xBB, 0xBF};

}  // namespace

InputFormat detectInputFormat(const std::uint8_t* data, std::size_t size) {
  if (size >= 4 && loadLittle32(data) == kOtaIdentifier) {
    return InputFormat::otaFile;
  }
  if (size >= 4 && std::memcmp(data, kElfMagic, 4) == 0) {
    return InputFormat::elf;
  }
  const std::size_t limit = size < kInputPeekSize ? size : kInputPeekSize;
  const std::size_t start = size >= 3 && std::memcmp(data, kByteOrderMark, 3) == 0 ? 3 : 0;
  // cppcheck-suppress knownConditionTrueFalse ; limit is 0 only for an empty input
  for (std::size_t i = start; i < limit; ++i) {
    const std::uint8_t c = data[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      return c == ':' ? InputFormat::intelHex : InputFormat::raw;
    }
  }
  return InputFormat::raw;
}

PeekedSource::PeekedSource(ByteSource& inner) : inner_(inner), head_(kInputPeekSize) {
  std::size_t filled = 0;
  while (filled < head_.size()) {
    const std::size_t got = inner_.read(head_.data() + filled, head_.size() - filled);
    if (got == 0) {
      break;
    }
    filled += got;
  }
  head_.resize(filled);
}

std::size_t PeekedSource::read(std::uint8_t* out, std::size_t capacity) {
  if (served_ < head_.size()) {
    const std::size_t left = head_.size() - served_;
    const std::size_t take = capacity < left ? capacity : left;
    std::memcpy(out, head_.data() + served_, take);
    served_ += take;
    return take;
  }
  return inner_.read(out, capacity);
}

}  // namespace otawrap
