#include "support/raw_file_generator.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace otawrap::test {

namespace {

class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  // Uniform enough in [0, bound); bound > 0.
  std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(engine_() % bound); }
  bool oneIn(std::uint32_t n) { return below(n) == 0; }
  std::uint8_t byte() { return static_cast<std::uint8_t>(engine_()); }
  void fill(std::vector<std::uint8_t>& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out.push_back(byte());
  }

 private:
  std::mt19937 engine_;
};

void putBe32(std::uint32_t value, std::vector<std::uint8_t>& out) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void putLe(std::uint32_t value, int bytes, std::uint8_t* out) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Edges of the platforms' dropped ranges, and 0 for records that wrap.
constexpr std::uint32_t kEdges[] = {0x3100, 0x3200, 0xCA00, 0xE200, 0x10000, 0};

std::uint32_t randomAddress(Random& random) {
  if (random.oneIn(4)) return random.below(0x20000);
  const std::uint32_t edge = kEdges[random.below(sizeof kEdges / sizeof kEdges[0])];
  return edge + random.below(129) - 64;  // within 64 of the edge, wrapping below 0
}

std::vector<std::uint8_t> randomTrailer(Random& random) {
  std::vector<std::uint8_t> trailer;
  switch (random.below(5)) {
    case 0:
      break;
    case 1:
      trailer = {2};
      random.fill(trailer, 5);
      break;
    case 2:
      trailer = {3};
      random.fill(trailer, 4);
      break;
    case 3: {  // a type-2 record, then a data record that is never read
      trailer = {2};
      random.fill(trailer, 5);
      const auto hidden = rawDataRecordBytes(0x100, std::vector<std::uint8_t>(16, 0xAB));
      trailer.insert(trailer.end(), hidden.begin(), hidden.end());
      break;
    }
    default:  // an unknown record type followed by anything
      trailer = {static_cast<std::uint8_t>(4 + random.below(250))};
      random.fill(trailer, random.below(64));
      break;
  }
  return trailer;
}

}  // namespace

