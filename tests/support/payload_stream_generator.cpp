// xz and zlib streams built by hand from their specifications, so the
// damaged variants can reach each part; Python's lzma and zlib confirm the
// valid ones in the payload tests.
#include "support/payload_generator.h"
#include "support/payload_generator_internal.h"

namespace otawrap::test::payload_kit {

namespace {

void putVli(Bytes& out, std::uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<std::uint8_t>(value | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(value));
}

void padTo4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

void appendCrc32Of(Bytes& out, std::size_t from) {
  putLittle32(out, kitCrc32(out.data() + from, out.size() - from));
}

// Bits least significant first, as DEFLATE packs them.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void bits(std::uint32_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) put((value >> i) & 1);
  }
  // A Huffman code goes most significant bit first.
  void code(std::uint32_t value, unsigned length) {
    for (unsigned i = length; i-- > 0;) put((value >> i) & 1);
  }
  void flush() {
    if (used_ != 0) out_.push_back(current_);
    current_ = 0;
    used_ = 0;
  }

 private:
  void put(unsigned bit) {
    current_ = static_cast<std::uint8_t>(current_ | (bit << used_));
    if (++used_ == 8) flush();
  }
  Bytes& out_;
  std::uint8_t current_ = 0;
  unsigned used_ = 0;
};

// The fixed literal/length code of RFC 1951 3.2.6.
void fixedLiteral(BitWriter& writer, unsigned symbol) {
  if (symbol < 144) {
    writer.code(0x30 + symbol, 8);
  } else if (symbol < 256) {
    writer.code(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    writer.code(symbol - 256, 7);
  } else {
    writer.code(0xC0 + symbol - 280, 8);
  }
}

std::uint32_t adler32(const Bytes& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

}  // namespace

Bytes makeXz(std::mt19937& random, unsigned blocks, bool crc32Check) {
  const std::uint8_t checkType = crc32Check ? 1 : 0;
  Bytes out = {0xFD, '7', 'z', 'X', 'Z', 0x00, 0x00, checkType};
  appendCrc32Of(out, 6);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> records;  // unpadded, uncompressed
  for (unsigned b = 0; b < blocks; ++b) {
    const Bytes data = randomBytes(random, 100 + random() % 400);
    // LZMA2: one uncompressed chunk with a dictionary reset, then the end.
    Bytes packed = {0x01, static_cast<std::uint8_t>((data.size() - 1) >> 8),
                    static_cast<std::uint8_t>(data.size() - 1)};
    packed.insert(packed.end(), data.begin(), data.end());
    packed.push_back(0x00);
    // Block header: size, flags (one filter, both sizes), the sizes, the
    // LZMA2 filter (ID 0x21, one property byte), padding, CRC-32.
    Bytes header = {0x00, 0xC0};
    putVli(header, packed.size());
    putVli(header, data.size());
    header.insert(header.end(), {0x21, 0x01, 0x00});
    padTo4(header);
    header[0] = static_cast<std::uint8_t>((header.size() + 4) / 4 - 1);
    appendCrc32Of(header, 0);
    const std::size_t blockStart = out.size();
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), packed.begin(), packed.end());
    const std::size_t unpadded = out.size() - blockStart + (crc32Check ? 4 : 0);
    padTo4(out);
    if (crc32Check) putLittle32(out, kitCrc32(data.data(), data.size()));
    records.emplace_back(unpadded, data.size());
  }
  const std::size_t indexStart = out.size();
  out.push_back(0x00);
  putVli(out, records.size());
  for (const auto& [unpadded, uncompressed] : records) {
    putVli(out, unpadded);
    putVli(out, uncompressed);
  }
  padTo4(out);
  appendCrc32Of(out, indexStart);
  const std::size_t indexSize = out.size() - indexStart;
  const std::size_t footer = out.size();
  putLittle32(out, 0);  // CRC-32, patched below
  putLittle32(out, static_cast<std::uint32_t>(indexSize / 4 - 1));
  out.insert(out.end(), {0x00, checkType, 'Y', 'Z'});
  const std::uint32_t footerCrc = kitCrc32(out.data() + footer + 4, 6);
  for (int i = 0; i < 4; ++i) out[footer + i] = static_cast<std::uint8_t>(footerCrc >> (8 * i));
  return out;
}

