// Application images recognised by their header fields rather than a long
// magic: the 0xE9 segmented image, the KNLT image, the Cortex-M vector table
// with a word-sum, this tool's image preamble, and the identify-only shapes
// (a vector table behind a head, a TLV wrapper, a CBOR multi-image header).
#include <cstring>

#include "codec/bytes.h"
#include "image/assembly.h"
#include "image/crc.h"
#include "image/platform.h"
#include "payload/checksums.h"
#include "payload/payload_internal.h"
#include "sign/sha256.h"

namespace otawrap::payload_detail {

namespace {

// The 0xE9 application image, from its public image-format description: a
// 24-byte header (magic, segment count, flash settings, entry point, then the
// extended header whose last byte says whether a SHA-256 follows), at most 16
// segments of an 8-byte head (load address, data length) and the data, zero
// padding up to the checksum byte, which ends a 16-byte block, then the
// optional SHA-256 of every byte before it.
constexpr std::uint8_t kSegmentedMagic = 0xE9;
constexpr std::size_t kSegmentedHeaderSize = 24;
constexpr std::size_t kSegmentedHashFlagOffset = 23;
constexpr std::size_t kSegmentHeadSize = 8;
constexpr unsigned kSegmentLimit = 16;
constexpr std::uint8_t kSegmentChecksumSeed = 0xEF;
constexpr std::size_t kSegmentedAlignment = 16;

// The KNLT image, from its public OTA description: 5D 02 at offset 6, "KNLT"
// at 8 (absent on a few), the image size at 0x18 (32-bit little-endian), and
// the last 4 bytes of the image the inverted CRC-32 (JAMCRC) of the others.
constexpr std::uint8_t kKnltMark[2] = {0x5D, 0x02};
constexpr std::size_t kKnltMarkOffset = 6;
constexpr std::uint8_t kKnltName[4] = {'K', 'N', 'L', 'T'};
constexpr std::size_t kKnltNameOffset = 8;
constexpr std::size_t kKnltSizeOffset = 0x18;

// A Cortex-M vector table whose initial stack pointer lies at 0x04xxxxxx;
// its boot ROM accepts the image when words 0-7 add up to 0 modulo 2^32.
constexpr std::size_t kVectorSumWords = 8;
constexpr std::uint32_t kVectorStackRegion = 0x04000000;
constexpr std::uint32_t kRegionMask = 0xFF000000;

// A vector table behind a 16-byte head: stack pointer in SRAM (0x20xxxxxx,
// word aligned), reset handler a Thumb address (odd) below SRAM.
constexpr std::size_t kHeadedTableOffset = 16;
constexpr std::uint32_t kSramRegion = 0x20000000;

constexpr std::size_t kTlvHeadSize = 8;  // 4-byte type, 32-bit little-endian length

// The multi-image header: a 16-bit little-endian length of the CBOR header,
// then a CBOR map (major type 5) whose first key is the text "img".
constexpr std::uint8_t kCborImageKey[4] = {0x63, 'i', 'm', 'g'};
constexpr std::uint8_t kCborMajorMask = 0xE0;
constexpr std::uint8_t kCborMap = 0xA0;

std::uint32_t wordSum(const std::uint8_t* words) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < kVectorSumWords; ++i) sum += loadLittle32(words + 4 * i);
  return sum;
}

}  // namespace

bool isSegmentedApp(const std::uint8_t* payload, std::size_t size) {
  return size >= kSegmentedHeaderSize + kSegmentHeadSize && payload[0] == kSegmentedMagic &&
         payload[1] >= 1 && payload[1] <= kSegmentLimit &&
         payload[kSegmentedHashFlagOffset] <= 1;
}

PayloadCheck checkSegmentedApp(const std::uint8_t* payload, std::size_t size,
                               PayloadBudget& budget) {
  if (size < kSegmentedHeaderSize) return fail(PayloadReason::truncated);
  if (!budget.spend(kByteCost * size)) return kOverBudget;
  const unsigned segments = payload[1];
  const std::uint8_t hashFlag = payload[kSegmentedHashFlagOffset];
  if (segments == 0 || segments > kSegmentLimit || hashFlag > 1) {
    return fail(PayloadReason::malformed);
  }
  std::size_t pos = kSegmentedHeaderSize;
  std::uint8_t checksum = kSegmentChecksumSeed;
  for (unsigned i = 0; i < segments; ++i) {
    if (size - pos < kSegmentHeadSize) return fail(PayloadReason::truncated);
    const std::uint32_t length = loadLittle32(payload + pos + 4);
    pos += kSegmentHeadSize;
    if (length > size - pos) return fail(PayloadReason::truncated);
    for (std::size_t k = 0; k < length; ++k) checksum ^= payload[pos + k];
    pos += length;
  }
  // The checksum byte is the last of its 16-byte block.
  const std::size_t end = (pos / kSegmentedAlignment + 1) * kSegmentedAlignment;
  if (end > size) return fail(PayloadReason::truncated);
  for (std::size_t k = pos; k + 1 < end; ++k) {
    if (payload[k] != 0) return fail(PayloadReason::badPadding);
  }
  if (payload[end - 1] != checksum) return fail(PayloadReason::checksumMismatch);
  if (hashFlag == 0) return ok(end);
  if (size - end < sha256DigestSize) return fail(PayloadReason::truncated);
  if (!budget.spend(kSha256ByteCost * end)) return kOverBudget;
  std::uint8_t digest[sha256DigestSize];
  sha256Hash(payload, end, digest);
  if (std::memcmp(digest, payload + end, sizeof digest) != 0) {
    return fail(PayloadReason::digestMismatch);
  }
  return ok(end + sha256DigestSize);
}

