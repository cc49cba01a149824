// The shapes that live inside or right behind the OTA file's own chain:
// CRC-32 trailers, 0xF000 elements with either head, integrity codes.
#include "support/openssl_hash.h"
#include "support/ota_shape_parts.h"
#include "support/shape_checksums.h"

namespace otawrap::test::shapes {

namespace {

constexpr ShapeVerdict kGood = ShapeVerdict::good;
constexpr ShapeVerdict kDamaged = ShapeVerdict::damaged;
// The upgrade image's length field in a file whose first element it is.
constexpr std::size_t kFirstLengthOffset = kHeaderSize + 2;

// Header and upgrade image, TIS stamped; lengthDelta is added to the
// image's length field afterwards.
Bytes imageFile(const ShapeHeader& fields, const Bytes& image, int lengthDelta = 0) {
  Bytes file = shapeHeader(fields);
  appendElement(file, 0x0000, image);
  stampTotalSize(file, file.size());
  putLe32(file, kFirstLengthOffset, static_cast<std::uint32_t>(static_cast<int>(image.size()) + lengthDelta));
  return file;
}

void addCrc32Trailer(ShapeRandom& random, std::vector<ShapeSample>& out) {
  ShapeRows rows(out, "crc32-trailer");
  const ShapeHeader fields = headerFor("crc32-trailer", 0x01000010);
  const Bytes image = random.bytes(1200);
  const auto build = [&](int lengthDelta) {
    Bytes file = imageFile(fields, image, lengthDelta);
    appendLe32(file, crc32IsoHdlc(file.data(), file.size()));
    return file;
  };
  const Bytes file = build(0);
  const std::size_t tis = file.size() - 4;
  rows.wellFormed(file, 0, tis, {"trailer: CRC-32 ok"});
  rows.cutAndExtended();
  Bytes inside = file;
  inside.resize(tis - 10);
  rows.damaged("cut-inside", "cut 10 bytes before the total image size", inside);
  rows.flip("image", 600, kDamaged);
  rows.flip("header", kHeaderStringOffset, kDamaged);
  rows.flip("trailer", tis + 1, kDamaged);
  rows.damaged("wrong-element-length", "the image's length field 4 more, CRC recomputed", build(4));
}

// Chain 0x0000, 0xFF01 (all 0xFF), 0x0005 (signer address, 64 signature
// bytes, 8 x 0xFF); `padding` bytes of padByte; u32le trailer.
struct InvertedTrailerFile {
  Bytes image;
  Bytes signature;
  std::size_t padding = 4;
  std::size_t alignedFor = 4;  // the padding the total image size is chosen for
  std::uint8_t padByte = 0xFF;
  bool inverted = true;
  int lengthDelta = 0;

