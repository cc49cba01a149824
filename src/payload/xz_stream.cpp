// The xz container (the xz file format, version 1.2.x): checked without
// decompression. The last stream's footer is the last 4-aligned place where
// "YZ" ends 12 bytes whose CRC-32 holds (what follows is the trailer rule's).
// Streams are read from there back: stream padding, the footer
// (CRC-32, backward size, flags, "YZ"), the index its backward size points at
// (records of unpadded and uncompressed sizes, CRC-32), then the stream
// header the blocks' sizes lead back to (magic, flags, CRC-32), then every
// block header (its CRC-32, its optional sizes against the index) and block
// padding. The compressed data and each block's own check (CRC-32, CRC-64 or
// SHA-256 of the uncompressed data) are not verified.
#include <cstring>

#include "codec/bytes.h"
#include "payload/checksums.h"
#include "payload/payload_internal.h"

namespace otawrap::payload_detail {

namespace {

constexpr std::uint8_t kHeaderMagic[6] = {0xFD, '7', 'z', 'X', 'Z', 0x00};
constexpr std::uint8_t kFooterMagic[2] = {'Y', 'Z'};
constexpr std::size_t kStreamHeadSize = 12;  // header and footer alike
constexpr std::size_t kVliMaxBytes = 9;
constexpr std::uint8_t kBlockReservedFlags = 0x3C;
constexpr std::uint8_t kBlockHasCompressedSize = 0x40;
constexpr std::uint8_t kBlockHasUncompressedSize = 0x80;

struct Cursor {
  const std::uint8_t* bytes;
  std::size_t pos;
  std::size_t end;
};

// A multibyte integer: 7 bits a byte, least significant first, at most 9
// bytes, no superfluous zero byte at the end.
bool readVli(Cursor& at, std::uint64_t& value) {
  value = 0;
  for (std::size_t i = 0; i < kVliMaxBytes && at.pos < at.end; ++i) {
    const std::uint8_t byte = at.bytes[at.pos++];
    value |= std::uint64_t{byte & 0x7Fu} << (7 * i);
    if ((byte & 0x80) == 0) return i == 0 || byte != 0;
  }
  return false;
}

std::size_t checkSize(std::uint8_t checkType) {
  return checkType == 0 ? 0 : std::size_t{4} << ((checkType - 1) / 3);
}

std::uint64_t roundUp4(std::uint64_t n) { return (n + 3) & ~std::uint64_t{3}; }

bool zeros(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// The index's records from the first; count them with `records`.
bool indexRecords(Cursor& index, std::uint64_t& records) {
  return index.pos < index.end && index.bytes[index.pos++] == 0 && readVli(index, records);
}

PayloadCheck checkBlock(const std::uint8_t* payload, std::size_t pos, std::uint64_t unpadded,
                        std::uint64_t uncompressed, std::size_t check) {
  const std::size_t headerSize = (std::size_t{payload[pos]} + 1) * 4;
  if (payload[pos] == 0 || headerSize + check >= unpadded) return fail(PayloadReason::malformed);
  if (crc32Update(0, payload + pos, headerSize - 4) != loadLittle32(payload + pos + headerSize - 4)) {
    return fail(PayloadReason::checksumMismatch);
  }
  const std::uint8_t flags = payload[pos + 1];
  if ((flags & kBlockReservedFlags) != 0) return fail(PayloadReason::malformed);
  const std::uint64_t compressed = unpadded - headerSize - check;
  Cursor field{payload, pos + 2, pos + headerSize - 4};
  std::uint64_t value = 0;
  if ((flags & kBlockHasCompressedSize) != 0 && (!readVli(field, value) || value != compressed)) {
    return fail(PayloadReason::lengthMismatch);
  }
  if ((flags & kBlockHasUncompressedSize) != 0 &&
      (!readVli(field, value) || value != uncompressed)) {
    return fail(PayloadReason::lengthMismatch);
  }
  const std::size_t dataEnd = pos + headerSize + static_cast<std::size_t>(compressed);
  const std::size_t padding = static_cast<std::size_t>(roundUp4(dataEnd) - dataEnd);
  return zeros(payload + dataEnd, padding) ? ok(dataEnd + padding)
                                           : fail(PayloadReason::badPadding);
}

// The stream ending at `end`; sets `start` to where it begins.
PayloadCheck checkStream(const std::uint8_t* payload, std::size_t end, std::size_t& start) {
  if (end < 2 * kStreamHeadSize + 8) return fail(PayloadReason::truncated);
  const std::uint8_t* footer = payload + end - kStreamHeadSize;
  if (std::memcmp(footer + 10, kFooterMagic, sizeof kFooterMagic) != 0) {
    return fail(PayloadReason::truncated);
  }
  if (crc32Update(0, footer + 4, 6) != loadLittle32(footer)) {
    return fail(PayloadReason::checksumMismatch);
  }
  if (footer[8] != 0 || (footer[9] & 0xF0) != 0) return fail(PayloadReason::malformed);
  const std::size_t check = checkSize(footer[9]);
  const std::uint64_t indexSize = (std::uint64_t{loadLittle32(footer + 4)} + 1) * 4;
  const std::size_t footerStart = end - kStreamHeadSize;
  if (indexSize > footerStart - kStreamHeadSize) return fail(PayloadReason::lengthMismatch);
  const std::size_t indexAt = footerStart - static_cast<std::size_t>(indexSize);
  if (crc32Update(0, payload + indexAt, indexSize - 4) != loadLittle32(footer - 4)) {
    return fail(PayloadReason::checksumMismatch);
  }
  // First pass: the blocks' total size, which places the stream header.
  Cursor index{payload, indexAt, footerStart - 4};
  std::uint64_t records = 0;
  if (!indexRecords(index, records)) return fail(PayloadReason::malformed);
  std::uint64_t blocks = 0;
  for (std::uint64_t r = 0; r < records; ++r) {
    std::uint64_t unpadded = 0;
    std::uint64_t uncompressed = 0;
    if (!readVli(index, unpadded) || !readVli(index, uncompressed) || unpadded == 0) {
      return fail(PayloadReason::malformed);
    }
    blocks += roundUp4(unpadded);
    if (blocks > indexAt) return fail(PayloadReason::lengthMismatch);
  }
  if (index.end - index.pos > 3 || !zeros(payload + index.pos, index.end - index.pos)) {
    return fail(PayloadReason::malformed);
  }
  if (indexAt - blocks < kStreamHeadSize) return fail(PayloadReason::lengthMismatch);
  start = indexAt - static_cast<std::size_t>(blocks) - kStreamHeadSize;
  const std::uint8_t* header = payload + start;
  if (std::memcmp(header, kHeaderMagic, sizeof kHeaderMagic) != 0) {
    return fail(PayloadReason::lengthMismatch);
  }
  if (crc32Update(0, header + 6, 2) != loadLittle32(header + 8)) {
    return fail(PayloadReason::checksumMismatch);
  }
  if (header[6] != footer[8] || header[7] != footer[9]) return fail(PayloadReason::malformed);
  // Second pass: every block against its record.
  index.pos = indexAt;
  indexRecords(index, records);
  std::size_t pos = start + kStreamHeadSize;
  for (std::uint64_t r = 0; r < records; ++r) {
    std::uint64_t unpadded = 0;
    std::uint64_t uncompressed = 0;
    readVli(index, unpadded);
    readVli(index, uncompressed);
    const PayloadCheck block = checkBlock(payload, pos, unpadded, uncompressed, check);
    if (block.verdict != PayloadVerdict::ok) return block;
    pos += static_cast<std::size_t>(roundUp4(unpadded));
  }
  return ok(end);
}

bool footerAt(const std::uint8_t* payload, std::size_t end) {
  const std::uint8_t* footer = payload + end - kStreamHeadSize;
  return std::memcmp(footer + 10, kFooterMagic, sizeof kFooterMagic) == 0 &&
         crc32Update(0, footer + 4, 6) == loadLittle32(footer);
}

}  // namespace

PayloadCheck checkXzStream(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget) {
  if (!budget.spend(kByteCost * size)) return kOverBudget;
  std::size_t last = size - size % 4;
  while (last >= 2 * kStreamHeadSize + 8 && !footerAt(payload, last)) last -= 4;
  if (last < 2 * kStreamHeadSize + 8) return fail(PayloadReason::truncated);
  // A stream header after the last footer starts a stream cut short.
  std::size_t next = last;
  while (size - next >= 4 && zeros(payload + next, 4)) next += 4;
  if (size - next >= sizeof kHeaderMagic &&
      std::memcmp(payload + next, kHeaderMagic, sizeof kHeaderMagic) == 0) {
    return fail(PayloadReason::truncated);
  }
  std::size_t end = last;
  for (;;) {
    std::size_t start = 0;
    const PayloadCheck stream = checkStream(payload, end, start);
    if (stream.verdict != PayloadVerdict::ok) return stream;
    if (start == 0) return ok(last);
    // Stream padding: zero bytes, a multiple of four, between streams.
    end = start;
    while (end >= 4 && zeros(payload + end - 4, 4)) end -= 4;
  }
}

}  // namespace otawrap::payload_detail