bool isKnltImage(const std::uint8_t* payload, std::size_t size) {
  if (size < kKnltSizeOffset + 4 ||
      std::memcmp(payload + kKnltMarkOffset, kKnltMark, sizeof kKnltMark) != 0) {
    return false;
  }
  return std::memcmp(payload + kKnltNameOffset, kKnltName, sizeof kKnltName) == 0 ||
         loadLittle32(payload + kKnltSizeOffset) == size;
}

PayloadCheck checkKnltImage(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget) {
  if (size < kKnltSizeOffset + 4) return fail(PayloadReason::truncated);
  const std::uint32_t length = loadLittle32(payload + kKnltSizeOffset);
  if (length < kKnltSizeOffset + 8) return fail(PayloadReason::lengthMismatch);
  if (length > size) return fail(PayloadReason::truncated);
  if (!budget.spend(kByteCost * length)) return kOverBudget;
  const std::uint32_t stored = loadLittle32(payload + length - 4);
  if (~crc32Update(0, payload, length - 4) != stored) {
    return fail(PayloadReason::checksumMismatch);
  }
  return ok(length);
}

bool isVectorTable(const std::uint8_t* payload, std::size_t size) {
  return size >= 4 * kVectorSumWords &&
         (loadLittle32(payload) & kRegionMask) == kVectorStackRegion &&
         (loadLittle32(payload + 4) & 1) == 1;
}

PayloadCheck checkVectorTable(const std::uint8_t* payload, std::size_t size) {
  if (size < 4 * kVectorSumWords) return fail(PayloadReason::truncated);
  // The table says nothing of where the image ends.
  return wordSum(payload) == 0 ? ok(size) : fail(PayloadReason::checksumMismatch);
}

bool isImagePreamble(const std::uint8_t* payload, std::size_t size, const PayloadContext& context) {
  const bool lengthStamped =
      size >= kImageLengthOffset + 4 && loadLittle32(payload + kImageLengthOffset) == size;
  const bool identifiersStamped =
      context.headerKnown && size >= kImagePreambleEnd &&
      loadLittle16(payload + kImageManufacturerOffset) == context.manufacturerCode &&
      loadLittle16(payload + kImageTypeOffset) == context.imageType &&
      loadLittle32(payload + kImageFileVersionOffset) == context.fileVersion;
  return lengthStamped || identifiersStamped;
}

PayloadCheck checkImagePreamble(const std::uint8_t* payload, std::size_t size,
                                PayloadBudget& budget) {
  if (size < kImagePreambleEnd) return fail(PayloadReason::truncated);
  if (loadLittle32(payload + kImageLengthOffset) != size) {
    return fail(PayloadReason::lengthMismatch);
  }
  if (!budget.spend(2 * kByteCost * size)) return kOverBudget;
  // The CRC sits where one of the platforms keeps it.
  for (const Platform platform : {Platform::quillDev, Platform::fenBoard}) {
    const std::uint32_t offset = platformCrcOffset(platform);
    if (imageCrcCompute(payload, size, offset) == loadLittle16(payload + offset)) return ok(size);
  }
  return fail(PayloadReason::checksumMismatch);
}

bool isHeadedVectorTable(const std::uint8_t* payload, std::size_t size) {
  if (size < kHeadedTableOffset + 4 * kVectorSumWords) return false;
  const std::uint32_t stack = loadLittle32(payload + kHeadedTableOffset);
  const std::uint32_t reset = loadLittle32(payload + kHeadedTableOffset + 4);
  return (stack & kRegionMask) == kSramRegion && (stack & 3) == 0 && (reset & 1) == 1 &&
         reset < kSramRegion;
}

bool isTlvWrapper(const std::uint8_t* payload, std::size_t size) {
  return size >= kTlvHeadSize && std::uint64_t{loadLittle32(payload + 4)} + kTlvHeadSize == size;
}

bool isCborMultiImage(const std::uint8_t* payload, std::size_t size) {
  if (size < 3 + sizeof kCborImageKey) return false;
  const std::size_t headerLength = loadLittle16(payload);
  return headerLength >= 1 + sizeof kCborImageKey && headerLength <= size - 2 &&
         (payload[2] & kCborMajorMask) == kCborMap &&
         std::memcmp(payload + 3, kCborImageKey, sizeof kCborImageKey) == 0;
}

}  // namespace otawrap::payload_detail
