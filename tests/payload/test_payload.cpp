// The payload module on the test kit's generated payloads: the checksums
// against published values and their slow twins, every format's valid and
// damaged variants through identify and check, every cut of a valid payload,
// the trailer rule's named results, the verdict policy (proof, weak
// identification, trailers on formats without a known end) and the work
// budget.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "payload/checksums.h"
#include "payload/payload.h"
#include "support/openssl_hash.h"
#include "support/payload_generator.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const char* s) { return Bytes(s, s + std::char_traits<char>::length(s)); }

TEST(PayloadChecksums, PublishedValues) {
  const Bytes digits = text("123456789");
  EXPECT_EQ(crc32Update(0, digits.data(), digits.size()), 0xCBF43926u);  // the CRC-32 check value
  const Bytes word = text("Wikipedia");
  EXPECT_EQ(adler32Update(1, word.data(), word.size()), 0x11E60398u);
  EXPECT_EQ(adler32Update(1, nullptr, 0), 1u);
}

TEST(PayloadChecksums, FastMatchesSlowChainedAndResidue) {
  std::mt19937 random(7);
  for (std::size_t length : {0u, 1u, 3u, 64u, 5551u, 5552u, 5553u, 20000u}) {
    Bytes data(length);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    const std::uint32_t crc = crc32Update(0, data.data(), data.size());
    EXPECT_EQ(crc, crc32Bitwise(data.data(), data.size()));
    EXPECT_EQ(crc, test::kitCrc32(data.data(), data.size()));
    const std::size_t half = length / 3;
    EXPECT_EQ(crc32Update(crc32Update(0, data.data(), half), data.data() + half, length - half), crc);
    std::uint32_t a = 1, b = 0;  // Adler-32 by its definition, one modulo per byte
    for (const auto byte : data) {
      a = (a + byte) % 65521;
      b = (b + a) % 65521;
    }
    EXPECT_EQ(adler32Update(1, data.data(), data.size()), (b << 16) | a);
    for (int i = 0; i < 4; ++i) data.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    EXPECT_EQ(crc32Update(0, data.data(), data.size()), kCrc32Residue);
  }
}

TEST(PayloadCheck, EveryGeneratedCase) {
  for (const std::uint32_t seed : {1u, 2u, 3u}) {
    for (const test::PayloadCase& c : test::payloadCases(seed)) {
      SCOPED_TRACE(c.name + " seed " + std::to_string(seed));
      if (c.damage == test::PayloadDamage::none) {
        EXPECT_EQ(payloadIdentify(c.bytes.data(), c.bytes.size(), {}), c.format);
      }
      const PayloadCheck check = payloadCheck(c.format, c.bytes.data(), c.bytes.size());
      EXPECT_EQ(check.verdict, c.verdict);
      EXPECT_EQ(check.reason == PayloadReason::none, c.verdict == PayloadVerdict::ok);
    }
  }
}

TEST(PayloadCheck, DamageGivesTheNamedReason) {
  const struct {
    const char* name;
    PayloadReason reason;
  } expected[] = {
      {"gbl/cut", PayloadReason::truncated},
      {"gbl/flipped", PayloadReason::checksumMismatch},
      {"ebl/tail-marked-crc32-differs", PayloadReason::trailerMismatch},
      {"segmented-app/flipped", PayloadReason::checksumMismatch},
      {"segmented-app/entry-flipped", PayloadReason::digestMismatch},
      {"segmented-app/checksum-padding", PayloadReason::badPadding},
      {"knlt/cut", PayloadReason::truncated},
      {"knlt/tail-crc32-differs", PayloadReason::trailerMismatch},
      {"vector-table/flipped", PayloadReason::checksumMismatch},
      {"fb05/crc-big-endian", PayloadReason::checksumMismatch},
      {"xz/block-header-flipped", PayloadReason::checksumMismatch},
      {"xz/tail-sha256-data-flipped", PayloadReason::trailerMismatch},
      {"xz/second-stream-cut", PayloadReason::truncated},
      {"zlib/length-field", PayloadReason::streamCorrupt},
      {"zlib/adler-flipped", PayloadReason::checksumMismatch},
      {"zlib/cut", PayloadReason::truncated},
  };
  const std::vector<test::PayloadCase> cases = test::payloadCases(4);
  for (const auto& e : expected) {
    bool found = false;
    for (const test::PayloadCase& c : cases) {
      if (c.name != e.name) continue;
      found = true;
      EXPECT_EQ(payloadCheck(c.format, c.bytes.data(), c.bytes.size()).reason, e.reason) << e.name;
    }
    EXPECT_TRUE(found) << e.name;
  }
}

