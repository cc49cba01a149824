// Intel HEX input: the raw stream the adapter makes (addresses under both
// kinds of extended address, wrapping), every error class with its line, and
// the input-format detection with the look-ahead source. The equivalence of
// whole conversions is in tests/ota/test_conversion.cpp.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "image/input_format.h"
#include "image/intel_hex.h"
#include "image/raw_reader.h"
#include "ota/header.h"
#include "support/raw_file_generator.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::intelHexLine;

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A source that hands out one byte per read, then fails if asked to.
class TrickleSource final : public ByteSource {
 public:
  TrickleSource(const Bytes& data, bool failAtEnd) : data_(data), failAtEnd_(failAtEnd) {}
  std::size_t read(std::uint8_t* out, std::size_t) override {
    if (offset_ == data_.size()) return 0;
    *out = data_[offset_++];
    return 1;
  }
  bool failed() const override { return failAtEnd_ && offset_ == data_.size(); }

 private:
  const Bytes& data_;
  bool failAtEnd_;
  std::size_t offset_ = 0;
};

// Runs the adapter's stream through the raw reader: the data records as
// (address, bytes), one entry per raw record.
struct Walk {
  RawStatus status;
  IntelHexFailure failure;
  std::vector<std::pair<std::uint32_t, Bytes>> records;
};

Walk walk(const std::string& text, std::uint64_t textLimit = kIntelHexTextLimit) {
  const Bytes bytes = bytesOf(text);
  MemorySource memory(bytes.data(), bytes.size());
  IntelHexSource hex(memory, textLimit);
  RawReader reader(hex);
  Walk result{reader.readFileHeader(), {}, {}};
  while (result.status == RawStatus::ok) {
    RawDataSpan span;
    result.status = reader.nextData(span);
    if (result.status != RawStatus::ok || span.length == 0) break;
    if (reader.record().remaining + span.length == reader.record().byteCount) {
      result.records.push_back({span.address, {}});
    }
    result.records.back().second.insert(result.records.back().second.end(), span.data,
                                        span.data + span.length);
  }
  result.failure = hex.failure();
  return result;
}

std::string lines(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& line : list) text += line + "\n";
  return text;
}

const std::string kEnd = intelHexLine(1, 0, {});

TEST(IntelHexSource, AddressesUnderLinearAndSegmentBases) {
  const Walk w = walk(lines({
      intelHexLine(0, 0x0010, {1, 2, 3}),           // before any base: linear 0
      intelHexLine(4, 0, {0x12, 0x34}),
      intelHexLine(0, 0xFFFE, {4, 5, 6, 7}),        // runs on across 64 KiB
      intelHexLine(2, 0, {0x10, 0x00}),             // segment 0x1000 -> base 0x10000
      intelHexLine(0, 0xFFFF, {8, 9, 10}),          // wraps inside the segment
      intelHexLine(3, 0, {0, 0, 1, 2}),             // ignored
      intelHexLine(4, 0, {0xFF, 0xFF}),
      intelHexLine(0, 0xFFFF, {11, 12}),            // wraps at 2^32 as the raw address does
      intelHexLine(5, 0, {0, 0, 0, 0}),             // ignored
      intelHexLine(0, 0x0000, {}),                  // empty record
      kEnd}));
  ASSERT_EQ(w.status, RawStatus::ok);
  EXPECT_EQ(w.failure.error, IntelHexError::none);
  const std::vector<std::pair<std::uint32_t, Bytes>> expected = {
      {0x00000010, {1, 2, 3}},    {0x1234FFFE, {4, 5, 6, 7}}, {0x0001FFFF, {8}},
      {0x00010000, {9, 10}},      {0xFFFFFFFF, {11, 12}},
  };
  EXPECT_EQ(w.records, expected);
}