std::vector<std::uint8_t> rawDataRecordBytes(std::uint32_t address,
                                             const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out = {1, 0, 0, 0};
  putBe32(address, out);
  putBe32(static_cast<std::uint32_t>(data.size()), out);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

RawFileLayout generateRawFile(const RawGeneratorOptions& options) {
  Random random(options.seed);
  RawFileLayout layout;

  RawDataRecord first{0x0000, {}};
  random.fill(first.data, 0x100 + random.below(0x100));
  putLe(options.manufacturerCode, 2, &first.data[0x90]);
  putLe(options.imageType, 2, &first.data[0x92]);
  putLe(options.fileVersion, 4, &first.data[0x94]);
  first.data[0x98] = 0x00;
  std::size_t total = first.data.size();
  layout.records.push_back(std::move(first));

  const std::uint32_t maxLength = static_cast<std::uint32_t>(options.dataBytes / 8 + 64);
  while (total + 300 < options.dataBytes) {
    RawDataRecord record{randomAddress(random), {}};
    if (!random.oneIn(8)) {  // one record in eight is empty
      random.fill(record.data, 1 + random.below(maxLength));
      if (random.oneIn(4)) record.data.resize(record.data.size() + random.below(200), 0xFF);
    }
    total += record.data.size();
    layout.records.push_back(std::move(record));
  }

  RawDataRecord last{0x20000 + random.below(0x10000), {}};
  if (random.oneIn(3)) {  // a long 0xFF tail: the trim reaches back into earlier records
    random.fill(last.data, random.below(50));
    last.data.resize(last.data.size() + 100 + random.below(400), 0xFF);
  } else {
    random.fill(last.data, 100 + random.below(200));
  }
  layout.records.push_back(std::move(last));

  if (options.trailingRecords) layout.trailer = randomTrailer(random);
  return layout;
}

std::vector<std::uint8_t> rawFileBytes(const RawFileLayout& layout) {
  std::vector<std::uint8_t> out = {0x49, 0x41, 0x52, 0x00, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (const RawDataRecord& record : layout.records) {
    const auto bytes = rawDataRecordBytes(record.address, record.data);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  out.insert(out.end(), layout.trailer.begin(), layout.trailer.end());
  return out;
}

RawGeneratorOptions sampleRawFileOptions() {
  RawGeneratorOptions options;
  options.seed = 2024;
  options.dataBytes = 4096;
  options.manufacturerCode = 0x100B;
  options.imageType = 0x0042;
  options.fileVersion = 0x00010203;
  options.trailingRecords = false;
  return options;
}

std::string intelHexLine(std::uint8_t type, std::uint16_t offset,
                         const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(data.size()),
                                     static_cast<std::uint8_t>(offset >> 8),
                                     static_cast<std::uint8_t>(offset), type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  std::uint8_t sum = 0;
  for (std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
  bytes.push_back(static_cast<std::uint8_t>(0x100 - sum));
  static const char digits[] = "0123456789ABCDEF";
  std::string line = ":";
  for (std::uint8_t b : bytes) {
    line.push_back(digits[b >> 4]);
    line.push_back(digits[b & 15]);
  }
  return line;
}

std::string intelHexText(const RawFileLayout& layout, std::uint32_t seed) {
  Random random(seed);
  const bool lowerCase = random.oneIn(3);
  const char* lineEnd = random.oneIn(2) ? "\r\n" : "\n";
  std::string text;
  auto emit = [&](std::uint8_t type, std::uint16_t offset, const std::vector<std::uint8_t>& data) {
    std::string line = intelHexLine(type, offset, data);
    if (lowerCase) {
      for (char& c : line) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
    text += line + lineEnd;
    if (random.oneIn(40)) text += lineEnd;  // a blank line
  };
  auto base16 = [](std::uint32_t value) {
    return std::vector<std::uint8_t>{static_cast<std::uint8_t>(value >> 8),
                                     static_cast<std::uint8_t>(value)};
  };
  if (random.oneIn(2)) text += lineEnd;  // leading blank line
  bool segmented = false;
  std::uint32_t base = 0;  // linear: upper 16 bits; segmented: segment * 16
  for (const RawDataRecord& record : layout.records) {
    std::size_t done = 0;
    do {
      const std::uint32_t address = record.address + static_cast<std::uint32_t>(done);
      std::size_t length = random.oneIn(2) ? 16 + 16 * random.below(2) : random.below(256);
      if (length > record.data.size() - done) length = record.data.size() - done;
      const bool useSegment = address < 0xF0000 && random.oneIn(3);
      std::uint32_t offset = 0;
      if (useSegment) {
        // Any segment that reaches the address; the record stops at its end.
        if (!segmented || address < base || address - base > 0xFFFF) {
          const std::uint32_t paragraph = address >> 4;
          const std::uint32_t segment =
              paragraph - random.below(std::min<std::uint32_t>(paragraph, 0x0FFF) + 1);
          segmented = true;
          base = segment << 4;
          emit(2, 0, base16(segment));
        }
        offset = address - base;
        if (length > 0x10000 - offset) length = 0x10000 - offset;
      } else {
        // Linear records may run across a 64 KiB boundary (and past 2^32).
        if (segmented || (address & 0xFFFF0000) != base) {
          segmented = false;
          base = address & 0xFFFF0000;
          emit(4, 0, base16(base >> 16));
        }
        offset = address & 0xFFFF;
      }
      const auto from = record.data.begin() + static_cast<std::ptrdiff_t>(done);
      emit(0, static_cast<std::uint16_t>(offset),
           std::vector<std::uint8_t>(from, from + static_cast<std::ptrdiff_t>(length)));
      done += length;
      if (random.oneIn(50)) emit(random.oneIn(2) ? 3 : 5, 0, {1, 2, 3, 4});
    } while (done < record.data.size());
  }
  emit(1, 0, {});
  if (random.oneIn(2)) text.resize(text.size() - std::string(lineEnd).size());  // no final line end
  return text;
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

std::vector<std::uint8_t> readFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace otawrap::test
