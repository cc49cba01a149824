// Builds OTA files byte by byte for the reader tests, independently of src/:
// header (with any optional fields), sub-elements from a list, and upgrade
// images whose preamble and CRC come from the test's own CRC model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "support/image_model.h"

namespace otawrap::test {

using Bytes = std::vector<std::uint8_t>;

inline void putLe(Bytes& bytes, std::size_t at, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void appendLe(Bytes& bytes, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline constexpr std::uint16_t kBuiltManufacturer = 0x100B;
inline constexpr std::uint16_t kBuiltImageType = 0x0042;
inline constexpr std::uint32_t kBuiltFileVersion = 0x00010203;

// An upgrade image of `length` bytes: a byte pattern, the preamble (length at
// 0x8C, identifiers at 0x90..0x97, where they fit), edit applied, then the CRC
// at crcOffset (low byte, high byte, FF, FF) when it fits.
inline Bytes builtImage(std::size_t length, std::size_t crcOffset,
                        const std::function<void(Bytes&)>& edit = {}) {
  Bytes image(length);
  for (std::size_t i = 0; i < length; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  if (length >= 0x90) putLe(image, 0x8C, length, 4);
  if (length >= 0x92) putLe(image, 0x90, kBuiltManufacturer, 2);
  if (length >= 0x94) putLe(image, 0x92, kBuiltImageType, 2);
  if (length >= 0x98) putLe(image, 0x94, kBuiltFileVersion, 4);
  if (edit) edit(image);
  if (crcOffset + 4 <= length) {
    Bytes covered;
    for (std::size_t i = 0; i < length; ++i) {
      if (i < crcOffset || i >= crcOffset + 4) covered.push_back(image[i]);
    }
    putLe(image, crcOffset, imageCrcByConventionalCrc(covered), 2);
    putLe(image, crcOffset + 2, 0xFFFF, 2);
  }
  return image;
}

struct BuiltSubElement {
  std::uint16_t tag;
  Bytes data;
};

inline BuiltSubElement builtCertificate(std::size_t length = 48) {
  return {0x0002, Bytes(length, 0xCE)};
}

inline BuiltSubElement builtSignature(std::size_t length = 50) {
  return {0x0001, Bytes(length, 0x51)};
}

struct BuiltHeaderFields {
  std::uint16_t fieldControl = 0;
  std::uint8_t securityCredentialVersion = 0x05;
  Bytes destination = {0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x00};
  std::uint16_t minimumHardwareVersion = 0x0102;
  std::uint16_t maximumHardwareVersion = 0x0304;
  Bytes headerString = Bytes(32, 0);
};

// The whole file: header with the optional fields its field control asks for,
// then the sub-elements; header length and total size as they should be.
inline Bytes builtOtaFile(const std::vector<BuiltSubElement>& elements,
                          const BuiltHeaderFields& fields = {}) {
  Bytes file;
  appendLe(file, 0x0BEEF11E, 4);
  appendLe(file, 0x0100, 2);
  appendLe(file, 0, 2);  // header length, set below
  appendLe(file, fields.fieldControl, 2);
  appendLe(file, kBuiltManufacturer, 2);
  appendLe(file, kBuiltImageType, 2);
  appendLe(file, kBuiltFileVersion, 4);
  appendLe(file, 0x0002, 2);
  file.insert(file.end(), fields.headerString.begin(), fields.headerString.end());
  appendLe(file, 0, 4);  // total size, set below
  if (fields.fieldControl & 1) file.push_back(fields.securityCredentialVersion);
  if (fields.fieldControl & 2) {
    file.insert(file.end(), fields.destination.begin(), fields.destination.end());
  }
  if (fields.fieldControl & 4) {
    appendLe(file, fields.minimumHardwareVersion, 2);
    appendLe(file, fields.maximumHardwareVersion, 2);
  }
  putLe(file, 6, file.size(), 2);
  for (const BuiltSubElement& e : elements) {
    appendLe(file, e.tag, 2);
    appendLe(file, e.data.size(), 4);
    file.insert(file.end(), e.data.begin(), e.data.end());
  }
  putLe(file, 52, file.size(), 4);
  return file;
}

struct ReferenceSubElement {
  std::uint16_t tag;
  std::size_t offset;
  std::uint32_t length;
  bool operator==(const ReferenceSubElement& o) const {
    return tag == o.tag && offset == o.offset && length == o.length;
  }
};

// The obvious walk: from `start`, while a whole head and its data fit.
// Returns the complete sub-elements and whether the walk ended exactly at the
// end of the file.
inline std::pair<std::vector<ReferenceSubElement>, bool> referenceWalk(const Bytes& file,
                                                                       std::size_t start) {
  std::vector<ReferenceSubElement> list;
  std::size_t at = start;
  while (at + 6 <= file.size()) {
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = (length << 8) | file[at + 2 + i];
    if (std::uint64_t{at} + 6 + length > file.size()) return {list, false};
    list.push_back({static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8)), at, length});
    at += 6 + length;
  }
  return {list, at == file.size()};
}

}  // namespace otawrap::test
