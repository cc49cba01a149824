// The Intel HEX source. The first byte picks the run:
//   bit 0 clear: the rest is Intel HEX text, served 1, 7 or all bytes per read
//     (bits 1-2), under the 256 MiB text limit or, with bit 3, a 4 KiB one
//     that floods of blank lines or start-address records reach (they must
//     end with textTooLong). The source must not crash, must stop for good after a
//     failure, and what it serves before the end must be a well-formed raw
//     stream: the 14-byte header of zeros, then data records whose byte
//     counts match the bytes behind them. A failure names a line that exists.
//   bit 0 set: the rest describes data records (4-byte big-endian address,
//     1-byte length, the bytes), written both as a raw file and, with the
//     test kit's generator and the upper 7 bits as its seed, as Intel HEX
//     text. The source must read the text without failure and give the same
//     bytes at the same addresses in the same order as the raw file.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "image/byte_source.h"
#include "image/intel_hex.h"
#include "support/fuzz_check.h"
#include "support/raw_file_generator.h"

namespace {

using namespace otawrap;
using fuzz::fuzzCheck;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kRawHeader = 14;
constexpr std::size_t kRecordHead = 12;  // type, kind, word, address, count
constexpr std::uint64_t kSmallTextLimit = 4096;

// Serves at most step bytes per read (0: all that fit).
class SteppedSource final : public ByteSource {
 public:
  SteppedSource(const std::uint8_t* data, std::size_t size, std::size_t step)
      : data_(data), size_(size), step_(step) {}
  std::size_t read(std::uint8_t* out, std::size_t capacity) override {
    std::size_t count = size_ - offset_;
    if (count > capacity) count = capacity;
    if (step_ != 0 && count > step_) count = step_;
    if (count != 0) std::memcpy(out, data_ + offset_, count);
    offset_ += count;
    return count;
  }
  bool failed() const override { return false; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t step_;
  std::size_t offset_ = 0;
};

// Everything the source serves, read in odd-sized pieces.
Bytes drain(ByteSource& source) {
  Bytes out;
  std::uint8_t chunk[333];
  for (;;) {
    const std::size_t got = source.read(chunk, sizeof chunk);
    if (got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  return out;
}

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

// The (address, byte) pairs of a raw stream's data records, in order; checks
// the records are well formed when strict.
std::vector<std::pair<std::uint32_t, std::uint8_t>> flatten(const Bytes& raw, bool strict) {
  std::vector<std::pair<std::uint32_t, std::uint8_t>> out;
  std::size_t pos = kRawHeader;
  while (pos < raw.size() && raw[pos] == 1) {
    if (raw.size() - pos < kRecordHead) {
      fuzzCheck(!strict, "a complete record head");
      break;
    }
    const std::uint32_t address = be32(raw.data() + pos + 4);
    const std::uint32_t count = be32(raw.data() + pos + 8);
    pos += kRecordHead;
    if (raw.size() - pos < count) {
      fuzzCheck(!strict, "the record's bytes follow it");
      break;
    }
    for (std::uint32_t i = 0; i < count; ++i) out.push_back({address + i, raw[pos + i]});
    pos += count;
  }
  if (strict) fuzzCheck(pos == raw.size(), "nothing but data records");
  return out;
}

void checkArbitraryText(const std::uint8_t* text, std::size_t size, std::uint8_t control) {
  const std::size_t steps[] = {0, 1, 7, 0};
  SteppedSource source(text, size, steps[(control >> 1) & 3]);
  const std::uint64_t limit = (control & 8) != 0 ? kSmallTextLimit : kIntelHexTextLimit;
  IntelHexSource hex(source, limit);
  const Bytes raw = drain(hex);
  std::uint8_t more = 0;
  fuzzCheck(hex.read(&more, 1) == 0, "nothing after the end");
  if (hex.failed()) {
    std::uint64_t lines = 1;
    // A line ends at LF, CR or CR LF.
    for (std::size_t i = 0; i < size; ++i) {
      lines += text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'));
    }
    fuzzCheck(hex.failure().line <= lines, "the failure names a line of the text");
    if (hex.failure().error == IntelHexError::textTooLong) {
      fuzzCheck(size > limit, "only a text past the limit is too long");
    }
    return;
  }
  fuzzCheck(size <= limit, "a text past the limit never reads to its end");
  fuzzCheck(raw.size() >= kRawHeader, "the raw header");
  for (std::size_t i = 0; i < kRawHeader; ++i) fuzzCheck(raw[i] == 0, "a header of zeros");
  flatten(raw, true);
}

void checkGeneratedRecords(const std::uint8_t* data, std::size_t size, std::uint8_t control) {
  test::RawFileLayout layout;
  std::size_t pos = 0;
  while (size - pos >= 5) {
    test::RawDataRecord record;
    record.address = be32(data + pos);
    const std::size_t length = data[pos + 4];
    pos += 5;
    const std::size_t take = length < size - pos ? length : size - pos;
    record.data.assign(data + pos, data + pos + take);
    pos += take;
    layout.records.push_back(record);
  }
  const Bytes raw = test::rawFileBytes(layout);
  const std::string text = test::intelHexText(layout, control >> 1);
  MemorySource source(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  IntelHexSource hex(source);
  const Bytes served = drain(hex);
  fuzzCheck(!hex.failed(), "generated Intel HEX reads without failure");
  fuzzCheck(flatten(served, true) == flatten(raw, false), "the raw file's bytes and addresses");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if ((data[0] & 1) == 0) {
    checkArbitraryText(data + 1, size - 1, data[0]);
  } else {
    checkGeneratedRecords(data + 1, size - 1, data[0]);
  }
  return 0;
}
