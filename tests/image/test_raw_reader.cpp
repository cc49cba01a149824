// The raw-file walk on crafted files: which bytes reach the assembler, with
// which addresses, and where a file counts as truncated.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "image/raw_reader.h"
#include "support/raw_file_generator.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using AddressedBytes = std::vector<std::pair<std::uint32_t, std::uint8_t>>;

// Serves at most `step` bytes per read; fails once `failAt` bytes are served.
class TrickleSource final : public ByteSource {
 public:
  TrickleSource(const Bytes& bytes, std::size_t step, std::size_t failAt = SIZE_MAX)
      : bytes_(bytes), step_(step), failAt_(failAt) {}
  std::size_t read(std::uint8_t* out, std::size_t capacity) override {
    if (offset_ >= failAt_) {
      failed_ = true;
      return 0;
    }
    std::size_t count = std::min({capacity, step_, bytes_.size() - offset_, failAt_ - offset_});
    const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(offset_);
    std::copy(begin, begin + static_cast<std::ptrdiff_t>(count), out);
    offset_ += count;
    return count;
  }
  bool failed() const override { return failed_; }

 private:
  const Bytes& bytes_;
  std::size_t step_, failAt_, offset_ = 0;
  bool failed_ = false;
};

struct Walk {
  RawStatus status;
  AddressedBytes bytes;
  RawRecord last;
};

Walk walk(ByteSource& source, std::uint64_t inputLimit = kRawInputLimit) {
  RawReader reader(source, inputLimit);
  Walk result{reader.readFileHeader(), {}, {}};
  while (result.status == RawStatus::ok) {
    RawDataSpan span;
    result.status = reader.nextData(span);
    if (span.length == 0) break;
    for (std::size_t i = 0; i < span.length; ++i) {
      result.bytes.emplace_back(static_cast<std::uint32_t>(span.address + i), span.data[i]);
    }
  }
  result.last = reader.record();
  return result;
}

Walk walkBytes(const Bytes& bytes, std::size_t step = SIZE_MAX,
               std::uint64_t inputLimit = kRawInputLimit) {
  TrickleSource source(bytes, step);
  return walk(source, inputLimit);
}

Bytes header() { return Bytes(14, 0x11); }

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes data(std::uint32_t address, const Bytes& bytes) { return test::rawDataRecordBytes(address, bytes); }

TEST(RawReader, CraftedFiles) {
  const Bytes type2 = {2, 0xDE, 0xAD, 0xBE, 0xEF, 0x42};
  const Bytes type3 = {3, 0, 0, 0, 0};
  struct Case {
    const char* name;
    Bytes file;
    AddressedBytes expected;
  } cases[] = {
      {"documented example",
       join({header(), {1, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 3, 0xAA, 0xBB, 0xCC}, type3}),
       {{0x8000, 0xAA}, {0x8001, 0xBB}, {0x8002, 0xCC}}},
      {"trailing type 2 and 3", join({header(), data(0x10, {1, 2}), data(0x20, {3}), type2, type3}),
       {{0x10, 1}, {0x11, 2}, {0x20, 3}}},
      {"zero-count record", join({header(), data(0x10, {1}), data(0x99, {}), data(0x30, {2})}),
       {{0x10, 1}, {0x30, 2}}},
      {"type 2 between data records", join({header(), data(0x10, {1}), type2, data(0x30, {2, 3})}),
       {{0x10, 1}}},
      {"unknown type drains the rest", join({header(), data(0x10, {1}), {0x7E}, data(0x30, {2})}),
       {{0x10, 1}}},
      {"type 0 is not a data record", join({header(), {0}, data(0x30, {2})}), {}},
      {"garbage after type 3", join({header(), data(0x10, {1}), type3, {1, 2}}), {{0x10, 1}}},
      {"header only", header(), {}},
      {"address wraps", join({header(), data(0xFFFFFFFE, {1, 2, 3})}),
       {{0xFFFFFFFE, 1}, {0xFFFFFFFF, 2}, {0, 3}}},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {std::size_t{1}, std::size_t{5}, SIZE_MAX}) {
      const Walk result = walkBytes(c.file, step);
      EXPECT_EQ(result.status, RawStatus::ok) << c.name;
      EXPECT_EQ(result.bytes, c.expected) << c.name << ", step " << step;
    }
  }
}

TEST(RawReader, RecordFieldsAreKept) {
  const Bytes file = join({header(), {1, 0x5C, 0x12, 0x34, 0, 0, 0x80, 0, 0, 0, 0, 1, 0xAA},
                           {2, 1, 2, 3, 4, 5}});
  TrickleSource source(file, SIZE_MAX);
  RawReader reader(source);
  ASSERT_EQ(reader.readFileHeader(), RawStatus::ok);
  EXPECT_EQ(reader.fileHeader().field0, 0x11111111u);
  EXPECT_EQ(reader.fileHeader().field3, 0x1111);
  RawDataSpan span;
  ASSERT_EQ(reader.nextData(span), RawStatus::ok);
  EXPECT_EQ(reader.record().kind, 0x5C);
  EXPECT_EQ(reader.record().word, 0x1234);
  EXPECT_EQ(reader.record().startAddress, 0x8000u);
  EXPECT_EQ(reader.record().byteCount, 1u);
  ASSERT_EQ(reader.nextData(span), RawStatus::ok);
  EXPECT_EQ(span.length, 0u);
  EXPECT_EQ(reader.record().type, 2);
  EXPECT_EQ(reader.record().value32, 0x01020304u);
  EXPECT_EQ(reader.record().value8, 5);
  ASSERT_EQ(reader.nextData(span), RawStatus::ok);  // the end repeats
  EXPECT_EQ(span.length, 0u);
}

