#include "payload/payload.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "payload/payload_internal.h"

namespace otawrap {

namespace {

using namespace payload_detail;

// Formats recognised by bytes at a fixed offset, longest first.
struct PayloadMagic {
  std::size_t offset;
  std::size_t length;
  PayloadFormat format;
  std::uint8_t bytes[12];
};

constexpr PayloadMagic kMagics[] = {
    // Three words, big- or little-endian.
    {0, 12, PayloadFormat::magic12345678,
     {0x12, 0x34, 0x56, 0x78, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
    {0, 12, PayloadFormat::magic12345678,
     {0x78, 0x56, 0x34, 0x12, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55}},
    // xz: the stream header magic of the xz file format.
    {0, 6, PayloadFormat::xzStream, {0xFD, '7', 'z', 'X', 'Z', 0x00}},
    // GBL: the header tag 0x03A617EB, little-endian.
    {0, 4, PayloadFormat::gbl, {0xEB, 0x17, 0xA6, 0x03}},
    // EBL: the header tag 0x0000 with its length 0x008C, big-endian.
    {0, 4, PayloadFormat::ebl, {0x00, 0x00, 0x00, 0x8C}},
    {0, 4, PayloadFormat::fb05Head, {0xFB, 0x05, 0x00, 0x06}},
    {0, 4, PayloadFormat::frs0Mark, {'F', 'R', 'S', '0'}},
    {0, 4, PayloadFormat::dec0deMark, {0x00, 0xDE, 0xC0, 0xDE}},
    {0, 3, PayloadFormat::dec0deMark, {0xDE, 0xC0, 0xDE}},
    // An OTA file identifier 0x0BEEF11E behind an 8-byte head.
    {8, 4, PayloadFormat::nestedOta, {0x1E, 0xF1, 0xEE, 0x0B}},
    {0x1C, 4, PayloadFormat::lvrmMark, {'L', 'V', 'R', 'M'}},
};

// Formats recognised by their header fields, in the order tried: those with
// a check of their own before those recognised by plausibility alone.
struct PayloadShape {
  PayloadFormat format;
  bool (*recognise)(const std::uint8_t*, std::size_t);
};

constexpr PayloadShape kShapes[] = {
    {PayloadFormat::knltImage, isKnltImage},
    {PayloadFormat::zlibStream, isZlibStream},
    {PayloadFormat::segmentedApp, isSegmentedApp},
    {PayloadFormat::vectorTable, isVectorTable},
    {PayloadFormat::headedVectorTable, isHeadedVectorTable},
    {PayloadFormat::cborMultiImage, isCborMultiImage},
    {PayloadFormat::tlvWrapper, isTlvWrapper},
};

using Id = PayloadIdentification;

struct PayloadFormatRow {
  const char* key;
  PayloadFormat format;
  PayloadCheckKind kind;
  Id identification;
  bool endKnown;  // an ok check finds where the format's bytes end
};

// Indexed by PayloadFormat.
constexpr PayloadFormatRow kFormats[] = {
    {"unknown", PayloadFormat::unknown, PayloadCheckKind::none, Id::plausibility, false},
    {"gbl", PayloadFormat::gbl, PayloadCheckKind::crc32, Id::magic, true},
    {"ebl", PayloadFormat::ebl, PayloadCheckKind::crc32, Id::magic, true},
    {"segmented-app", PayloadFormat::segmentedApp, PayloadCheckKind::checksumAndDigest,
     Id::plausibility, true},
    {"knlt", PayloadFormat::knltImage, PayloadCheckKind::crc32, Id::magic, true},
    {"vector-table", PayloadFormat::vectorTable, PayloadCheckKind::wordSum, Id::plausibility,
     false},
    {"fb05", PayloadFormat::fb05Head, PayloadCheckKind::crc32, Id::magic, true},
    {"magic-12345678", PayloadFormat::magic12345678, PayloadCheckKind::none, Id::magic, false},
    {"nested-ota", PayloadFormat::nestedOta, PayloadCheckKind::otaFile, Id::magic, false},
    {"xz", PayloadFormat::xzStream, PayloadCheckKind::framingCrc32, Id::magic, true},
    {"zlib", PayloadFormat::zlibStream, PayloadCheckKind::adler32, Id::codedStream, true},
    {"image-preamble", PayloadFormat::imagePreamble, PayloadCheckKind::imageCrc, Id::magic, true},
    {"headed-vector-table", PayloadFormat::headedVectorTable, PayloadCheckKind::none,
     Id::plausibility, false},
    {"tlv-wrapper", PayloadFormat::tlvWrapper, PayloadCheckKind::none, Id::plausibility, false},
    {"lvrm", PayloadFormat::lvrmMark, PayloadCheckKind::none, Id::magic, false},
    {"frs0", PayloadFormat::frs0Mark, PayloadCheckKind::none, Id::magic, false},
    {"dec0de", PayloadFormat::dec0deMark, PayloadCheckKind::none, Id::magic, false},
    {"cbor-multi-image", PayloadFormat::cborMultiImage, PayloadCheckKind::none, Id::plausibility,
     false},
};
static_assert(sizeof kFormats / sizeof kFormats[0] == kPayloadFormatCount);

constexpr bool formatRowsInOrder() {
  for (std::size_t i = 0; i < kPayloadFormatCount; ++i) {
    if (static_cast<std::size_t>(kFormats[i].format) != i) return false;
  }
  return true;
}
static_assert(formatRowsInOrder());

const PayloadFormatRow& row(PayloadFormat format) {
  const auto index = static_cast<std::size_t>(format);
  return kFormats[index < kPayloadFormatCount ? index : 0];
}

// Calls visit(format) for every format whose recogniser accepts the bytes,
// in the order of payloadIdentify, until visit returns true.
template <typename Visit>
bool forEachCandidate(const std::uint8_t* payload, std::size_t size, const PayloadContext& context,
                      Visit&& visit) {
  if (isImagePreamble(payload, size, context) && visit(PayloadFormat::imagePreamble)) return true;
  for (const PayloadMagic& magic : kMagics) {
    if (size >= magic.offset + magic.length &&
        std::memcmp(payload + magic.offset, magic.bytes, magic.length) == 0 &&
        visit(magic.format)) {
      return true;
    }
  }
  return std::any_of(std::begin(kShapes), std::end(kShapes), [&](const PayloadShape& shape) {
    return shape.recognise(payload, size) && visit(shape.format);
  });
}

// The format's own check, before the trailer rule.
PayloadCheck formatCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size,
                         PayloadBudget& budget) {
  switch (format) {
    case PayloadFormat::gbl: return checkGbl(payload, size, budget);
    case PayloadFormat::ebl: return checkEbl(payload, size, budget);
    case PayloadFormat::segmentedApp: return checkSegmentedApp(payload, size, budget);
    case PayloadFormat::knltImage: return checkKnltImage(payload, size, budget);
    case PayloadFormat::vectorTable: return checkVectorTable(payload, size);
    case PayloadFormat::fb05Head: return checkFb05Head(payload, size, budget);
    case PayloadFormat::xzStream: return checkXzStream(payload, size, budget);
    case PayloadFormat::zlibStream: return checkZlibStream(payload, size, budget);
    case PayloadFormat::imagePreamble: return checkImagePreamble(payload, size, budget);
    case PayloadFormat::nestedOta: return notCheckable(PayloadReason::readAsOtaFile);
    case PayloadFormat::unknown: return notCheckable(PayloadReason::unknownFormat);
    case PayloadFormat::magic12345678:
    case PayloadFormat::headedVectorTable:
    case PayloadFormat::tlvWrapper:
    case PayloadFormat::lvrmMark:
    case PayloadFormat::frs0Mark:
    case PayloadFormat::dec0deMark:
    case PayloadFormat::cborMultiImage: break;
  }
  return notCheckable(PayloadReason::noCheckKnown);
}

// A coded stream whose data kept the coding rules over this many bytes is
// taken for that stream: random bytes behind a matching header break the
// rules within a few dozen (a reserved block type, a stored length whose
// complement differs, an over-subscribed code, a distance before the start).
constexpr std::size_t kCodedStreamProof = 128;

// A failure of the format's own check that leaves the format unproven.
bool unproven(PayloadFormat format, const PayloadCheck& check) {
  if (check.formatVerdict != PayloadVerdict::failed) return false;
  switch (row(format).identification) {
    case Id::magic: return false;
    case Id::codedStream:
      return (check.reason == PayloadReason::streamCorrupt ||
              check.reason == PayloadReason::malformed) &&
             check.end < kCodedStreamProof;
    case Id::plausibility: break;
  }
  return true;
}

// A coded stream known by its head alone, its data never read (a zlib stream
// that needs a preset dictionary, or past the work budget): it names the
// format only when no other candidate's check decides.
bool uncheckedHead(PayloadFormat format, const PayloadCheck& check) {
  return row(format).identification == Id::codedStream &&
         check.formatVerdict == PayloadVerdict::notCheckable && check.end < kCodedStreamProof;
}

}  // namespace

PayloadBudget payloadBudgetFor(std::uint64_t inputBytes) {
  const std::uint64_t proportional = inputBytes * kPayloadWorkPerByte;
  return PayloadBudget(proportional > kPayloadWorkFloor ? proportional : kPayloadWorkFloor);
}

PayloadFormat payloadIdentify(const std::uint8_t* payload, std::size_t size,
                              const PayloadContext& context) {
  PayloadFormat found = PayloadFormat::unknown;
  forEachCandidate(payload, size, context, [&found](PayloadFormat format) {
    found = format;
    return true;
  });
  return found;
}

PayloadCheck payloadCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size,
                          PayloadBudget& budget) {
  const PayloadCheck own = formatCheck(format, payload, size, budget);
  return payloadWithTrailerRule(own, row(format).endKnown, payload, size, budget);
}

PayloadCheck payloadCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size) {
  PayloadBudget budget = payloadBudgetFor(size);
  return payloadCheck(format, payload, size, budget);
}

