// The shapes with bytes that carry no sub-element head (headless payloads)
// and the containers around an OTA file.
#include <algorithm>
#include <array>

#include "support/openssl_hash.h"
#include "support/ota_shape_parts.h"
#include "support/shape_checksums.h"

namespace otawrap::test::shapes {

namespace {

constexpr ShapeVerdict kGood = ShapeVerdict::good;
constexpr ShapeVerdict kDamaged = ShapeVerdict::damaged;

// The length-stamped payload: 2A 00, image type BE, three bytes, BCD
// timestamp, 24-bit BE stamped length N, then N + extra - 16 bytes.
struct StampedPayload {
  std::uint16_t manufacturerCode = 0x100B;
  std::uint16_t imageType = 0x0118;
  std::uint16_t payloadImageType = 0x0118;
  std::uint8_t magic = 0x2A;
  std::array<std::uint8_t, 6> timestamp{{0x24, 0x03, 0x15, 0x10, 0x20, 0x30}};  // 2024-03-15 10:20:30
  std::uint32_t stamped = 2048;
  std::size_t length = 2048 + 64;  // of the whole payload

  Bytes build(const std::string& shape, std::uint32_t version, const Bytes& body) const {
    ShapeHeader fields = headerFor(shape, version);
    fields.manufacturerCode = manufacturerCode;
    fields.imageType = imageType;
    Bytes file = shapeHeader(fields);
    file.insert(file.end(), {magic, 0x00, static_cast<std::uint8_t>(payloadImageType >> 8),
                             static_cast<std::uint8_t>(payloadImageType), body[0], body[1], body[2]});
    file.insert(file.end(), timestamp.begin(), timestamp.end());
    file.insert(file.end(), {static_cast<std::uint8_t>(stamped >> 16),
                             static_cast<std::uint8_t>(stamped >> 8), static_cast<std::uint8_t>(stamped)});
    file.insert(file.end(), body.begin() + 3, body.begin() + static_cast<std::ptrdiff_t>(length - 16 + 3));
    stampTotalSize(file, file.size());
    return file;
  }
};

void addStampedPayload(ShapeRandom& random, std::vector<ShapeSample>& out) {
  const Bytes body = random.bytes(2048 + 128);
  const std::string name = "length-stamped-payload";
  StampedPayload longer;
  longer.length = 2048 + 128;
  ShapeRows other(out, name + "-128");
  const Bytes file128 = longer.build(name + "-128", 0x01000051, body);
  other.wellFormed(file128, 0, file128.size(), {"headless payload, 2176 bytes"});

  ShapeRows rows(out, name);
  const StampedPayload shape;
  const Bytes file = shape.build(name, 0x01000050, body);
  rows.wellFormed(file, 0, file.size(), {"headless payload, 2112 bytes"});
  rows.cutAndExtended();
  rows.flip("body", 1000, kGood);
  rows.flip("header", kHeaderStringOffset, kGood);
  const auto variant = [&](const std::string& what, const std::string& change, auto edit) {
    StampedPayload changed = shape;
    edit(changed);
    rows.damaged(what, change, changed.build(name, 0x01000050, body));
  };
  variant("bad-month", "timestamp month 13", [](StampedPayload& p) { p.timestamp[1] = 0x13; });
  variant("bad-bcd-digit", "timestamp minute 0x2A", [](StampedPayload& p) { p.timestamp[4] = 0x2A; });
  variant("wrong-stamped-length", "N 2064: payload N + 48", [](StampedPayload& p) { p.stamped = 2064; });
  variant("length-not-16", "N 2040, payload N + 64", [](StampedPayload& p) {
    p.stamped = 2040;
    p.length = 2040 + 64;
  });
  variant("wrong-image-type", "image type 0x0119 in the payload", [](StampedPayload& p) { p.payloadImageType = 0x0119; });
  variant("other-manufacturer", "manufacturer 0x1234", [](StampedPayload& p) { p.manufacturerCode = 0x1234; });
  variant("bad-magic", "first byte 0x2B", [](StampedPayload& p) { p.magic = 0x2B; });
}

struct AppSegment {
  std::uint32_t address;
  Bytes data;
};

// A segmented application image: 24-byte head, segments, zero padding to 15 mod
// 16, the checksum byte (XORed with checksumFlip), SHA-256 of everything
// before. lengthDelta is added to the first segment's length field.
Bytes segmentedAppImage(const std::vector<AppSegment>& segments, int lengthDelta = 0,
                 std::uint8_t checksumFlip = 0) {
  Bytes image = {0xE9, static_cast<std::uint8_t>(segments.size()), 0x02, 0x20, 0, 0, 0, 0,
                 0xEE, 0, 0, 0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8F, 0x01, 0, 0, 0, 0, 0x01};
  putLe32(image, 4, 0x40080400);  // entry point, inside the third segment
  std::vector<Bytes> data;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    appendLe32(image, segments[i].address);
    appendLe32(image, static_cast<std::uint32_t>(static_cast<int>(segments[i].data.size()) +
                                                 (i == 0 ? lengthDelta : 0)));
    appendBytes(image, segments[i].data);
    data.push_back(segments[i].data);
  }
  while (image.size() % 16 != 15) image.push_back(0);
  image.push_back(static_cast<std::uint8_t>(segmentedAppChecksum(data) ^ checksumFlip));
  appendBytes(image, opensslSha256(image.data(), image.size()));
  return image;
}

void addSegmentedAppPayload(ShapeRandom& random, std::vector<ShapeSample>& out) {
  const std::string name = "segmented-app-payload";
  ShapeRows rows(out, name);
  Bytes rodata = {0x32, 0x54, 0xCD, 0xAB};  // application description word
  appendBytes(rodata, random.bytes(252));
  const std::vector<AppSegment> segments = {
      {0x3F400020, rodata}, {0x3FFB0000, random.bytes(128)}, {0x40080000, random.bytes(1024)}};
  const auto build = [&](const Bytes& image) {
    Bytes file = shapeHeader(headerFor(name, 0x01000060));
    appendBytes(file, image);
    stampTotalSize(file, file.size());
    return file;
  };
  const Bytes file = build(segmentedAppImage(segments));
  rows.wellFormed(file, 0, file.size(), {"headless payload", "segmented application image"});
  rows.cutAndExtended();
  rows.flip("segment", kHeaderSize + 24 + 8 + 100, kDamaged);
  rows.flip("checksum", file.size() - 33, kDamaged);
  rows.flip("hash", file.size() - 1, kDamaged);
  rows.flip("header", kHeaderStringOffset, kGood);
  rows.damaged("wrong-segment-length", "first segment length 4 more, checksum and hash recomputed",
               build(segmentedAppImage(segments, 4)));
  rows.damaged("bad-checksum", "checksum byte wrong, hash recomputed over it",
               build(segmentedAppImage(segments, 0, 0x01)));
}

void addCrc16Payload(ShapeRandom& random, std::vector<ShapeSample>& out) {
  const std::string name = "crc16-payload";
  ShapeRows rows(out, name);
  const Bytes image = random.bytes(300);
  Bytes body = random.bytes(1500);
  body[5] |= 0x80;  // a would-be length field far beyond the file: no head here
  const auto build = [&](int lengthDelta, bool bigEndian) {
    Bytes file = shapeHeader(headerFor(name, 0x01000070));
    appendElement(file, 0x0000, image);
    putLe32(file, kHeaderSize + 2, static_cast<std::uint32_t>(static_cast<int>(image.size()) + lengthDelta));
    const std::size_t start = kHeaderSize + 6 + image.size();  // where the CRC's range starts, whatever the field says
    appendBytes(file, body);
    const std::uint16_t crc = crc16Msb(file.data() + start, file.size() - start, 0x1D0F);
    file.push_back(static_cast<std::uint8_t>(bigEndian ? crc >> 8 : crc));
    file.push_back(static_cast<std::uint8_t>(bigEndian ? crc : crc >> 8));
    stampTotalSize(file, file.size());
    return file;
  };
  const Bytes file = build(0, true);
  rows.wellFormed(file, 0, file.size(), {"headless payload, 1502 bytes", "CRC-16"});
  rows.cutAndExtended();
  rows.flip("body", file.size() - 700, kDamaged);
  rows.flip("crc", file.size() - 1, kDamaged);
  rows.flip("image", kHeaderSize + 6 + 150, kGood);
  rows.flip("header", kHeaderStringOffset, kGood);
  rows.damaged("wrong-element-length", "image length field 2 more",
               build(2, true));
  rows.damaged("little-endian-crc", "the CRC stored little-endian", build(0, false));
}

// The signed container with block hashes around `inner`, then the 512-byte
// trailer.
Bytes signedContainer(const Bytes& inner, const Bytes& trailer) {
  constexpr std::size_t kBlock = 16384;
  const std::size_t blocks = (inner.size() + kBlock - 1) / kBlock;
  const std::size_t offset = 40 + 32 * blocks;
  Bytes file = {'N', 'G', 'I', 'S'};
  for (const std::size_t value : {std::size_t{12}, std::size_t{2010}, offset - 12, offset, inner.size(),
                                  offset + inner.size(), std::size_t{11}, kBlock, blocks}) {
    appendLe32(file, static_cast<std::uint32_t>(value));
  }
  for (std::size_t start = 0; start < inner.size(); start += kBlock) {
    appendBytes(file, opensslSha256(inner.data() + start, std::min(kBlock, inner.size() - start)));
  }
  appendBytes(file, inner);
  appendBytes(file, trailer);
  return file;
}

Bytes imageOnlyFile(const std::string& shape, std::uint32_t version, const Bytes& image) {
  Bytes file = shapeHeader(headerFor(shape, version));
  appendElement(file, 0x0000, image);
  stampTotalSize(file, file.size());
  return file;
}

void addSignedContainer(ShapeRandom& random, std::vector<ShapeSample>& out) {
  const std::string name = "signed-container";
  ShapeRows rows(out, name);
  const Bytes inner = imageOnlyFile(name, 0x01000080, random.bytes(21000));  // two blocks, the last short
  const Bytes trailer = random.bytes(512);
  const Bytes file = signedContainer(inner, trailer);
  const std::size_t offset = 40 + 64;
  rows.wellFormed(file, offset, inner.size(), {"signed container with block hashes"});
  rows.cutAndExtended();
  rows.flip("inner-header", offset + kHeaderStringOffset, kDamaged);
  rows.flip("first-block", offset + 9000, kDamaged);
  rows.flip("last-block", offset + 20000, kDamaged);
  rows.flip("hash", 40 + 40, kDamaged);
  rows.flip("trailer", file.size() - 100, kGood);
  const std::pair<std::size_t, std::uint32_t> wrongFields[] = {
      {4, 13}, {8, 2011}, {12, 93}, {16, 105}, {20, 21061}, {24, 21167}, {28, 12}, {32, 8192}, {36, 3}};
  for (const auto& [at, value] : wrongFields) {
    Bytes changed = file;
    putLe32(changed, at, value);
    rows.damaged("wrong-field-" + std::to_string(at), "u32 at " + std::to_string(at) + " set to " +
                 std::to_string(value), changed);
  }
  Bytes magic = file;
  magic[3] = 'T';
  rows.damaged("bad-magic", "NGIT instead of NGIS", magic);
  Bytes innerSize = inner;
  stampTotalSize(innerSize, inner.size() + 1);
  rows.damaged("wrong-inner-size", "the inner TIS one more, block hashes recomputed",
               signedContainer(innerSize, trailer));
}

void addLengthPrefix(ShapeRandom& random, std::vector<ShapeSample>& out) {
  const std::string name = "length-prefix";
  ShapeRows rows(out, name);
  const Bytes inner = imageOnlyFile(name, 0x01000090, random.bytes(900));
  const Bytes suffix = random.bytes(17);
  const auto build = [&](std::uint32_t prefix, std::size_t suffixLength) {
    Bytes file;
    appendLe32(file, prefix);
    appendBytes(file, inner);
    file.insert(file.end(), suffix.begin(), suffix.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(suffixLength, 17)));
    file.resize(4 + inner.size() + suffixLength, 0x00);
    return file;
  };
  const auto size = static_cast<std::uint32_t>(inner.size());
  const Bytes file = build(size, 17);
  rows.wellFormed(file, 4, inner.size(), {"length prefix"});
  rows.cutAndExtended();
  rows.flip("suffix", file.size() - 3, kGood);
  rows.flip("image", 4 + 500, kGood);
  rows.damaged("wrong-prefix", "the prefix one more than TIS", build(size + 1, 17));
  rows.damaged("short-suffix", "a 13-byte suffix", build(size, 13));
}

}  // namespace

void addHeadlessShapes(ShapeRandom& random, std::vector<ShapeSample>& rows) {
  addStampedPayload(random, rows);
  addSegmentedAppPayload(random, rows);
  addCrc16Payload(random, rows);
}

void addContainerShapes(ShapeRandom& random, std::vector<ShapeSample>& rows) {
  addSignedContainer(random, rows);
  addLengthPrefix(random, rows);
}

}  // namespace otawrap::test::shapes
