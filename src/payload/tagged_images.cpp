// Tagged containers: GBL (4-byte tag, 32-bit little-endian length), EBL
// (2-byte big-endian tag and length), and the FB 05 00 06 head. The layouts
// and the end tags come from the containers' public format documentation;
// the end tag carries the CRC-32 of every byte before it, little-endian, so
// the CRC-32 of the whole container up to the end of that tag is the fixed
// residue kCrc32Residue.
#include <cstring>

#include "codec/bytes.h"
#include "payload/checksums.h"
#include "payload/payload_internal.h"

namespace otawrap::payload_detail {

namespace {

constexpr std::uint8_t kGblEndTag[4] = {0xFC, 0x04, 0x04, 0xFC};     // 0xFC0404FC
constexpr std::size_t kGblTagHead = 8;
constexpr std::uint16_t kEblEndTag = 0xFC04;
constexpr std::size_t kEblTagHead = 4;
constexpr std::size_t kEndTagDataLength = 4;  // the CRC-32
// A trailer some EBL files carry behind their fill (a second chip's image
// rides there): this mark, then the CRC-32 of everything before the mark's
// 8 bytes, little-endian.
constexpr std::uint8_t kEblTrailerMark[4] = {0xA5, 0x5A, 0x5A, 0xA5};
constexpr std::size_t kEblTrailerSize = 8;
constexpr std::size_t kFb05HeadSize = 4;

bool allBytesAre(const std::uint8_t* bytes, std::size_t count, std::uint8_t value) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] != value) return false;
  }
  return true;
}

// The residue check once the walk reached the end of the end tag at `end`.
PayloadCheck endTagResidue(const std::uint8_t* payload, std::size_t end, std::uint32_t length) {
  if (length != kEndTagDataLength) return fail(PayloadReason::malformed);
  if (crc32Update(0, payload, end) != kCrc32Residue) return fail(PayloadReason::checksumMismatch);
  return kOk;
}

bool eblTrailerMatches(const std::uint8_t* payload, std::size_t size, std::size_t end) {
  if (size - end < kEblTrailerSize) return false;
  const std::uint8_t* mark = payload + size - kEblTrailerSize;
  return std::memcmp(mark, kEblTrailerMark, sizeof kEblTrailerMark) == 0 &&
         crc32Update(0, payload, size - kEblTrailerSize) == loadLittle32(mark + 4);
}

}  // namespace

bool isPadding(const std::uint8_t* bytes, std::size_t count) {
  if (count == 0) return true;
  if (count >= kPaddingLimit || (bytes[0] != 0xFF && bytes[0] != 0x00)) return false;
  return allBytesAre(bytes, count, bytes[0]);
}

PayloadCheck endsWithPadding(const std::uint8_t* payload, std::size_t size, std::size_t end) {
  return isPadding(payload + end, size - end) ? kOk : fail(PayloadReason::trailingBytes);
}

PayloadCheck checkGbl(const std::uint8_t* payload, std::size_t size) {
  std::size_t pos = 0;
  for (;;) {
    if (size - pos < kGblTagHead) return fail(PayloadReason::truncated);
    const std::uint32_t length = loadLittle32(payload + pos + 4);
    if (length > size - pos - kGblTagHead) return fail(PayloadReason::truncated);
    const bool end = std::memcmp(payload + pos, kGblEndTag, sizeof kGblEndTag) == 0;
    pos += kGblTagHead + length;
    if (end) {
      const PayloadCheck residue = endTagResidue(payload, pos, length);
      return residue.verdict == PayloadVerdict::ok ? endsWithPadding(payload, size, pos) : residue;
    }
  }
}

PayloadCheck checkEbl(const std::uint8_t* payload, std::size_t size) {
  std::size_t pos = 0;
  for (;;) {
    if (size - pos < kEblTagHead) return fail(PayloadReason::truncated);
    const std::uint16_t tag = loadBig16(payload + pos);
    const std::uint16_t length = loadBig16(payload + pos + 2);
    if (length > size - pos - kEblTagHead) return fail(PayloadReason::truncated);
    pos += kEblTagHead + length;
    if (tag != kEblEndTag) continue;
    const PayloadCheck residue = endTagResidue(payload, pos, length);
    if (residue.verdict != PayloadVerdict::ok) return residue;
    // Only 0xFF fill follows, of any length, or the fill and the trailer.
    if (allBytesAre(payload + pos, size - pos, 0xFF) || eblTrailerMatches(payload, size, pos)) {
      return kOk;
    }
    return fail(PayloadReason::trailingBytes);
  }
}

PayloadCheck checkFb05Head(const std::uint8_t* payload, std::size_t size) {
  if (size < kFb05HeadSize + 4) return fail(PayloadReason::truncated);
  const std::uint32_t stored = loadLittle32(payload + size - 4);
  return crc32Update(0, payload, size - 4) == stored ? kOk
                                                     : fail(PayloadReason::checksumMismatch);
}

}  // namespace otawrap::payload_detail
