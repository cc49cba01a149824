#include "support/payload_generator.h"

#include <algorithm>

#include "image/crc.h"
#include "support/openssl_hash.h"
#include "support/payload_generator_internal.h"

namespace otawrap::test {

using payload_kit::Bytes;
using payload_kit::putLittle32;
using payload_kit::randomBytes;

namespace payload_kit {

Bytes randomBytes(std::mt19937& random, std::size_t count) {
  Bytes out(count);
  for (std::uint8_t& b : out) b = static_cast<std::uint8_t>(random());
  return out;
}

void putLittle32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putBig32(Bytes& out, std::uint32_t value) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace payload_kit

std::uint32_t kitCrc32(const std::uint8_t* data, std::size_t length) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0U - (crc & 1)));
  }
  return ~crc;
}

namespace {

void storeLittle32At(Bytes& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void appendCrc(Bytes& out) { putLittle32(out, kitCrc32(out.data(), out.size())); }

void putGblTag(Bytes& out, std::uint32_t tag, const Bytes& data) {
  putLittle32(out, tag);
  putLittle32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

// Header (version 3.0, plain), application properties, program data at
// 0x4000, end tag with the CRC-32 of everything before its data.
Bytes makeGbl(std::mt19937& random) {
  Bytes out;
  putGblTag(out, 0x03A617EB, {0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00});
  putGblTag(out, 0xF40A0AF4, randomBytes(random, 28));
  Bytes program = {0x00, 0x40, 0x00, 0x00};
  const Bytes code = randomBytes(random, 400 + random() % 800);
  program.insert(program.end(), code.begin(), code.end());
  putGblTag(out, 0xFE0101FE, program);
  putLittle32(out, 0xFC0404FC);
  putLittle32(out, 4);
  appendCrc(out);
  return out;
}

void putEblTag(Bytes& out, std::uint16_t tag, const Bytes& data) {
  out.push_back(static_cast<std::uint8_t>(tag >> 8));
  out.push_back(static_cast<std::uint8_t>(tag));
  out.push_back(static_cast<std::uint8_t>(data.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

// Header tag (140 bytes), program tags, end tag; unpadded.
Bytes makeEbl(std::mt19937& random) {
  Bytes out;
  putEblTag(out, 0x0000, randomBytes(random, 140));
  putEblTag(out, 0xFE01, randomBytes(random, 300 + random() % 500));
  putEblTag(out, 0xFE01, randomBytes(random, 64));
  out.insert(out.end(), {0xFC, 0x04, 0x00, 0x04});
  appendCrc(out);
  return out;
}

// Header, three segments, zero padding, checksum byte, optional SHA-256.
Bytes makeSegmentedApp(std::mt19937& random, bool digest) {
  Bytes out = {0xE9, 3, 0x02, 0x20};
  putLittle32(out, 0x40080000);
  out.insert(out.end(), {0xEE, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0});
  out.push_back(digest ? 1 : 0);
  std::uint8_t checksum = 0xEF;
  const std::uint32_t loads[] = {0x3F400020, 0x3FFB0000, 0x40080000};
  for (const std::uint32_t load : loads) {
    const Bytes data = randomBytes(random, 4 * (20 + random() % 100));
    putLittle32(out, load);
    putLittle32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    for (const std::uint8_t b : data) checksum ^= b;
  }
  // At least one padding byte, so the padding variant has one to spoil.
  if (out.size() % 16 == 15) out.insert(out.end(), 16, 0);
  while (out.size() % 16 != 15) out.push_back(0);
  out.push_back(checksum);
  if (digest) {
    const Bytes hash = opensslSha256(out.data(), out.size());
    out.insert(out.end(), hash.begin(), hash.end());
  }
  return out;
}

Bytes makeKnlt(std::mt19937& random) {
  Bytes out = randomBytes(random, 6);
  out.insert(out.end(), {0x5D, 0x02, 'K', 'N', 'L', 'T'});
  const Bytes rest = randomBytes(random, 12);
  out.insert(out.end(), rest.begin(), rest.end());
  const std::size_t size = 0x1C + 600 + random() % 600;
  putLittle32(out, static_cast<std::uint32_t>(size));
  const Bytes body = randomBytes(random, size - 4 - out.size());
  out.insert(out.end(), body.begin(), body.end());
  putLittle32(out, ~kitCrc32(out.data(), out.size()));
  return out;
}

Bytes makeVectorTable(std::mt19937& random) {
  Bytes out;
  std::uint32_t sum = 0;
  for (int i = 0; i < 7; ++i) {
    const std::uint32_t word = i == 0 ? 0x04020000 + 4 * (random() % 0x1000)
                                      : (0x00000800 + (random() % 0x10000)) | 1;
    putLittle32(out, word);
    sum += word;
  }
  putLittle32(out, 0U - sum);
  const Bytes code = randomBytes(random, 500);
  out.insert(out.end(), code.begin(), code.end());
  return out;
}

Bytes makeFb05(std::mt19937& random) {
  Bytes out = {0xFB, 0x05, 0x00, 0x06};
  const Bytes body = randomBytes(random, 300 + random() % 300);
  out.insert(out.end(), body.begin(), body.end());
  appendCrc(out);
  return out;
}

Bytes makeImagePreamble(std::mt19937& random) {
  Bytes out = randomBytes(random, 0x98 + 400);
  storeLittle32At(out, 0x8C, static_cast<std::uint32_t>(out.size()));
  imageCrcStore(out.data(), out.size(), 0x88);
  return out;
}

Bytes withMagic(std::mt19937& random, std::size_t offset, const Bytes& magic) {
  Bytes out = randomBytes(random, 200);
  std::copy(magic.begin(), magic.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
  return out;
}

}  // namespace

Bytes makePayload(PayloadFormat format, std::uint32_t seed) {
  std::mt19937 random(seed);
  switch (format) {
    case PayloadFormat::gbl: return makeGbl(random);
    case PayloadFormat::ebl: return makeEbl(random);
    case PayloadFormat::segmentedApp: return makeSegmentedApp(random, true);
    case PayloadFormat::knltImage: return makeKnlt(random);
    case PayloadFormat::vectorTable: return makeVectorTable(random);
    case PayloadFormat::fb05Head: return makeFb05(random);
    case PayloadFormat::xzStream: return payload_kit::makeXz(random, 2, true);
    case PayloadFormat::zlibStream: return payload_kit::makeZlib(random);
    case PayloadFormat::imagePreamble: return makeImagePreamble(random);
    case PayloadFormat::magic12345678:
      return withMagic(random, 0, {0x12, 0x34, 0x56, 0x78, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88});
    case PayloadFormat::nestedOta: return withMagic(random, 8, {0x1E, 0xF1, 0xEE, 0x0B});
    case PayloadFormat::lvrmMark: return withMagic(random, 0x1C, {'L', 'V', 'R', 'M'});
    case PayloadFormat::frs0Mark: return withMagic(random, 0, {'F', 'R', 'S', '0'});
    case PayloadFormat::dec0deMark: return withMagic(random, 0, {0xDE, 0xC0, 0xDE});
    case PayloadFormat::headedVectorTable: {
      Bytes out = randomBytes(random, 16);
      putLittle32(out, 0x20008000);
      putLittle32(out, 0x00004A1D);
      const Bytes rest = randomBytes(random, 200);
      out.insert(out.end(), rest.begin(), rest.end());
      return out;
    }
    case PayloadFormat::tlvWrapper: {
      Bytes out = {0x01, 0x00, 0x00, 0x00};
      putLittle32(out, 300);
      const Bytes rest = randomBytes(random, 300);
      out.insert(out.end(), rest.begin(), rest.end());
      return out;
    }
    case PayloadFormat::cborMultiImage: {
      Bytes out = {0x20, 0x00, 0xA1, 0x63, 'i', 'm', 'g'};
      const Bytes rest = randomBytes(random, 200);
      out.insert(out.end(), rest.begin(), rest.end());
      return out;
    }
    case PayloadFormat::unknown: break;
  }
  return randomBytes(random, 64);
}

}  // namespace otawrap::test
