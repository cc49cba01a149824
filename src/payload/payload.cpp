#include "payload/payload.h"

#include <cstring>

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
    // The OAD image's 8-character marks.
    {0, 8, PayloadFormat::oadImage, {'C', 'C', '2', '6', 'x', '2', 'R', '1'}},
    {0, 8, PayloadFormat::oadImage, {'C', 'C', '1', '3', 'x', '2', 'R', '1'}},
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

// Formats recognised by their header fields, in the order tried.
struct PayloadShape {
  PayloadFormat format;
  bool (*recognise)(const std::uint8_t*, std::size_t);
};

constexpr PayloadShape kShapes[] = {
    {PayloadFormat::segmentedApp, isSegmentedApp},
    {PayloadFormat::knltImage, isKnltImage},
    {PayloadFormat::vectorTable, isVectorTable},
    {PayloadFormat::headedVectorTable, isHeadedVectorTable},
    {PayloadFormat::cborMultiImage, isCborMultiImage},
    {PayloadFormat::tlvWrapper, isTlvWrapper},
    {PayloadFormat::zlibStream, isZlibStream},
};

struct PayloadFormatRow {
  const char* key;
  PayloadFormat format;
  PayloadCheckKind kind;
};

// Indexed by PayloadFormat.
constexpr PayloadFormatRow kFormats[] = {
    {"unknown", PayloadFormat::unknown, PayloadCheckKind::none},
    {"gbl", PayloadFormat::gbl, PayloadCheckKind::crc32},
    {"ebl", PayloadFormat::ebl, PayloadCheckKind::crc32},
    {"segmented-app", PayloadFormat::segmentedApp, PayloadCheckKind::checksumAndDigest},
    {"knlt", PayloadFormat::knltImage, PayloadCheckKind::crc32},
    {"vector-table", PayloadFormat::vectorTable, PayloadCheckKind::wordSum},
    {"fb05", PayloadFormat::fb05Head, PayloadCheckKind::crc32},
    {"magic-12345678", PayloadFormat::magic12345678, PayloadCheckKind::none},
    {"nested-ota", PayloadFormat::nestedOta, PayloadCheckKind::otaFile},
    {"xz", PayloadFormat::xzStream, PayloadCheckKind::framingCrc32},
    {"zlib", PayloadFormat::zlibStream, PayloadCheckKind::adler32},
    {"oad", PayloadFormat::oadImage, PayloadCheckKind::crc32},
    {"image-preamble", PayloadFormat::imagePreamble, PayloadCheckKind::imageCrc},
    {"headed-vector-table", PayloadFormat::headedVectorTable, PayloadCheckKind::none},
    {"tlv-wrapper", PayloadFormat::tlvWrapper, PayloadCheckKind::none},
    {"lvrm", PayloadFormat::lvrmMark, PayloadCheckKind::none},
    {"frs0", PayloadFormat::frs0Mark, PayloadCheckKind::none},
    {"dec0de", PayloadFormat::dec0deMark, PayloadCheckKind::none},
    {"cbor-multi-image", PayloadFormat::cborMultiImage, PayloadCheckKind::none},
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

}  // namespace

PayloadFormat payloadIdentify(const std::uint8_t* payload, std::size_t size,
                              const PayloadContext& context) {
  if (isImagePreamble(payload, size, context)) return PayloadFormat::imagePreamble;
  for (const PayloadMagic& magic : kMagics) {
    if (size >= magic.offset + magic.length &&
        std::memcmp(payload + magic.offset, magic.bytes, magic.length) == 0) {
      return magic.format;
    }
  }
  for (const PayloadShape& shape : kShapes) {
    if (shape.recognise(payload, size)) return shape.format;
  }
  return PayloadFormat::unknown;
}

PayloadCheck payloadCheck(PayloadFormat format, const std::uint8_t* payload, std::size_t size) {
  switch (format) {
    case PayloadFormat::gbl: return checkGbl(payload, size);
    case PayloadFormat::ebl: return checkEbl(payload, size);
    case PayloadFormat::segmentedApp: return checkSegmentedApp(payload, size);
    case PayloadFormat::knltImage: return checkKnltImage(payload, size);
    case PayloadFormat::vectorTable: return checkVectorTable(payload, size);
    case PayloadFormat::fb05Head: return checkFb05Head(payload, size);
    case PayloadFormat::xzStream: return checkXzStream(payload, size);
    case PayloadFormat::zlibStream: return checkZlibStream(payload, size);
    case PayloadFormat::oadImage: return checkOadImage(payload, size);
    case PayloadFormat::imagePreamble: return checkImagePreamble(payload, size);
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

bool payloadCarriesImagePreamble(const std::uint8_t* payload, std::size_t size,
                                 const PayloadContext& context) {
  return isImagePreamble(payload, size, context);
}

PayloadCheckKind payloadCheckKind(PayloadFormat format) { return row(format).kind; }

const char* payloadFormatKey(PayloadFormat format) { return row(format).key; }

}  // namespace otawrap
