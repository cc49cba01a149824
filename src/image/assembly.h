// Builds the upgrade-image sub-element from the raw firmware file: packs the
// data bytes the platform keeps, drops the last 100 packed bytes, trims
// trailing 0xFF bytes, pads with 0xFF so the sub-element is a multiple of 4
// bytes long, writes the image preamble and the image CRC, then the sub-element
// head (tag 0x0000, image length N), all little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/platform.h"
#include "image/raw_reader.h"

namespace otawrap {

inline constexpr std::uint16_t kUpgradeImageTag = 0x0000;
inline constexpr std::size_t kUpgradeImageHeadSize = 6;  // tag, then 32-bit length
// The last packed bytes that never become part of the image.
inline constexpr std::size_t kImageCutSize = 100;
// Image preamble: length and identifiers; every image is at least this long.
inline constexpr std::size_t kImageLengthOffset = 0x8C;
inline constexpr std::size_t kImageManufacturerOffset = 0x90;
inline constexpr std::size_t kImageTypeOffset = 0x92;
inline constexpr std::size_t kImageFileVersionOffset = 0x94;
inline constexpr std::size_t kImagePreambleEnd = 0x98;

// The three OTA identifiers. A given one is written into the image; the others
// are read from it.
struct ImageIdentifiers {
  std::uint16_t manufacturerCode;
  std::uint16_t imageType;
  std::uint32_t fileVersion;
  bool manufacturerGiven;
  bool imageTypeGiven;
  bool fileVersionGiven;
};

enum class ImageStatus : std::uint8_t {
  ok,
  inputTruncated,   // the raw file ends inside its header, a record head or data
  inputReadFailed,  // reading the raw file failed
  imageTooSmall,    // no room for the preamble
  imageTooLarge,    // the sub-element would end beyond the limit, or the raw
                    // file runs past the reader's input limit
};

// Reads the raw file's header and walks its records through reader, and
// appends the upgrade-image sub-element at buffer[start]. On ok, end is the
// position behind the sub-element (start + 6 + N, N >= 0x98, N % 4 == 2) and
// ids holds the final identifiers. Bytes at buffer[limit] and beyond are never
// written and the sub-element must end at or before limit, else imageTooLarge.
// The walk stops with imageTooLarge as soon as that is certain: a packed byte
// at or beyond limit that the cut can no longer remove is not 0xFF, so the
// trim cannot remove it either. Packed 0xFF bytes, dropped bytes and empty
// records never make that certain; the reader's input limit ends those.
// Requires start + 6 <= limit. On failure buffer[start..limit) is undefined.
ImageStatus imageAppendUpgradeImage(RawReader& reader, Platform platform, ImageIdentifiers& ids,
                                    std::uint8_t* buffer, std::size_t start, std::size_t limit,
                                    std::size_t& end);

}  // namespace otawrap