  Bytes build(const ShapeHeader& fields) const {
    constexpr std::size_t kFixed = kHeaderSize + 6 + 6 + 6 + 80;
    // The all-0xFF element's size puts TIS at 0, 12 or 4 mod 16 for 0, 4 or 12
    // bytes of padding.
    const std::size_t target = (16 - alignedFor % 16) % 16;
    const std::size_t base = kFixed + image.size() + 120;
    const std::size_t ffBytes = 120 + (target + 16 * 4 - base % 16) % 16;
    Bytes file = imageFile(fields, image, lengthDelta);
    appendElement(file, 0xFF01, Bytes(ffBytes, 0xFF));
    appendElement(file, 0x0005, signature);
    stampTotalSize(file, file.size());
    file.insert(file.end(), padding, padByte);
    const std::uint32_t crc = crc32IsoHdlc(file.data(), file.size());
    appendLe32(file, inverted ? ~crc : crc);
    return file;
  }
};

void addInvertedCrc32Trailer(ShapeRandom& random, std::vector<ShapeSample>& out) {
  InvertedTrailerFile shape;
  shape.image = random.bytes(1000);
  shape.signature = random.bytes(72);
  shape.signature.insert(shape.signature.end(), 8, 0xFF);
  const std::vector<std::string> reported = {
      "inverted CRC-32", "a signature of 80 bytes last, no certificate"};
  std::uint32_t version = 0x01000020;
  for (const std::size_t padding : {std::size_t{0}, std::size_t{12}}) {
    const std::string name = "inverted-crc32-trailer-pad" + std::to_string(padding);
    ShapeRows rows(out, name);
    InvertedTrailerFile padded = shape;
    padded.padding = padding;
    padded.alignedFor = padding;
    const Bytes file = padded.build(headerFor(name, version++));
    rows.wellFormed(file, 0, file.size() - 4 - padding, reported);
  }

  const std::string name = "inverted-crc32-trailer";
  const ShapeHeader fields = headerFor(name, version);
  ShapeRows rows(out, name);
  const Bytes file = shape.build(fields);
  const std::size_t tis = file.size() - 8;
  rows.wellFormed(file, 0, tis, reported);
  rows.cutAndExtended();
  rows.flip("image", 500, kDamaged);
  rows.flip("header", kHeaderStringOffset, kDamaged);
  rows.flip("padding", tis + 1, kDamaged);
  rows.flip("trailer", file.size() - 2, kDamaged);
  InvertedTrailerFile variant = shape;
  variant.padding = 8;
  rows.damaged("bad-padding-length", "8 bytes of padding where 4 align, trailer recomputed",
               variant.build(fields));
  variant = shape;
  variant.padByte = 0x00;
  rows.damaged("bad-padding-byte", "padding of 0x00, trailer recomputed", variant.build(fields));
  variant = shape;
  variant.inverted = false;
  rows.damaged("not-inverted", "the plain CRC-32 behind the padding", variant.build(fields));
  variant = shape;
  variant.lengthDelta = 4;
  rows.damaged("wrong-element-length", "the image's length field 4 more, trailer recomputed",
               variant.build(fields));
}

// One 0xF000 element with an 8-byte head: u32 length field, two info bytes,
// data; TIS ends with the data.
Bytes longHeadFile(const ShapeHeader& fields, const Bytes& data, std::uint32_t lengthField,
                 std::uint8_t marker, std::uint8_t extra) {
  Bytes file = shapeHeader(fields);
  file.insert(file.end(), {0x00, 0xF0, 0, 0, 0, 0, marker, extra});
  putLe32(file, kHeaderSize + 2, lengthField);
  appendBytes(file, data);
  stampTotalSize(file, file.size());
  return file;
}

void addF000Elements(ShapeRandom& random, std::vector<ShapeSample>& out) {
  {
    const std::string name = "long-head-element";
    const ShapeHeader fields = headerFor(name, 0x01000030);
    ShapeRows rows(out, name);
    const Bytes data = random.bytes(1024);
    const Bytes file = longHeadFile(fields, data, 1024, 0x01, 5);
    rows.wellFormed(file, 0, file.size(), {"encrypted element (8-byte head"});
    rows.cutAndExtended();
    rows.flip("data", 600, kGood);
    rows.flip("header", kHeaderStringOffset, kGood);
    rows.damaged("wrong-length", "length field 1040 for 1024 bytes", longHeadFile(fields, data, 1040, 0x01, 5));
    const Bytes shorter(data.begin(), data.end() - 4);
    rows.damaged("length-not-16", "1020 bytes, not a multiple of 16", longHeadFile(fields, shorter, 1020, 0x01, 5));
    rows.damaged("bad-extra-count", "second info byte 16", longHeadFile(fields, data, 1024, 0x01, 16));
    rows.damaged("bad-marker", "first info byte 02", longHeadFile(fields, data, 1024, 0x02, 5));
  }
  {
    // Data that starts like the info bytes, and a chain that tiles with
    // 6-byte heads: the ordinary reading wins.
    const std::string name = "manufacturer-element";
    ShapeRows rows(out, name);
    Bytes vendor = {0x01, 0x05};
    appendBytes(vendor, random.bytes(198));
    const Bytes image = random.bytes(800);
    const auto build = [&](int lengthDelta) {
      Bytes file = shapeHeader(headerFor(name, 0x01000031));
      appendElement(file, 0xF000, vendor);
      appendElement(file, 0x0000, image);
      stampTotalSize(file, file.size());
      putLe32(file, kFirstLengthOffset, static_cast<std::uint32_t>(static_cast<int>(vendor.size()) + lengthDelta));
      return file;
    };
    const Bytes file = build(0);
    rows.wellFormed(file, 0, file.size(), {"tag 0xF000"});
    rows.cutAndExtended();
    rows.flip("data", 100, kGood);
    rows.damaged("wrong-length", "the 0xF000 length field 2 more", build(2));
  }
}

enum class CodeRange : std::uint8_t { beforeHead, withHead, shortPadding };

// The chain, then an integrity code of `codeLength` bytes in the convention.
Bytes integrityFile(const ShapeHeader& fields, const std::vector<std::pair<std::uint16_t, Bytes>>& chain,
                    CodeRange range, std::size_t codeLength = 16) {
  Bytes file = shapeHeader(fields);
  for (const auto& [tag, data] : chain) appendElement(file, tag, data);
  const std::size_t head = file.size();
  stampTotalSize(file, head + 6 + codeLength);
  appendElement(file, 0x0003, {});
  putLe32(file, head + 2, static_cast<std::uint32_t>(codeLength));
  Bytes code;
  switch (range) {
    case CodeRange::beforeHead: code = opensslMmoHash(file.data(), head); break;
    case CodeRange::withHead: code = opensslMmoHash(file.data(), head + 6); break;
    case CodeRange::shortPadding: code = mmoShortPaddingHash(file.data(), head); break;
  }
  code.resize(codeLength);
  appendBytes(file, code);
  return file;
}

void addIntegrityCodes(ShapeRandom& random, std::vector<ShapeSample>& out) {
  struct Convention {
    const char* name;
    CodeRange range;
    std::vector<std::pair<std::uint16_t, Bytes>> chain;
  };
  const std::vector<Convention> conventions = {
      {"integrity-code", CodeRange::beforeHead, {{0x0000, random.bytes(1500)}}},
      {"integrity-code-with-head", CodeRange::withHead, {{0x0000, random.bytes(1500)}}},
      // More than 8,191 hashed bytes, where the two paddings differ.
      {"integrity-code-short-padding", CodeRange::shortPadding,
       {{0xF000, random.bytes(96)}, {0x0000, random.bytes(9000)}, {0xF001, random.bytes(40)}}},
  };
  std::uint32_t version = 0x01000040;
  for (const Convention& convention : conventions) {
    const ShapeHeader fields = headerFor(convention.name, version++);
    ShapeRows rows(out, convention.name);
    const Bytes file = integrityFile(fields, convention.chain, convention.range);
    rows.wellFormed(file, 0, file.size(), {"integrity code: ok"});
    rows.cutAndExtended();
    rows.flip("header", kHeaderStringOffset, kDamaged);
    rows.flip("image", file.size() - 22 - 300, kDamaged);
    rows.flip("code", file.size() - 5, kDamaged);
    rows.damaged("wrong-code-length", "a 15-byte code",
                 integrityFile(fields, convention.chain, convention.range, 15));
  }
}

}  // namespace

void addTrailerShapes(ShapeRandom& random, std::vector<ShapeSample>& rows) {
  addCrc32Trailer(random, rows);
  addInvertedCrc32Trailer(random, rows);
}

void addElementShapes(ShapeRandom& random, std::vector<ShapeSample>& rows) {
  addF000Elements(random, rows);
}

void addIntegrityCodeShapes(ShapeRandom& random, std::vector<ShapeSample>& rows) {
  addIntegrityCodes(random, rows);
}

}  // namespace otawrap::test::shapes
