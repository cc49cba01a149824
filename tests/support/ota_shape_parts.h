// The pieces the OTA shape generator is made of (support/ota_shape_generator.h):
// its random source, a header and sub-element writer of its own (independent
// of src/ota), and the row builder that derives the variants of one shape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/ota_shape_generator.h"

namespace otawrap::test::shapes {

using Bytes = std::vector<std::uint8_t>;

class ShapeRandom {
 public:
  explicit ShapeRandom(std::uint32_t seed) : engine_(seed) {}
  std::uint8_t byte() { return static_cast<std::uint8_t>(engine_() % 256); }
  Bytes bytes(std::size_t count) {
    Bytes out(count);
    for (auto& b : out) b = byte();
    return out;
  }

 private:
  std::mt19937 engine_;
};

void putLe16(Bytes& file, std::size_t offset, std::uint16_t value);
void putLe32(Bytes& file, std::size_t offset, std::uint32_t value);
void appendLe32(Bytes& file, std::uint32_t value);
void appendBytes(Bytes& file, const Bytes& more);

struct ShapeHeader {
  std::uint16_t manufacturerCode = 0x1234;
  std::uint16_t imageType = 0x5678;
  std::uint32_t fileVersion = 1;
  std::string headerString;  // at most 32 bytes, zero padded
};

// Offsets inside the 56-byte header.
inline constexpr std::size_t kHeaderStringOffset = 20;
inline constexpr std::size_t kTotalSizeOffset = 52;
inline constexpr std::size_t kHeaderSize = 56;

// The 56-byte header (no optional fields) with a total image size of 56.
Bytes shapeHeader(const ShapeHeader& fields);
// Sets the total image size field of the header at file[0].
void stampTotalSize(Bytes& file, std::size_t totalSize);
// Appends a 6-byte head (tag, u32 length) and the data.
void appendElement(Bytes& file, std::uint16_t tag, const Bytes& data);

// XORs one bit into file[offset].
Bytes flipped(Bytes file, std::size_t offset);

// Collects the rows of one shape: the well-formed file first, then variants.
class ShapeRows {
 public:
  ShapeRows(std::vector<ShapeSample>& rows, std::string shape) : rows_(rows), shape_(std::move(shape)) {}

  // The well-formed file; the OTA file lies at bytes[innerOffset..+innerSize).
  void wellFormed(Bytes bytes, std::size_t innerOffset, std::size_t innerSize,
                  std::vector<std::string> reported);
  // A variant judged damaged.
  void damaged(const std::string& variant, const std::string& change, Bytes bytes);
  // A variant that stays good: the OTA file lies where it lies in the
  // well-formed file.
  void good(const std::string& variant, const std::string& change, Bytes bytes);
  // cut (last byte dropped) and extended (one 0x00 appended), both damaged.
  void cutAndExtended();
  // flip-<where>: one bit of the well-formed file at offset.
  void flip(const std::string& where, std::size_t offset, ShapeVerdict verdict);

  const Bytes& bytes() const { return rows_[first_].bytes; }

 private:
  std::vector<ShapeSample>& rows_;
  std::string shape_;
  std::size_t first_ = 0;
};

// The header fields of a shape: its own file version and header string.
ShapeHeader headerFor(const std::string& shape, std::uint32_t fileVersion);

void addTrailerShapes(ShapeRandom& random, std::vector<ShapeSample>& rows);
void addElementShapes(ShapeRandom& random, std::vector<ShapeSample>& rows);
void addHeadlessShapes(ShapeRandom& random, std::vector<ShapeSample>& rows);
void addContainerShapes(ShapeRandom& random, std::vector<ShapeSample>& rows);
void addIntegrityCodeShapes(ShapeRandom& random, std::vector<ShapeSample>& rows);

}  // namespace otawrap::test::shapes