TEST(IntelHexSource, ToleratesBlankLinesCrLfCaseAndNoFinalLineEnd) {
  std::string record = intelHexLine(0, 0x0100, {0xAB, 0xCD});
  for (char& c : record) c = static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
  const Walk w = walk("\r\n  \t\r\n " + record + " \r\n\r\n" + kEnd + "\r\n \n\n");
  ASSERT_EQ(w.status, RawStatus::ok);
  EXPECT_EQ(w.records, (std::vector<std::pair<std::uint32_t, Bytes>>{{0x100, {0xAB, 0xCD}}}));
  EXPECT_EQ(walk(record + "\n" + kEnd).status, RawStatus::ok);
  // CR alone ends a line too, and a byte order mark may lead the text.
  const Walk cr = walk("\xEF\xBB\xBF\r" + record + "\r\r" + kEnd + "\r");
  ASSERT_EQ(cr.status, RawStatus::ok);
  EXPECT_EQ(cr.records, w.records);
  const Walk late = walk(record + "\n\xEF\xBB\xBF" + kEnd);  // only before the first line
  EXPECT_EQ(late.failure.error, IntelHexError::missingStartCode);
  EXPECT_EQ(late.failure.line, 2u);
}

TEST(IntelHexSource, TextPastItsLimitEndsTheRead) {
  const std::string start = intelHexLine(3, 0, {0, 0, 1, 2});
  struct Case {
    const char* name;
    std::string text;
    std::uint64_t limit;
    IntelHexError error;
    std::uint64_t line;
  } const cases[] = {
      {"blank lines", std::string(5000, '\n'), 4096, IntelHexError::textTooLong, 4096},
      {"start addresses", lines(std::vector<std::string>(400, start)), 4096,
       IntelHexError::textTooLong, 205},
      {"blanks after the end", lines({kEnd}) + lines(std::vector<std::string>(2500, " ")), 4096,
       IntelHexError::textTooLong, 2043},
      // The text is read in 4 KiB chunks: this one is over at once.
      {"one byte over", lines({start, kEnd}), start.size() + kEnd.size() + 1,
       IntelHexError::textTooLong, 0},
      {"at the limit", lines({start, kEnd}), start.size() + kEnd.size() + 2,
       IntelHexError::none, 0},
      {"endless line", std::string(5000, '\0'), 1 << 20, IntelHexError::lineTooLong, 1},
  };
  for (const Case& c : cases) {
    const Walk w = walk(c.text, c.limit);
    EXPECT_EQ(w.failure.error, c.error) << c.name;
    EXPECT_EQ(w.failure.line, c.line) << c.name;
  }
}

TEST(IntelHexSource, EveryErrorClassNamesItsLine) {
  const std::string data = intelHexLine(0, 0, {1, 2, 3, 4});
  std::string badSum = data;
  badSum.back() = badSum.back() == '0' ? '1' : '0';
  struct Case {
    const char* name;
    std::string text;
    IntelHexError error;
    std::uint64_t line;
  } const cases[] = {
      {"checksum", lines({data, badSum, kEnd}), IntelHexError::checksumMismatch, 2},
      {"count too large", lines({data, ":0500000001020304F1", kEnd}),
       IntelHexError::badRecordLength, 2},
      {"count too small", lines({":0300000001020304F3", kEnd}), IntelHexError::badRecordLength, 1},
      {"odd digits", lines({data, ":01000000AB5", kEnd}), IntelHexError::badRecordLength, 2},
      {"under five bytes", lines({":00000001", kEnd}), IntelHexError::badRecordLength, 1},
      {"end of file with data", lines({intelHexLine(1, 0, {0})}), IntelHexError::badRecordLength, 1},
      {"short segment address", lines({intelHexLine(2, 0, {1}), kEnd}),
       IntelHexError::badRecordLength, 1},
      {"long linear address", lines({intelHexLine(4, 0, {1, 2, 3}), kEnd}),
       IntelHexError::badRecordLength, 1},
      {"short start address", lines({intelHexLine(5, 0, {1, 2}), kEnd}),
       IntelHexError::badRecordLength, 1},
      {"line too long", lines({":" + std::string(kIntelHexMaxLine, '0'), kEnd}),
       IntelHexError::lineTooLong, 1},
      {"longest line", lines({std::string(kIntelHexMaxLine - 1, ' ') + ":", kEnd}),
       IntelHexError::badRecordLength, 1},
      {"bad digit", lines({data, data, ":0100000G01FE", kEnd}), IntelHexError::badHexDigit, 3},
      {"space inside", lines({":01000000 01FE", kEnd}), IntelHexError::badHexDigit, 1},
      {"no start code", lines({data, "01000000AB54", kEnd}), IntelHexError::missingStartCode, 2},
      {"unknown type", lines({data, intelHexLine(6, 0, {}), kEnd}),
       IntelHexError::unknownRecordType, 2},
      {"data after end", lines({data, kEnd, "", data}), IntelHexError::dataAfterEndOfFile, 4},
      {"junk after end", kEnd + "\nx", IntelHexError::dataAfterEndOfFile, 2},
      {"no end", lines({data, data, ""}), IntelHexError::missingEndOfFile, 3},
      {"empty text", "", IntelHexError::missingEndOfFile, 0},
  };
  for (const Case& c : cases) {
    const Walk w = walk(c.text);
    EXPECT_EQ(w.status, RawStatus::readFailed) << c.name;
    EXPECT_EQ(w.failure.error, c.error) << c.name;
    EXPECT_EQ(w.failure.line, c.line) << c.name;
  }
}