TEST(PayloadCheck, NoCutOfAValidPayloadPasses) {
  const PayloadFormat ended[] = {PayloadFormat::gbl,       PayloadFormat::ebl,
                                 PayloadFormat::segmentedApp, PayloadFormat::knltImage,
                                 PayloadFormat::xzStream,
                                 PayloadFormat::zlibStream, PayloadFormat::imagePreamble};
  for (const PayloadFormat format : ended) {
    const Bytes valid = test::makePayload(format, 11);
    for (std::size_t size = 0; size < valid.size(); ++size) {
      const Bytes cut(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(size));
      ASSERT_EQ(payloadCheck(format, cut.data(), cut.size()).verdict, PayloadVerdict::failed)
          << payloadFormatKey(format) << " cut to " << size;
    }
  }
}

// What the trailer rule names behind every format whose end is known.
TEST(PayloadCheck, TrailerRuleNamesWhatFollows) {
  const struct {
    const char* variant;
    PayloadTrailerKind kind;
    bool matches;
    std::size_t followedBy;
  } expected[] = {
      {"fill-ff", PayloadTrailerKind::none, false, 0},
      {"sha256", PayloadTrailerKind::sha256, true, 0},
      {"fill-sha256-of-stream", PayloadTrailerKind::sha256, true, 0},
      {"crc32", PayloadTrailerKind::crc32, true, 0},
      {"zero-fill-crc32", PayloadTrailerKind::crc32, true, 0},
      {"marked-crc32", PayloadTrailerKind::markedCrc32, true, 0},
      {"followed", PayloadTrailerKind::none, false, 68},
      {"broken-fill", PayloadTrailerKind::none, false, 20},
      {"sha256-differs", PayloadTrailerKind::sha256, false, 0},
      {"crc32-differs", PayloadTrailerKind::crc32, false, 0},
      {"marked-crc32-differs", PayloadTrailerKind::markedCrc32, false, 0},
  };
  std::size_t seen = 0;
  for (const test::PayloadCase& c : test::payloadCases(6)) {
    for (const auto& e : expected) {
      if (c.name.substr(c.name.find('/') + 1) != std::string("tail-") + e.variant) continue;
      SCOPED_TRACE(c.name);
      ++seen;
      const PayloadCheck check = payloadCheck(c.format, c.bytes.data(), c.bytes.size());
      EXPECT_EQ(check.trailer.kind, e.kind);
      EXPECT_EQ(check.trailer.matches, e.matches);
      EXPECT_EQ(check.followedBy, e.followedBy);
      EXPECT_EQ(check.formatVerdict, PayloadVerdict::ok);
      if (e.kind != PayloadTrailerKind::none) {
        EXPECT_EQ(check.trailer.offset + check.trailer.length, c.bytes.size());
      }
    }
  }
  EXPECT_EQ(seen, 7 * std::size(expected));  // gbl, ebl, segmented-app, knlt, fb05, xz, zlib
}

Bytes flippedAt(Bytes b, std::size_t at) {
  b[at] ^= 0x01;
  return b;
}