Bytes makeZlib(std::mt19937& random) {
  const Bytes storedData = randomBytes(random, 300 + random() % 300);
  const Bytes literals = randomBytes(random, 200);
  Bytes out = {0x78, 0x01};
  // Stored block: 3 header bits, then byte-aligned LEN, NLEN and the bytes.
  out.push_back(0x00);
  out.push_back(static_cast<std::uint8_t>(storedData.size()));
  out.push_back(static_cast<std::uint8_t>(storedData.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(~storedData.size()));
  out.push_back(static_cast<std::uint8_t>(~storedData.size() >> 8));
  out.insert(out.end(), storedData.begin(), storedData.end());
  // Final fixed-code block: the literals, then length 3 at distance 1 (code
  // 257, distance code 0), then end of block.
  BitWriter writer(out);
  writer.bits(1, 1);
  writer.bits(1, 2);
  for (const std::uint8_t byte : literals) fixedLiteral(writer, byte);
  fixedLiteral(writer, 257);
  writer.code(0, 5);
  fixedLiteral(writer, 256);
  writer.flush();
  Bytes plain = storedData;
  plain.insert(plain.end(), literals.begin(), literals.end());
  for (int i = 0; i < 3; ++i) plain.push_back(literals.back());
  putBig32(out, adler32(plain));
  return out;
}

}  // namespace otawrap::test::payload_kit

namespace otawrap::test {

using payload_kit::Bytes;

Bytes makeStoredZlib(const Bytes& data) {
  Bytes out = {0x78, 0x01, 0x01, static_cast<std::uint8_t>(data.size()),
               static_cast<std::uint8_t>(data.size() >> 8), static_cast<std::uint8_t>(~data.size()),
               static_cast<std::uint8_t>(~data.size() >> 8)};
  for (const std::uint8_t byte : data) out.push_back(byte);
  payload_kit::putBig32(out, payload_kit::adler32(data));
  return out;
}

Bytes makeZlibOverHeadedVectorTable() {
  Bytes data(9, 'A');
  for (const std::uint8_t b : {0x00, 0x10, 0x00, 0x20, 0x01, 0x01, 0x00, 0x00}) data.push_back(b);
  data.insert(data.end(), 100, 'B');
  return makeStoredZlib(data);
}

Bytes makeZlibRun(std::size_t matches) {
  Bytes out = {0x78, 0x01};
  payload_kit::BitWriter writer(out);
  writer.bits(1, 1);
  writer.bits(1, 2);
  payload_kit::fixedLiteral(writer, 0);
  for (std::size_t i = 0; i < matches; ++i) {
    payload_kit::fixedLiteral(writer, 285);  // length 258
    writer.code(0, 5);                       // distance 1
  }
  payload_kit::fixedLiteral(writer, 256);
  writer.flush();
  // The Adler-32 of n zero bytes: s1 stays 1, s2 adds 1 per byte.
  const std::uint64_t zeros = 1 + 258 * std::uint64_t{matches};
  payload_kit::putBig32(out, static_cast<std::uint32_t>((zeros % 65521) << 16 | 1));
  return out;
}

Bytes makeZlibEmptyBlocks(std::size_t blocks) {
  Bytes out = {0x78, 0x01};
  payload_kit::BitWriter writer(out);
  for (std::size_t i = 0; i <= blocks; ++i) {
    writer.bits(i == blocks ? 1 : 0, 1);
    writer.bits(1, 2);
    payload_kit::fixedLiteral(writer, 256);
  }
  writer.flush();
  payload_kit::putBig32(out, 1);
  return out;
}

Bytes makeZlibDynamicBlocks(std::size_t blocks) {
  Bytes out = {0x78, 0x01};
  payload_kit::BitWriter writer(out);
  for (std::size_t i = 0; i <= blocks; ++i) {
    writer.bits(i == blocks ? 1 : 0, 1);
    writer.bits(2, 2);
    writer.bits(0, 5);  // 257 literal/length codes
    writer.bits(0, 5);  // 1 distance code
    writer.bits(1, 4);  // 5 code-length codes: 16, 17, 18, 0, 8
    for (const unsigned length : {0u, 0u, 1u, 0u, 1u}) writer.bits(length, 3);
    // Code-length codes: 8 is 0, 18 is 1. 256 zeros, then length 8 for the
    // end of block and for the one distance code.
    writer.code(1, 1);
    writer.bits(127, 7);
    writer.code(1, 1);
    writer.bits(107, 7);
    writer.code(0, 1);
    writer.code(0, 1);
    writer.code(0, 8);  // end of block, the only literal/length code
  }
  writer.flush();
  payload_kit::putBig32(out, 1);
  return out;
}

}  // namespace otawrap::test