PayloadJudgement payloadJudge(const std::uint8_t* payload, std::size_t size,
                              const PayloadContext& context, PayloadBudget& budget) {
  PayloadJudgement judgement{PayloadFormat::unknown, notCheckable(PayloadReason::unknownFormat)};
  bool tentative = false;
  const bool found = forEachCandidate(payload, size, context, [&](PayloadFormat format) {
    const PayloadCheck check = payloadCheck(format, payload, size, budget);
    if (unproven(format, check)) return false;
    if (uncheckedHead(format, check)) {
      // Kept unless a later candidate's own check holds or fails.
      if (!tentative) judgement = {format, check};
      tentative = true;
      return false;
    }
    judgement = {format, check};
    return true;
  });
  if (!found && !tentative) judgement.check = payloadCheck(PayloadFormat::unknown, payload, size, budget);
  return judgement;
}

bool payloadCarriesImagePreamble(const std::uint8_t* payload, std::size_t size,
                                 const PayloadContext& context) {
  return isImagePreamble(payload, size, context);
}

PayloadCheckKind payloadCheckKind(PayloadFormat format) { return row(format).kind; }

PayloadIdentification payloadIdentification(PayloadFormat format) {
  return row(format).identification;
}

const char* payloadFormatKey(PayloadFormat format) { return row(format).key; }

}  // namespace otawrap