Bytes followedBy(Bytes b, const Bytes& tail) {
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

Bytes withCrc(Bytes b) {
  const std::uint32_t crc = test::kitCrc32(b.data(), b.size());
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
  return b;
}

// The verdict policy: failed only with proof; a plausible format only when
// its check holds; a trailer at the very end of a format without a known end.
TEST(PayloadJudge, FailedNeedsProof) {
  const Bytes zlibTable = test::makeZlibOverHeadedVectorTable();
  Bytes corruptZlib = test::makeStoredZlib(Bytes(200, 7));
  corruptZlib[3] ^= 0xFF;  // LEN no longer matches NLEN
  const Bytes unknown = test::makePayload(PayloadFormat::frs0Mark, 9);
  Bytes plain(unknown.begin() + 4, unknown.end());
  const Bytes digest = test::opensslSha256(plain.data(), plain.size());
  const struct {
    const char* name;
    Bytes bytes;
    PayloadFormat format;
    PayloadVerdict verdict;
    PayloadReason reason;
    PayloadTrailerKind trailer;
  } cases[] = {
      {"magic, checksum differs", flippedAt(test::makePayload(PayloadFormat::gbl, 9), 300),
       PayloadFormat::gbl, PayloadVerdict::failed, PayloadReason::checksumMismatch,
       PayloadTrailerKind::none},
      {"vector table, sum differs", flippedAt(test::makePayload(PayloadFormat::vectorTable, 9), 9),
       PayloadFormat::unknown, PayloadVerdict::notCheckable, PayloadReason::unknownFormat,
       PayloadTrailerKind::none},
      {"segmented image, checksum differs",
       flippedAt(test::makePayload(PayloadFormat::segmentedApp, 9), 40), PayloadFormat::unknown,
       PayloadVerdict::notCheckable, PayloadReason::unknownFormat, PayloadTrailerKind::none},
      {"zlib header, coding broken", corruptZlib, PayloadFormat::unknown,
       PayloadVerdict::notCheckable, PayloadReason::unknownFormat, PayloadTrailerKind::none},
      {"zlib over a headed vector table", zlibTable, PayloadFormat::zlibStream, PayloadVerdict::ok,
       PayloadReason::none, PayloadTrailerKind::none},
      {"zlib over a headed vector table, data flipped", flippedAt(zlibTable, 40),
       PayloadFormat::zlibStream, PayloadVerdict::failed, PayloadReason::checksumMismatch,
       PayloadTrailerKind::none},
      {"identified only, CRC-32 last", withCrc(unknown), PayloadFormat::frs0Mark,
       PayloadVerdict::ok, PayloadReason::none, PayloadTrailerKind::crc32},
      {"unknown, CRC-32 last", withCrc(plain), PayloadFormat::unknown, PayloadVerdict::ok,
       PayloadReason::none, PayloadTrailerKind::crc32},
      {"unknown, SHA-256 last", followedBy(plain, digest), PayloadFormat::unknown,
       PayloadVerdict::ok, PayloadReason::none, PayloadTrailerKind::sha256},
      {"unknown, CRC-32 differs", flippedAt(withCrc(plain), plain.size()), PayloadFormat::unknown,
       PayloadVerdict::notCheckable, PayloadReason::unknownFormat, PayloadTrailerKind::none},
      {"vector table, CRC-32 last", withCrc(test::makePayload(PayloadFormat::vectorTable, 9)),
       PayloadFormat::vectorTable, PayloadVerdict::ok, PayloadReason::none,
       PayloadTrailerKind::crc32},
      {"vector table, 4 other bytes", followedBy(test::makePayload(PayloadFormat::vectorTable, 9), {1, 2, 3, 4}),
       PayloadFormat::vectorTable, PayloadVerdict::ok, PayloadReason::none,
       PayloadTrailerKind::none},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PayloadBudget budget = payloadBudgetFor(c.bytes.size());
    const PayloadJudgement judged = payloadJudge(c.bytes.data(), c.bytes.size(), {}, budget);
    EXPECT_EQ(judged.format, c.format);
    EXPECT_EQ(judged.check.verdict, c.verdict);
    EXPECT_EQ(judged.check.reason, c.reason);
    EXPECT_EQ(judged.check.trailer.kind, c.trailer);
  }
}

TEST(PayloadBudget, OneBudgetBoundsEveryStream) {
  EXPECT_EQ(payloadBudgetFor(0).left(), kPayloadWorkFloor);
  EXPECT_EQ(payloadBudgetFor(std::uint64_t{1} << 30).left(), kPayloadWorkPerByte << 30);
  const Bytes run = test::makeZlibRun(100000);           // 25.8 MB inflated
  const Bytes blocks = test::makeZlibEmptyBlocks(40000);  // 50 KB of empty blocks
  for (const Bytes* stream : {&run, &blocks}) {
    PayloadBudget roomy = payloadBudgetFor(std::uint64_t{1} << 30);
    EXPECT_EQ(payloadCheck(PayloadFormat::zlibStream, stream->data(), stream->size(), roomy).verdict,
              PayloadVerdict::ok);
    const std::uint64_t spent = payloadBudgetFor(std::uint64_t{1} << 30).left() - roomy.left();
    PayloadBudget tight(spent - 1);
    const PayloadCheck cut = payloadCheck(PayloadFormat::zlibStream, stream->data(), stream->size(), tight);
    EXPECT_EQ(cut.verdict, PayloadVerdict::notCheckable);
    EXPECT_EQ(cut.reason, PayloadReason::workBudget);
  }
  // Spent by the first stream, the budget stops the second at once.
  PayloadBudget shared(std::uint64_t{60} << 20);
  EXPECT_EQ(payloadCheck(PayloadFormat::zlibStream, run.data(), run.size(), shared).verdict,
            PayloadVerdict::ok);
  EXPECT_EQ(payloadCheck(PayloadFormat::zlibStream, run.data(), run.size(), shared).reason,
            PayloadReason::workBudget);
}

TEST(PayloadIdentify, MagicOnlyFormatsAndUnknown) {
  const PayloadFormat magicOnly[] = {PayloadFormat::magic12345678, PayloadFormat::lvrmMark,
                                     PayloadFormat::frs0Mark,      PayloadFormat::dec0deMark,
                                     PayloadFormat::headedVectorTable, PayloadFormat::tlvWrapper,
                                     PayloadFormat::cborMultiImage};
  for (const PayloadFormat format : magicOnly) {
    const Bytes bytes = test::makePayload(format, 5);
    EXPECT_EQ(payloadIdentify(bytes.data(), bytes.size(), {}), format) << payloadFormatKey(format);
    const PayloadCheck check = payloadCheck(format, bytes.data(), bytes.size());
    EXPECT_EQ(check.verdict, PayloadVerdict::notCheckable);
    EXPECT_EQ(check.reason, PayloadReason::noCheckKnown);
    EXPECT_EQ(payloadCheckKind(format), PayloadCheckKind::none);
  }
  const Bytes nested = test::makePayload(PayloadFormat::nestedOta, 5);
  EXPECT_EQ(payloadIdentify(nested.data(), nested.size(), {}), PayloadFormat::nestedOta);
  EXPECT_EQ(payloadCheck(PayloadFormat::nestedOta, nested.data(), nested.size()).reason,
            PayloadReason::readAsOtaFile);
  const Bytes plain(300, 0x00);
  EXPECT_EQ(payloadIdentify(plain.data(), plain.size(), {}), PayloadFormat::unknown);
  EXPECT_EQ(payloadIdentify(nullptr, 0, {}), PayloadFormat::unknown);
  EXPECT_EQ(payloadCheck(PayloadFormat::unknown, nullptr, 0).reason, PayloadReason::unknownFormat);
}

TEST(PayloadIdentify, PreambleByLengthOrByTheHeadersIdentifiers) {
  Bytes image = test::makePayload(PayloadFormat::imagePreamble, 8);
  image[0x8C] ^= 1;  // length no longer stamped
  image[0] = 0x00;
  EXPECT_NE(payloadIdentify(image.data(), image.size(), {}), PayloadFormat::imagePreamble);
  PayloadContext context;
  context.headerKnown = true;
  context.manufacturerCode = static_cast<std::uint16_t>(image[0x90] | (image[0x91] << 8));
  context.imageType = static_cast<std::uint16_t>(image[0x92] | (image[0x93] << 8));
  context.fileVersion = static_cast<std::uint32_t>(image[0x94] | (image[0x95] << 8) |
                                                   (image[0x96] << 16) | (image[0x97] << 24));
  EXPECT_EQ(payloadIdentify(image.data(), image.size(), context), PayloadFormat::imagePreamble);
  EXPECT_EQ(payloadCheck(PayloadFormat::imagePreamble, image.data(), image.size()).reason,
            PayloadReason::lengthMismatch);
}

TEST(PayloadFormatKey, KeysAreDistinct) {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < kPayloadFormatCount; ++i) {
    keys.push_back(payloadFormatKey(static_cast<PayloadFormat>(i)));
  }
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end());
  EXPECT_STREQ(payloadFormatKey(PayloadFormat::gbl), "gbl");
  EXPECT_STREQ(payloadFormatKey(PayloadFormat::segmentedApp), "segmented-app");
}

}  // namespace
}  // namespace otawrap
