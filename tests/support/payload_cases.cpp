// The table of payload cases: each generated format, valid variants and
// damaged ones, and for each format whose end is known the trailer rule's
// table, with the verdict payloadCheck gives.
#include <random>

#include "support/openssl_hash.h"
#include "support/payload_generator.h"
#include "support/payload_generator_internal.h"

namespace otawrap::test {

namespace {

using payload_kit::Bytes;
using payload_kit::putLittle32;
constexpr PayloadVerdict kOk = PayloadVerdict::ok;
constexpr PayloadVerdict kFailed = PayloadVerdict::failed;

class CaseList {
 public:
  CaseList(std::vector<PayloadCase>& cases, PayloadFormat format, const char* name)
      : cases_(cases), format_(format), name_(name) {}
  void add(const char* variant, PayloadDamage damage, Bytes bytes, PayloadVerdict verdict) {
    cases_.push_back({name_ + "/" + variant, format_, damage, std::move(bytes), verdict});
  }

 private:
  std::vector<PayloadCase>& cases_;
  PayloadFormat format_;
  std::string name_;
};

Bytes cut(Bytes b, std::size_t count) {
  b.resize(b.size() - count);
  return b;
}

// Bytes that cannot pass for fill or a trailer: reported, not judged.
Bytes extended(Bytes b, std::size_t count) {
  b.push_back(0x5A);
  for (std::size_t i = 1; i < count; ++i) b.push_back(static_cast<std::uint8_t>(i * 37));
  return b;
}

Bytes flipped(Bytes b, std::size_t at) {
  b[at] ^= 0x10;
  return b;
}

Bytes padded(Bytes b, std::size_t count, std::uint8_t fill) {
  b.insert(b.end(), count, fill);
  return b;
}

// Fill whose middle byte breaks it: no trailer fits behind it.
Bytes badlyPadded(Bytes b, std::size_t count) {
  b.insert(b.end(), count, 0xFF);
  b[b.size() - count / 2 - 4] = 0x00;
  return b;
}

Bytes withSha256(Bytes b, std::size_t fill, std::size_t covered) {
  const Bytes digest = opensslSha256(b.data(), covered);
  b.insert(b.end(), fill, 0xFF);
  b.insert(b.end(), digest.begin(), digest.end());
  return b;
}

// Fill to a multiple of 16, then the CRC-32 of every byte before it.
Bytes withCrc32(Bytes b, std::uint8_t fill) {
  b.push_back(fill);
  while (b.size() % 16 != 12) b.push_back(fill);
  putLittle32(b, kitCrc32(b.data(), b.size()));
  return b;
}

// Fill, a second image, the mark and the CRC-32 of every byte before it.
Bytes withMarkedCrc32(Bytes b, std::uint32_t seed) {
  b.insert(b.end(), 64 - b.size() % 64, 0xFF);
  const Bytes second = makePayload(PayloadFormat::nestedOta, seed);
  b.insert(b.end(), second.begin(), second.end());
  b.insert(b.end(), {0xA5, 0x5A, 0x5A, 0xA5});
  putLittle32(b, kitCrc32(b.data(), b.size() - 4));
  return b;
}

// The trailer rule behind a format whose end is known ("tail-" cases): fill,
// trailers that match (named) or differ (proof), other bytes (told).
void trailerCases(CaseList& list, const Bytes& valid, std::uint32_t seed) {
  list.add("tail-fill-ff", PayloadDamage::none, padded(valid, 5000, 0xFF), kOk);
  list.add("tail-fill-00", PayloadDamage::none, padded(valid, 12, 0x00), kOk);
  list.add("tail-sha256", PayloadDamage::none, withSha256(valid, 0, valid.size()), kOk);
  list.add("tail-fill-sha256-of-stream", PayloadDamage::none, withSha256(valid, 12, valid.size()), kOk);
  list.add("tail-crc32", PayloadDamage::none, withCrc32(valid, 0xFF), kOk);
  list.add("tail-zero-fill-crc32", PayloadDamage::none, withCrc32(valid, 0x00), kOk);
  list.add("tail-marked-crc32", PayloadDamage::none, withMarkedCrc32(valid, seed), kOk);
  list.add("tail-followed", PayloadDamage::extended, extended(valid, 68), kOk);
  list.add("tail-broken-fill", PayloadDamage::padding, badlyPadded(valid, 20), kOk);
  list.add("tail-sha256-differs", PayloadDamage::flipped,
           flipped(withSha256(valid, 0, valid.size()), valid.size() + 5), kFailed);
  const Bytes crc = withCrc32(valid, 0xFF);
  list.add("tail-crc32-differs", PayloadDamage::flipped, flipped(crc, crc.size() - 1), kFailed);
  const Bytes marked = withMarkedCrc32(valid, seed);
  list.add("tail-marked-crc32-differs", PayloadDamage::flipped, flipped(marked, marked.size() - 20),
           kFailed);
}

Bytes filledTo64(Bytes b) {
  while (b.size() % 64 != 0) b.push_back(0xFF);
  return b;
}

void storeLittle32At(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The standard damage set for a format whose end is known from its fields.
void damaged(CaseList& list, const Bytes& valid, std::size_t lengthAt, std::int32_t lengthDelta,
             std::size_t flipAt) {
  list.add("cut", PayloadDamage::cut, cut(valid, 3), kFailed);
  list.add("flipped", PayloadDamage::flipped, flipped(valid, flipAt), kFailed);
  Bytes wrongLength = valid;
  const std::uint32_t stored = wrongLength[lengthAt] | (wrongLength[lengthAt + 1] << 8) |
                               (wrongLength[lengthAt + 2] << 16) |
                               (std::uint32_t{wrongLength[lengthAt + 3]} << 24);
  storeLittle32At(wrongLength, lengthAt, stored + static_cast<std::uint32_t>(lengthDelta));
  list.add("length-field", PayloadDamage::lengthField, wrongLength, kFailed);
}

void gblCases(std::vector<PayloadCase>& cases, std::uint32_t seed) {
  CaseList list(cases, PayloadFormat::gbl, "gbl");
  const Bytes valid = makePayload(PayloadFormat::gbl, seed);
  list.add("valid", PayloadDamage::none, valid, kOk);
  // The program tag's length sits at 56 (header tag 16 bytes, properties 36).
  damaged(list, valid, 56, 4, valid.size() / 2);
  trailerCases(list, valid, seed);
}

void eblCases(std::vector<PayloadCase>& cases, std::uint32_t seed) {
  CaseList list(cases, PayloadFormat::ebl, "ebl");
  const Bytes valid = makePayload(PayloadFormat::ebl, seed);
  const Bytes filled = filledTo64(padded(valid, 1, 0xFF));
  list.add("unfilled", PayloadDamage::none, valid, kOk);
  list.add("valid", PayloadDamage::none, filled, kOk);
  list.add("cut", PayloadDamage::cut, cut(filled, filled.size() - valid.size() + 2), kFailed);
  list.add("flipped", PayloadDamage::flipped, flipped(filled, 200), kFailed);
  Bytes wrongLength = filled;
  wrongLength[147] ^= 0x01;  // the first program tag's length, low byte
  list.add("length-field", PayloadDamage::lengthField, wrongLength, kFailed);
  trailerCases(list, valid, seed);
}

void segmentedCases(std::vector<PayloadCase>& cases, std::uint32_t seed) {
  CaseList list(cases, PayloadFormat::segmentedApp, "segmented-app");
  const Bytes valid = makePayload(PayloadFormat::segmentedApp, seed);
  list.add("valid", PayloadDamage::none, valid, kOk);
  Bytes noDigest = cut(valid, 32);
  noDigest[23] = 0;
  list.add("no-digest", PayloadDamage::none, noDigest, kOk);
  list.add("entry-flipped", PayloadDamage::flipped, flipped(valid, 5), kFailed);
  list.add("checksum-padding", PayloadDamage::padding, flipped(valid, valid.size() - 34), kFailed);
  // The first segment's length at 28; its data lies from 32.
  damaged(list, valid, 28, 4, 40);
  trailerCases(list, valid, seed);
}

void knltCases(std::vector<PayloadCase>& cases, std::uint32_t seed) {
  CaseList list(cases, PayloadFormat::knltImage, "knlt");
  const Bytes valid = makePayload(PayloadFormat::knltImage, seed);
  list.add("valid", PayloadDamage::none, valid, kOk);
  damaged(list, valid, 0x18, -4, valid.size() / 2);
  trailerCases(list, valid, seed);
}

void otherCases(std::vector<PayloadCase>& cases, std::uint32_t seed) {
  CaseList table(cases, PayloadFormat::vectorTable, "vector-table");
  const Bytes vector = makePayload(PayloadFormat::vectorTable, seed);
  table.add("valid", PayloadDamage::none, vector, kOk);
  table.add("flipped", PayloadDamage::flipped, flipped(vector, 9), kFailed);
  table.add("cut", PayloadDamage::cut, Bytes(vector.begin(), vector.begin() + 28), kFailed);

  CaseList fb05(cases, PayloadFormat::fb05Head, "fb05");
  const Bytes head = makePayload(PayloadFormat::fb05Head, seed);
  fb05.add("valid", PayloadDamage::none, head, kOk);
  fb05.add("cut", PayloadDamage::cut, cut(head, 1), kFailed);
  fb05.add("flipped", PayloadDamage::flipped, flipped(head, 100), kFailed);
  Bytes bigEndian = head;
  std::swap(bigEndian[head.size() - 4], bigEndian[head.size() - 1]);
  std::swap(bigEndian[head.size() - 3], bigEndian[head.size() - 2]);
  fb05.add("crc-big-endian", PayloadDamage::flipped, bigEndian, kFailed);
  trailerCases(fb05, head, seed);

  CaseList preamble(cases, PayloadFormat::imagePreamble, "image-preamble");
  const Bytes image = makePayload(PayloadFormat::imagePreamble, seed);
  preamble.add("valid", PayloadDamage::none, image, kOk);
  preamble.add("flipped", PayloadDamage::flipped, flipped(image, 300), kFailed);
  preamble.add("cut", PayloadDamage::cut, cut(image, 4), kFailed);
}

void streamCases(std::vector<PayloadCase>& cases, std::uint32_t seed) {
  std::mt19937 random(seed);
  CaseList xz(cases, PayloadFormat::xzStream, "xz");
  const Bytes stream = makePayload(PayloadFormat::xzStream, seed);
  xz.add("valid", PayloadDamage::none, stream, kOk);
  xz.add("no-check", PayloadDamage::none, payload_kit::makeXz(random, 3, false), kOk);
  xz.add("stream-padding", PayloadDamage::none, padded(stream, 8, 0x00), kOk);
  Bytes twoStreams = stream;
  const Bytes second = payload_kit::makeXz(random, 1, true);
  twoStreams.insert(twoStreams.end(), 4, 0x00);
  twoStreams.insert(twoStreams.end(), second.begin(), second.end());
  xz.add("two-streams", PayloadDamage::none, twoStreams, kOk);
  // The compressed data is not verified: a flip inside it passes, unless
  // a SHA-256 of the stream follows it.
  xz.add("data-flip-unverified", PayloadDamage::flipped, flipped(stream, 40), kOk);
  xz.add("tail-sha256-data-flipped", PayloadDamage::flipped,
         flipped(withSha256(stream, 0, stream.size()), 40), kFailed);
  xz.add("cut", PayloadDamage::cut, cut(stream, 4), kFailed);
  Bytes cutSecond = twoStreams;
  cutSecond.resize(stream.size() + 4 + second.size() / 2);
  xz.add("second-stream-cut", PayloadDamage::cut, cutSecond, kFailed);
  xz.add("block-header-flipped", PayloadDamage::flipped, flipped(stream, 14), kFailed);
  xz.add("index-flipped", PayloadDamage::flipped, flipped(stream, stream.size() - 16), kFailed);
  trailerCases(xz, stream, seed);

  CaseList zlib(cases, PayloadFormat::zlibStream, "zlib");
  const Bytes deflated = makePayload(PayloadFormat::zlibStream, seed);
  zlib.add("valid", PayloadDamage::none, deflated, kOk);
  zlib.add("cut", PayloadDamage::cut, cut(deflated, 2), kFailed);
  zlib.add("flipped", PayloadDamage::flipped, flipped(deflated, 40), kFailed);
  zlib.add("adler-flipped", PayloadDamage::flipped, flipped(deflated, deflated.size() - 1), kFailed);
  zlib.add("length-field", PayloadDamage::lengthField, flipped(deflated, 3), kFailed);
  trailerCases(zlib, deflated, seed);
}

}  // namespace

std::vector<PayloadCase> payloadCases(std::uint32_t seed) {
  std::vector<PayloadCase> cases;
  gblCases(cases, seed);
  eblCases(cases, seed);
  segmentedCases(cases, seed);
  knltCases(cases, seed);
  otherCases(cases, seed);
  streamCases(cases, seed);
  return cases;
}

}  // namespace otawrap::test
