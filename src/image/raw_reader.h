// Reader of the raw firmware file written by the IAR Embedded Workbench linker.
//
// Layout (all fields big-endian): a 14-byte file header (32, 32, 32 and 16 bits,
// unused), then records back to back, each led by a type byte:
//   1  data record: kind (8 bits), word (16), start address (32), byte count
//      (32), then byte-count data bytes;
//   2  a 32-bit and an 8-bit value;
//   3  a 32-bit value;
//   any other type has no fields.
// The walk hands out the data bytes in file order with their addresses. It ends
// cleanly when the input ends where a record would begin, or at the first
// record that is not a data record: whatever follows that record's fields is
// never looked at. Input that ends inside the file header, inside a record's
// fixed fields or inside a data record's bytes is truncated.
//
// The walk reads at most an input limit of bytes (kRawInputLimit unless the
// caller sets another): a walk that needs one byte more ends with tooLong, so
// an endless stream (a pipe whose writer never stops sending records) cannot
// keep the reader busy forever. An input of exactly the limit still ends
// cleanly; bytes behind the point where the walk ends are never read and do
// not count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/byte_source.h"

namespace otawrap {

enum class RawStatus : std::uint8_t { ok, truncated, readFailed, tooLong };

inline constexpr std::size_t kRawFileHeaderSize = 14;
// 256 MiB: 512 times the largest image (524,288 bytes), far above any raw file
// a linker writes for these targets; only padding of 0xFF bytes, dropped
// address ranges or empty records could make an accepted file that long.
inline constexpr std::uint64_t kRawInputLimit = std::uint64_t{256} * 1024 * 1024;
inline constexpr std::uint8_t kRawRecordData = 1;

struct RawFileHeader {
  std::uint32_t field0;
  std::uint32_t field1;
  std::uint32_t field2;
  std::uint16_t field3;
};

// The record being read. Fields a record type does not carry stay 0.
struct RawRecord {
  std::uint8_t type;
  std::uint8_t kind;           // data record
  std::uint16_t word;          // data record
  std::uint32_t startAddress;  // data record
  std::uint32_t byteCount;     // data record
  std::uint32_t address;       // address of the next data byte (wraps at 2^32)
  std::uint32_t remaining;     // data bytes of this record not yet handed out
  std::uint32_t value32;       // type 2 and 3
  std::uint8_t value8;         // type 2
};

// Consecutive data bytes of one record; data[i] belongs to address + i (modulo
// 2^32). Valid until the next call of the reader.
struct RawDataSpan {
  const std::uint8_t* data;
  std::size_t length;
  std::uint32_t address;
};

class RawReader {
 public:
  static constexpr std::size_t kChunkSize = 64 * 1024;

  // The source must outlive the reader.
  explicit RawReader(ByteSource& source, std::uint64_t inputLimit = kRawInputLimit);

  // Reads the file header. Call once, before nextData.
  RawStatus readFileHeader();

  // Hands out the next run of data bytes. At the end of the walk it returns ok
  // with span.length 0, and keeps doing so. On truncated, readFailed or
  // tooLong the span is empty and the walk must not go on.
  RawStatus nextData(RawDataSpan& span);

  const RawFileHeader& fileHeader() const { return header_; }
  const RawRecord& record() const { return record_; }

 private:
  // Makes at least one byte available; false at the end of input, on failure
  // or at the input limit.
  bool fill();
  // Reads count (<= 11) bytes as one big-endian field group into out.
  bool readBytes(std::uint8_t* out, std::size_t count);
  RawStatus failure() const;
  RawStatus readRecordHead();

  ByteSource& source_;
  std::uint64_t inputLimit_;
  std::uint64_t consumed_ = 0;  // bytes of the chunks before the current one
  std::vector<std::uint8_t> chunk_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
  bool overLimit_ = false;
  RawFileHeader header_{};
  RawRecord record_{};
};

}  // namespace otawrap
