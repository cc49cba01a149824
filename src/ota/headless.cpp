#include "ota/headless.h"

#include <algorithm>
#include <iterator>

#include "codec/bytes.h"
#include "ota/headless_crc.h"
#include "ota/format.h"
#include "payload/payload.h"

namespace otawrap {

namespace {

std::uint32_t loadBig24(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

// Two BCD digits as a number, or -1.
int bcdValue(std::uint8_t byte) {
  const int high = byte >> 4;
  const int low = byte & 0x0F;
  return high > 9 || low > 9 ? -1 : high * 10 + low;
}

bool timestampedImage(const std::uint8_t* p, std::size_t length, const OtaHeader& header) {
  if (header.manufacturerCode != kOtaTimestampedManufacturer ||
      length < kOtaTimestampedHeadSize || p[0] != kOtaTimestampedMagic[0] ||
      p[1] != kOtaTimestampedMagic[1] ||
      loadBig16(p + kOtaTimestampedImageTypeOffset) != header.imageType ||
      !otaBcdTimestampValid(p + kOtaTimestampedTimeOffset)) {
    return false;
  }
  const std::uint32_t n = loadBig24(p + kOtaTimestampedLengthOffset);
  if (n % kOtaTimestampedLengthMultiple != 0 || n > length) return false;
  return std::any_of(std::begin(kOtaTimestampedTails), std::end(kOtaTimestampedTails),
                     [&](std::size_t tail) { return length - n == tail; });
}

// Its check must hold and reach the end: fill may follow, nothing else.
bool segmentedApplicationImage(const std::uint8_t* p, std::size_t length) {
  if (length <= kOtaSegmentedHashFlagOffset || p[0] != kOtaSegmentedMagic ||
      p[kOtaSegmentedHashFlagOffset] != 1) {
    return false;
  }
  const PayloadCheck check = payloadCheck(PayloadFormat::segmentedApp, p, length);
  return check.verdict == PayloadVerdict::ok && check.followedBy == 0 &&
         check.trailer.kind == PayloadTrailerKind::none;
}

bool rawImageWithCrc16(const std::uint8_t* p, std::size_t length, const OtaSubElement* previous) {
  if (previous == nullptr || previous->tag != kOtaTagUpgradeImage ||
      length <= kOtaRawCrc16Size) {
    return false;
  }
  const std::size_t covered = length - kOtaRawCrc16Size;
  return crc16Compute(p, covered) == loadBig16(p + covered);
}

}  // namespace

bool otaBcdTimestampValid(const std::uint8_t* t) {
  const int year = bcdValue(t[0]);
  const int month = bcdValue(t[1]);
  const int day = bcdValue(t[2]);
  const int hour = bcdValue(t[3]);
  const int minute = bcdValue(t[4]);
  const int second = bcdValue(t[5]);
  return year >= 0 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 &&
         hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::optional<OtaHeadlessPayload> otaHeadlessPayloadFind(const std::uint8_t* file,
                                                         std::size_t start, std::size_t end,
                                                         const OtaHeader& header,
                                                         const OtaSubElement* previous) {
  if (start >= end) return std::nullopt;
  const std::uint8_t* p = file + start;
  const std::size_t length = end - start;
  const bool behindHeader = previous == nullptr;
  if (behindHeader && timestampedImage(p, length, header)) {
    return OtaHeadlessPayload{OtaHeadlessKind::timestampedEncryptedImage, start, length};
  }
  if (behindHeader && segmentedApplicationImage(p, length)) {
    return OtaHeadlessPayload{OtaHeadlessKind::segmentedApplicationImage, start, length};
  }
  if (rawImageWithCrc16(p, length, previous)) {
    return OtaHeadlessPayload{OtaHeadlessKind::rawImageWithCrc16, start, length};
  }
  return std::nullopt;
}

}  // namespace otawrap