TEST(RawReader, EveryPrefixIsCleanOrTruncated) {
  // header 0..14, data 14..29, empty data 29..41, data 41..55, type 2 55..61.
  const Bytes file = join({header(), data(0x100, {1, 2, 3}), data(0x200, {}), data(0x300, {4, 5}),
                           {2, 9, 9, 9, 9, 9}, {0xEE, 0xEE}});
  const std::size_t cleanEnds[] = {14, 29, 41, 55};
  for (std::size_t length = 0; length <= file.size(); ++length) {
    const Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    const bool clean = length >= 61 || std::count(std::begin(cleanEnds), std::end(cleanEnds), length);
    EXPECT_EQ(walkBytes(prefix, 3).status, clean ? RawStatus::ok : RawStatus::truncated)
        << "prefix of " << length << " bytes";
  }
}

TEST(RawReader, ChunkingDoesNotChangeTheWalk) {
  test::RawGeneratorOptions options;
  options.seed = 11;
  options.dataBytes = 3 * RawReader::kChunkSize;  // crosses several chunk boundaries
  const Bytes file = test::rawFileBytes(test::generateRawFile(options));
  const Walk whole = walkBytes(file);
  ASSERT_EQ(whole.status, RawStatus::ok);
  EXPECT_GT(whole.bytes.size(), 2 * RawReader::kChunkSize);
  for (std::size_t step : {std::size_t{1}, std::size_t{7}, std::size_t{4093}}) {
    EXPECT_EQ(walkBytes(file, step).bytes, whole.bytes) << "step " << step;
  }
}

TEST(RawReader, ReadFailureIsNotAnEnd) {
  const Bytes file = join({header(), data(0x100, {1, 2, 3}), {3, 0, 0, 0, 0}});
  for (std::size_t failAt : {0, 10, 14, 20, 29}) {
    TrickleSource source(file, 4, failAt);
    EXPECT_EQ(walk(source).status, RawStatus::readFailed) << failAt;
  }
}

// A producer that never stops: a file header, then the same record forever.
class EndlessSource final : public ByteSource {
 public:
  explicit EndlessSource(Bytes record) : record_(std::move(record)) {}
  std::size_t read(std::uint8_t* out, std::size_t capacity) override {
    for (std::size_t i = 0; i < capacity; ++i, ++served_) {
      out[i] = served_ < 14 ? 0x11 : record_[(served_ - 14) % record_.size()];
    }
    return capacity;
  }
  bool failed() const override { return false; }
  std::uint64_t served() const { return served_; }

 private:
  Bytes record_;
  std::uint64_t served_ = 0;
};

TEST(RawReader, InputLimitIsTwoHundredFiftySixMebibytes) {
  EXPECT_EQ(kRawInputLimit, 512u * 524288u);
}

// The walk may read exactly the limit; needing one byte more is tooLong,
// whatever the chunking. Bytes behind the end of the walk do not count.
TEST(RawReader, InputLimit) {
  const Bytes file = join({header(), data(0x100, Bytes(300, 0xA5)), data(0x400, {1, 2, 3})});
  const Bytes stopped = join({file, {3, 0, 0, 0, 0}, Bytes(5000, 0xEE)});
  const std::uint64_t size = file.size();
  struct Case {
    const char* name;
    const Bytes& bytes;
    std::uint64_t limit;
    RawStatus status;
  } cases[] = {
      {"file of exactly the limit", file, size, RawStatus::ok},
      {"limit above the file", file, size + 1, RawStatus::ok},
      {"one byte over", file, size - 1, RawStatus::tooLong},
      {"over inside the data", file, 100, RawStatus::tooLong},
      {"over inside the file header", file, 5, RawStatus::tooLong},
      {"ignored tail after a type 3 record", stopped, size + 5, RawStatus::ok},
      {"type 3 record one byte over", stopped, size + 4, RawStatus::tooLong},
  };
  for (const Case& c : cases) {
    for (const std::size_t step : {std::size_t{1}, std::size_t{7}, SIZE_MAX}) {
      EXPECT_EQ(walkBytes(c.bytes, step, c.limit).status, c.status) << c.name << ", step " << step;
    }
  }
  const Walk whole = walkBytes(file, SIZE_MAX, size);
  EXPECT_EQ(whole.bytes, walkBytes(file).bytes);
}

// Endless streams of records end at the limit, having read one probe byte
// past it: data records, empty data records and 0xFF fill alike.
TEST(RawReader, EndlessStreamsStopAtTheLimit) {
  const Bytes records[] = {data(0x100, Bytes(1000, 0x5A)), data(0x100, {}),
                           data(0xE200, Bytes(64 * 1024, 0xFF))};
  for (const Bytes& record : records) {
    EndlessSource source(record);
    const std::uint64_t limit = 3 * RawReader::kChunkSize + 123;
    EXPECT_EQ(walk(source, limit).status, RawStatus::tooLong) << record.size();
    EXPECT_EQ(source.served(), limit + 1);
  }
}

}  // namespace
}  // namespace otawrap
