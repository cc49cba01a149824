#include "support/ota_shape_generator.h"

#include <algorithm>

#include "support/ota_shape_parts.h"

namespace otawrap::test {

namespace shapes {

void putLe16(Bytes& file, std::size_t offset, std::uint16_t value) {
  file[offset] = static_cast<std::uint8_t>(value);
  file[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putLe32(Bytes& file, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void appendLe32(Bytes& file, std::uint32_t value) {
  file.resize(file.size() + 4);
  putLe32(file, file.size() - 4, value);
}

void appendBytes(Bytes& file, const Bytes& more) { file.insert(file.end(), more.begin(), more.end()); }

Bytes shapeHeader(const ShapeHeader& fields) {
  Bytes header(kHeaderSize, 0);
  putLe32(header, 0, 0x0BEEF11E);
  putLe16(header, 4, 0x0100);
  putLe16(header, 6, static_cast<std::uint16_t>(kHeaderSize));
  putLe16(header, 8, 0);
  putLe16(header, 10, fields.manufacturerCode);
  putLe16(header, 12, fields.imageType);
  putLe32(header, 14, fields.fileVersion);
  putLe16(header, 18, 0x0002);
  std::copy_n(fields.headerString.begin(), std::min<std::size_t>(fields.headerString.size(), 32),
              header.begin() + kHeaderStringOffset);
  putLe32(header, kTotalSizeOffset, static_cast<std::uint32_t>(kHeaderSize));
  return header;
}

void stampTotalSize(Bytes& file, std::size_t totalSize) {
  putLe32(file, kTotalSizeOffset, static_cast<std::uint32_t>(totalSize));
}

void appendElement(Bytes& file, std::uint16_t tag, const Bytes& data) {
  const std::size_t head = file.size();
  file.resize(head + 6);
  putLe16(file, head, tag);
  putLe32(file, head + 2, static_cast<std::uint32_t>(data.size()));
  appendBytes(file, data);
}

Bytes flipped(Bytes file, std::size_t offset) {
  file.at(offset) ^= 0x10;
  return file;
}

ShapeHeader headerFor(const std::string& shape, std::uint32_t fileVersion) {
  ShapeHeader fields;
  fields.fileVersion = fileVersion;
  fields.headerString = "shape " + shape;
  return fields;
}

void ShapeRows::wellFormed(Bytes bytes, std::size_t innerOffset, std::size_t innerSize,
                           std::vector<std::string> reported) {
  first_ = rows_.size();
  rows_.push_back({shape_, shape_, "", "", std::move(bytes), ShapeVerdict::good, innerOffset,
                   innerSize, std::move(reported)});
}

void ShapeRows::damaged(const std::string& variant, const std::string& change, Bytes bytes) {
  rows_.push_back({variant.empty() ? shape_ : shape_ + "." + variant, shape_, variant, change,
                   std::move(bytes), ShapeVerdict::damaged, 0, 0, {}});
}

void ShapeRows::good(const std::string& variant, const std::string& change, Bytes bytes) {
  const ShapeSample& base = rows_[first_];
  rows_.push_back({shape_ + "." + variant, shape_, variant, change, std::move(bytes),
                   ShapeVerdict::good, base.innerOffset, base.innerSize, base.reported});
}

void ShapeRows::cutAndExtended() {
  Bytes cut = bytes();
  cut.pop_back();
  damaged("cut", "the last byte removed", std::move(cut));
  Bytes extended = bytes();
  extended.push_back(0x00);
  damaged("extended", "one 0x00 byte appended", std::move(extended));
}

void ShapeRows::flip(const std::string& where, std::size_t offset, ShapeVerdict verdict) {
  const std::string change = "one bit flipped at byte " + std::to_string(offset);
  if (verdict == ShapeVerdict::good) {
    good("flip-" + where, change, flipped(bytes(), offset));
  } else {
    damaged("flip-" + where, change, flipped(bytes(), offset));
  }
}

namespace {

// A plain file: header, one upgrade image of `imageBytes` random bytes.
Bytes plainFile(ShapeRandom& random, const ShapeHeader& fields, std::size_t imageBytes) {
  Bytes file = shapeHeader(fields);
  appendElement(file, 0x0000, random.bytes(imageBytes));
  stampTotalSize(file, file.size());
  return file;
}

void addPlainShapes(ShapeRandom& random, std::vector<ShapeSample>& rows) {
  {
    ShapeRows plain(rows, "plain");
    const Bytes file = plainFile(random, headerFor("plain", 0x01000001), 1000);
    plain.wellFormed(file, 0, file.size(), {});
    plain.cutAndExtended();
    plain.flip("image", 500, ShapeVerdict::good);
  }
  {
    ShapeRows prefixed(rows, "vendor-prefix");
    const Bytes inner = plainFile(random, headerFor("vendor-prefix", 0x01000002), 700);
    Bytes file = {'P', 'R', 'E', 'F', 'I', 'X', 0};
    appendBytes(file, Bytes(13, 0x5A));
    const std::size_t prefix = file.size();
    appendBytes(file, inner);
    prefixed.wellFormed(file, prefix, inner.size(), {"Vendor prefix: 20 bytes"});
    prefixed.cutAndExtended();
  }
  {
    // The one damaged shape: a file that stops 100 bytes before its TIS.
    ShapeRows truncated(rows, "truncated");
    Bytes file = plainFile(random, headerFor("truncated", 0x01000003), 1000);
    file.resize(file.size() - 100);
    truncated.damaged("", "the last 100 bytes of a plain file removed", file);
  }
}

}  // namespace

}  // namespace shapes

std::vector<std::uint8_t> ShapeSample::inner() const {
  return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(innerOffset),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(innerOffset + innerSize));
}

std::vector<ShapeSample> generateShapeSamples(std::uint32_t seed) {
  shapes::ShapeRandom random(seed);
  std::vector<ShapeSample> rows;
  shapes::addPlainShapes(random, rows);
  shapes::addTrailerShapes(random, rows);
  shapes::addElementShapes(random, rows);
  shapes::addHeadlessShapes(random, rows);
  shapes::addContainerShapes(random, rows);
  shapes::addIntegrityCodeShapes(random, rows);
  return rows;
}

std::vector<ShapeSample> generateShapes(std::uint32_t seed) {
  std::vector<ShapeSample> rows = generateShapeSamples(seed);
  rows.erase(std::remove_if(rows.begin(), rows.end(),
                            [](const ShapeSample& row) { return !row.variant.empty(); }),
             rows.end());
  return rows;
}

}  // namespace otawrap::test
