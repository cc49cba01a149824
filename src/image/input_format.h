// What kind of file a conversion input is, told from its first bytes, and a
// source that lets the caller look at those bytes before the reader starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/byte_source.h"

namespace otawrap {

enum class InputFormat : std::uint8_t {
  raw,       // anything else: the IAR raw firmware file
  intelHex,  // the first byte that is not a space, tab, CR or LF is ':', after
             // a UTF-8 byte order mark if there is one
  otaFile,   // starts with the OTA file identifier 0x0BEEF11E, little-endian
  elf,       // starts with 0x7F 'E' 'L' 'F'
};

// How many leading bytes the detection looks at, at most.
inline constexpr std::size_t kInputPeekSize = 4096;

// Classifies a file from data[0..size): its first kInputPeekSize bytes, or all
// of it when shorter. The identifier and ELF checks come first. Text that is
// blank throughout the given bytes is raw: an Intel HEX file with more than
// kInputPeekSize leading blanks needs the format named.
InputFormat detectInputFormat(const std::uint8_t* data, std::size_t size);

// Reads the first kInputPeekSize bytes of inner ahead, then serves all of
// inner's bytes from the start as if nothing had been read.
class PeekedSource final : public ByteSource {
 public:
  // inner must outlive this source. Reads ahead at once.
  explicit PeekedSource(ByteSource& inner);

  // The bytes read ahead (fewer than kInputPeekSize only for a shorter input
  // or a failed read).
  const std::uint8_t* head() const { return head_.data(); }
  std::size_t headSize() const { return head_.size(); }

  std::size_t read(std::uint8_t* out, std::size_t capacity) override;
  bool failed() const override { return inner_.failed(); }

 private:
  ByteSource& inner_;
  std::vector<std::uint8_t> head_;
  std::size_t served_ = 0;
};

}  // namespace otawrap
