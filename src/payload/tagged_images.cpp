// Tagged containers: GBL (4-byte tag, 32-bit little-endian length), EBL
// (2-byte big-endian tag and length), and the FB 05 00 06 head. The layouts
// and the end tags come from the containers' public format documentation;
// the end tag carries the CRC-32 of every byte before it, little-endian, so
// the CRC-32 of the whole container up to the end of that tag is the fixed
// residue kCrc32Residue. What follows the end is the trailer rule's.
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
constexpr std::size_t kFb05HeadSize = 4;

// The residue check once the walk reached the end of the end tag at `end`.
PayloadCheck endTagResidue(const std::uint8_t* payload, std::size_t end, std::uint32_t length) {
  if (length != kEndTagDataLength) return fail(PayloadReason::malformed);
  if (crc32Update(0, payload, end) != kCrc32Residue) return fail(PayloadReason::checksumMismatch);
  return ok(end);
}

}  // namespace

PayloadCheck checkGbl(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget) {
  if (!budget.spend(kByteCost * size)) return kOverBudget;
  std::size_t pos = 0;
  for (;;) {
    if (size - pos < kGblTagHead) return fail(PayloadReason::truncated);
    const std::uint32_t length = loadLittle32(payload + pos + 4);
    if (length > size - pos - kGblTagHead) return fail(PayloadReason::truncated);
    const bool end = std::memcmp(payload + pos, kGblEndTag, sizeof kGblEndTag) == 0;
    pos += kGblTagHead + length;
    if (end) return endTagResidue(payload, pos, length);
  }
}

PayloadCheck checkEbl(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget) {
  if (!budget.spend(kByteCost * size)) return kOverBudget;
  std::size_t pos = 0;
  for (;;) {
    if (size - pos < kEblTagHead) return fail(PayloadReason::truncated);
    const std::uint16_t tag = loadBig16(payload + pos);
    const std::uint16_t length = loadBig16(payload + pos + 2);
    if (length > size - pos - kEblTagHead) return fail(PayloadReason::truncated);
    pos += kEblTagHead + length;
    if (tag == kEblEndTag) return endTagResidue(payload, pos, length);
  }
}

// The head's CRC-32 follows the bytes it covers, little-endian: the format
// ends at the first place the running CRC-32 leaves the residue.
PayloadCheck checkFb05Head(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget) {
  if (size < kFb05HeadSize + 4) return fail(PayloadReason::truncated);
  if (!budget.spend(kResidueScanByteCost * size)) return kOverBudget;
  std::uint32_t crc = crc32Update(0, payload, kFb05HeadSize + 3);
  for (std::size_t end = kFb05HeadSize + 4; end <= size; ++end) {
    crc = crc32Update(crc, payload + end - 1, 1);
    if (crc == kCrc32Residue) return ok(end);
  }
  return fail(PayloadReason::checksumMismatch);
}

}  // namespace otawrap::payload_detail