TEST(IntelHexSource, TextThatCannotBeReadIsAReadFailure) {
  const Bytes text = bytesOf(intelHexLine(0, 0, {1, 2}) + "\n");
  TrickleSource source(text, true);
  IntelHexSource hex(source);
  RawReader reader(hex);
  ASSERT_EQ(reader.readFileHeader(), RawStatus::ok);
  RawDataSpan span;
  RawStatus status = RawStatus::ok;
  while (status == RawStatus::ok) {
    status = reader.nextData(span);
    if (span.length == 0) break;
  }
  EXPECT_EQ(status, RawStatus::readFailed);
  EXPECT_EQ(hex.failure().error, IntelHexError::readFailed);
}

TEST(InputFormat, DetectionByFirstBytes) {
  Bytes ota = {0x1E, 0xF1, 0xEE, 0x0B, 0x00};
  struct Case {
    const char* name;
    Bytes data;
    InputFormat format;
  } const cases[] = {
      {"hex", bytesOf(":10000000"), InputFormat::intelHex},
      {"hex after blanks", bytesOf(" \t\r\n\n:00000001FF"), InputFormat::intelHex},
      {"hex after a byte order mark", bytesOf("\xEF\xBB\xBF\n:00"), InputFormat::intelHex},
      {"byte order mark alone", bytesOf("\xEF\xBB\xBF"), InputFormat::raw},
      {"ota file", ota, InputFormat::otaFile},
      {"elf", {0x7F, 'E', 'L', 'F', 2, 1}, InputFormat::elf},
      {"raw", {0x49, 0x41, 0x52, 0x00}, InputFormat::raw},
      {"colon after text", bytesOf("x:"), InputFormat::raw},
      {"empty", {}, InputFormat::raw},
      {"only blanks", bytesOf("  \n"), InputFormat::raw},
      {"short identifier", {0x1E, 0xF1, 0xEE}, InputFormat::raw},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(detectInputFormat(c.data.data(), c.data.size()), c.format) << c.name;
  }
  // The identifier bytes are the OTA file identifier, little-endian.
  EXPECT_EQ(ota[0] | ota[1] << 8 | ota[2] << 16 | ota[3] << 24,
            static_cast<int>(kOtaFileIdentifier));
}

TEST(PeekedSource, ServesTheLookedAtBytesAgainThenTheRest) {
  Bytes data(kInputPeekSize + 1000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 13);
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, kInputPeekSize, data.size()}) {
    const Bytes input(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(size));
    TrickleSource inner(input, false);
    PeekedSource peeked(inner);
    EXPECT_EQ(Bytes(peeked.head(), peeked.head() + peeked.headSize()),
              Bytes(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(
                                                       std::min(size, kInputPeekSize))));
    Bytes all;
    std::uint8_t buffer[700];
    for (std::size_t got; (got = peeked.read(buffer, sizeof buffer)) != 0;) {
      all.insert(all.end(), buffer, buffer + got);
    }
    EXPECT_EQ(all, input) << size;
    EXPECT_FALSE(peeked.failed());
  }
}

}  // namespace
}  // namespace otawrap
