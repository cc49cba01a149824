// The zlib stream (RFC 1950) around DEFLATE data (RFC 1951): inflated into a
// 32 KiB window and discarded, its Adler-32 computed on the way and compared
// with the stored one. Inflation stops at kPayloadInflateLimit bytes of
// output (inflateLimit) or when the budget is spent (workBudget): every
// block, symbol and output byte is paid for before it is done.
#include <array>
#include <vector>

#include "codec/bytes.h"
#include "payload/checksums.h"
#include "payload/payload_internal.h"

namespace otawrap::payload_detail {

namespace {

constexpr unsigned kDeflateMethod = 8;     // CM
constexpr unsigned kLargestWindowInfo = 7;  // CINFO: window 2^(CINFO + 8) bytes
constexpr unsigned kHeaderCheckModulus = 31;
constexpr unsigned kPresetDictionaryFlag = 0x20;
constexpr std::size_t kWindowSize = 32768;
constexpr unsigned kMaxCodeLength = 15;
constexpr unsigned kLiteralCodes = 288;
constexpr unsigned kDistanceCodes = 32;
constexpr unsigned kEndOfBlock = 256;
// Codes of at most this many bits are decoded by one table look-up.
constexpr unsigned kFastBits = 9;
constexpr std::size_t kFastSize = std::size_t{1} << kFastBits;

// Budget units (about 1 ns each here, bench/bench_payload.cpp): every block
// head, every decoded symbol, each dynamic block's code tables, each byte out.
constexpr std::uint64_t kBlockCost = 16;
constexpr std::uint64_t kSymbolCost = 4;
constexpr std::uint64_t kCodeTablesCost = 3072;
constexpr std::uint64_t kOutputByteCost = 2;

// RFC 1951 3.2.5: base lengths and extra bits of codes 257..285, base
// distances and extra bits of distance codes 0..29.
constexpr std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                           31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                           2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                             33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                             1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                             6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// RFC 1951 3.2.7: the order code-length code lengths are sent in.
constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};

// A canonical Huffman code: how many codes of each length, the symbols
// ordered by code, and for every kFastBits-bit input (first bit lowest) whose
// code is at most that long: symbol << 4 | code length (0 for a longer code).
struct Huffman {
  std::array<std::uint16_t, kMaxCodeLength + 1> count{};
  std::array<std::uint16_t, kLiteralCodes> symbol{};
  std::array<std::uint16_t, kFastSize> fast{};
};

unsigned reversedBits(unsigned code, unsigned length) {
  unsigned reversed = 0;
  for (unsigned i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
  return reversed;
}

void buildFastTable(Huffman& code) {
  code.fast.fill(0);
  unsigned next = 0;  // the canonical code of the next symbol
  unsigned index = 0;
  for (unsigned len = 1; len <= kFastBits; ++len) {
    for (unsigned k = 0; k < code.count[len]; ++k, ++next, ++index) {
      const auto entry = static_cast<std::uint16_t>(code.symbol[index] << 4 | len);
      for (unsigned at = reversedBits(next, len); at < kFastSize; at += 1u << len) {
        code.fast[at] = entry;
      }
    }
    next <<= 1;
  }
}

// False when the lengths over-subscribe the code space.
bool buildHuffman(Huffman& code, const std::uint8_t* lengths, unsigned symbols) {
  code.count.fill(0);
  for (unsigned s = 0; s < symbols; ++s) ++code.count[lengths[s]];
  code.count[0] = 0;
  int left = 1;
  for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
    left = left * 2 - code.count[len];
    if (left < 0) return false;
  }
  // Where the codes of each length start among the ordered symbols.
  std::uint16_t next[kMaxCodeLength + 1] = {};
  std::uint16_t offset = 0;
  for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
    next[len] = offset;
    offset = static_cast<std::uint16_t>(offset + code.count[len]);
  }
  for (unsigned s = 0; s < symbols; ++s) {
    if (lengths[s] != 0) code.symbol[next[lengths[s]]++] = static_cast<std::uint16_t>(s);
  }
  buildFastTable(code);
  return true;
}

// The fixed codes of RFC 1951 3.2.6.
void buildFixedCodes(Huffman& literals, Huffman& distances) {
  std::uint8_t lengths[kLiteralCodes + kDistanceCodes];
  for (unsigned s = 0; s < kLiteralCodes; ++s) {
    lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
  }
  for (unsigned s = 0; s < kDistanceCodes; ++s) lengths[kLiteralCodes + s] = 5;
  buildHuffman(literals, lengths, kLiteralCodes);
  buildHuffman(distances, lengths + kLiteralCodes, kDistanceCodes);
}

class Inflater {
 public:
  Inflater(const std::uint8_t* input, std::size_t size, std::size_t start, PayloadBudget& budget)
      : input_(input), size_(size), pos_(start), budget_(budget), window_(kWindowSize) {}

  PayloadCheck run(std::size_t& end, std::uint32_t& adler);
  // How far the stream has been read.
  std::size_t position() const { return pos_; }

 private:
  // Bits come least significant first; a read past the end sets overrun_.
  unsigned bits(unsigned n) {
    while (bitCount_ < n) {
      if (pos_ == size_) {
        overrun_ = true;
        return 0;
      }
      bitBuffer_ |= std::uint32_t{input_[pos_++]} << bitCount_;
      bitCount_ += 8;
    }
    const unsigned value = bitBuffer_ & ((1u << n) - 1);
    bitBuffer_ >>= n;
    bitCount_ -= n;
    return value;
  }
  // The next symbol, or -1 for a code the table lacks or a cut stream.
  int decode(const Huffman& code) {
    while (bitCount_ < kFastBits && pos_ < size_) {
      bitBuffer_ |= std::uint32_t{input_[pos_++]} << bitCount_;
      bitCount_ += 8;
    }
    const unsigned entry = code.fast[bitBuffer_ & (kFastSize - 1)];
    const unsigned length = entry & 0x0F;
    if (entry != 0 && length <= bitCount_) {
      bitBuffer_ >>= length;
      bitCount_ -= length;
      return static_cast<int>(entry >> 4);
    }
    return decodeSlowly(code);
  }
  // Bit by bit along the canonical code: codes longer than kFastBits.
  int decodeSlowly(const Huffman& code) {
    int value = 0;
    int first = 0;
    int index = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
      value |= static_cast<int>(bits(1));
      if (overrun_) return -1;
      const int count = code.count[len];
      if (value - first < count) return code.symbol[index + value - first];
      index += count;
      first = (first + count) << 1;
      value <<= 1;
    }
    return -1;
  }
  void emit(std::uint8_t byte) {
    window_[produced_ % kWindowSize] = byte;
    ++produced_;
    s1_ += byte;
    s2_ += s1_;
    if (++sinceReduce_ == 5552) reduce();
  }
  // Back to a byte boundary: the partial byte's bits are dropped, whole bytes
  // read ahead by decode are given back.
  void dropPartialByte() {
    pos_ -= bitCount_ / 8;
    bitBuffer_ = 0;
    bitCount_ = 0;
  }
  void reduce() {
    s1_ %= 65521;
    s2_ %= 65521;
    sinceReduce_ = 0;
  }
  PayloadCheck stored();
  PayloadCheck dynamicCodes(Huffman& literals, Huffman& distances);
  PayloadCheck codes(const Huffman& literals, const Huffman& distances);

  const std::uint8_t* input_;
  std::size_t size_;
  std::size_t pos_;
  PayloadBudget& budget_;
  Huffman fixedLiterals_;
  Huffman fixedDistances_;
  bool fixedBuilt_ = false;
  std::uint32_t bitBuffer_ = 0;
  unsigned bitCount_ = 0;
  bool overrun_ = false;
  std::vector<std::uint8_t> window_;
  std::uint64_t produced_ = 0;
  std::uint32_t s1_ = 1;
  std::uint32_t s2_ = 0;
  unsigned sinceReduce_ = 0;
};

PayloadCheck Inflater::stored() {
  dropPartialByte();
  if (size_ - pos_ < 4) return fail(PayloadReason::truncated);
  const std::uint16_t length = loadLittle16(input_ + pos_);
  if (static_cast<std::uint16_t>(~loadLittle16(input_ + pos_ + 2)) != length) {
    return fail(PayloadReason::streamCorrupt);
  }
  pos_ += 4;
  if (size_ - pos_ < length) return fail(PayloadReason::truncated);
  if (produced_ + length > kPayloadInflateLimit) return notCheckable(PayloadReason::inflateLimit);
  if (!budget_.spend(kOutputByteCost * length)) return kOverBudget;
  for (std::size_t i = 0; i < length; ++i) emit(input_[pos_ + i]);
  pos_ += length;
  return ok(pos_);
}

PayloadCheck Inflater::dynamicCodes(Huffman& literals, Huffman& distances) {
  if (!budget_.spend(kCodeTablesCost)) return kOverBudget;
  const unsigned literalCount = bits(5) + 257;
  const unsigned distanceCount = bits(5) + 1;
  const unsigned lengthCodes = bits(4) + 4;
  if (literalCount > 286 || distanceCount > 30) return fail(PayloadReason::streamCorrupt);
  std::uint8_t lengths[kLiteralCodes + kDistanceCodes] = {};
  for (unsigned i = 0; i < lengthCodes; ++i) lengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(bits(3));
  Huffman lengthCode;
  if (overrun_) return fail(PayloadReason::truncated);
  if (!buildHuffman(lengthCode, lengths, 19)) return fail(PayloadReason::streamCorrupt);
  std::uint8_t all[kLiteralCodes + kDistanceCodes] = {};
  unsigned filled = 0;
  while (filled < literalCount + distanceCount) {
    const int symbol = decode(lengthCode);
    if (symbol < 0) return fail(overrun_ ? PayloadReason::truncated : PayloadReason::streamCorrupt);
    if (symbol < 16) {
      all[filled++] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    std::uint8_t value = 0;
    unsigned repeat = 0;
    if (symbol == 16) {
      if (filled == 0) return fail(PayloadReason::streamCorrupt);
      value = all[filled - 1];
      repeat = 3 + bits(2);
    } else {
      repeat = symbol == 17 ? 3 + bits(3) : 11 + bits(7);
    }
    if (filled + repeat > literalCount + distanceCount) return fail(PayloadReason::streamCorrupt);
    while (repeat-- > 0) all[filled++] = value;
  }
  if (overrun_) return fail(PayloadReason::truncated);
  if (all[kEndOfBlock] == 0 || !buildHuffman(literals, all, literalCount) ||
      !buildHuffman(distances, all + literalCount, distanceCount)) {
    return fail(PayloadReason::streamCorrupt);
  }
  return ok(pos_);
}

PayloadCheck Inflater::codes(const Huffman& literals, const Huffman& distances) {
  for (;;) {
    if (!budget_.spend(kSymbolCost)) return kOverBudget;
    const int symbol = decode(literals);
    if (symbol < 0) return fail(overrun_ ? PayloadReason::truncated : PayloadReason::streamCorrupt);
    if (symbol < 256) {
      if (produced_ == kPayloadInflateLimit) return notCheckable(PayloadReason::inflateLimit);
      if (!budget_.spend(kOutputByteCost)) return kOverBudget;
      emit(static_cast<std::uint8_t>(symbol));
      continue;
    }
    if (symbol == static_cast<int>(kEndOfBlock)) return ok(pos_);
    const unsigned lengthIndex = static_cast<unsigned>(symbol) - 257;
    if (lengthIndex >= 29) return fail(PayloadReason::streamCorrupt);
    const unsigned length = kLengthBase[lengthIndex] + bits(kLengthExtra[lengthIndex]);
    const int distanceSymbol = decode(distances);
    if (distanceSymbol < 0 || distanceSymbol >= 30) {
      return fail(overrun_ ? PayloadReason::truncated : PayloadReason::streamCorrupt);
    }
    const unsigned distance = kDistanceBase[distanceSymbol] + bits(kDistanceExtra[distanceSymbol]);
    if (overrun_) return fail(PayloadReason::truncated);
    if (distance > produced_) return fail(PayloadReason::streamCorrupt);
    if (produced_ + length > kPayloadInflateLimit) return notCheckable(PayloadReason::inflateLimit);
    if (!budget_.spend(kSymbolCost + kOutputByteCost * length)) return kOverBudget;
    for (unsigned i = 0; i < length; ++i) emit(window_[(produced_ - distance) % kWindowSize]);
  }
}

PayloadCheck Inflater::run(std::size_t& end, std::uint32_t& adler) {
  bool last = false;
  while (!last) {
    if (!budget_.spend(kBlockCost)) return kOverBudget;
    last = bits(1) == 1;
    const unsigned type = bits(2);
    if (overrun_) return fail(PayloadReason::truncated);
    PayloadCheck block = fail(PayloadReason::streamCorrupt);  // type 3 is reserved
    if (type == 0) {
      block = stored();
    } else if (type == 1) {
      if (!fixedBuilt_) {
        if (!budget_.spend(kCodeTablesCost)) return kOverBudget;
        buildFixedCodes(fixedLiterals_, fixedDistances_);
        fixedBuilt_ = true;
      }
      block = codes(fixedLiterals_, fixedDistances_);
    } else if (type == 2) {
      Huffman literals;
      Huffman distances;
      block = dynamicCodes(literals, distances);
      if (block.verdict == PayloadVerdict::ok) block = codes(literals, distances);
    }
    if (block.verdict != PayloadVerdict::ok) return block;
  }
  reduce();
  dropPartialByte();
  end = pos_;
  adler = (s2_ << 16) | s1_;
  return ok(end);
}

}  // namespace

bool isZlibStream(const std::uint8_t* payload, std::size_t size) {
  return size >= 8 && (payload[0] & 0x0F) == kDeflateMethod &&
         (payload[0] >> 4) <= kLargestWindowInfo &&
         (payload[0] * 256u + payload[1]) % kHeaderCheckModulus == 0;
}

PayloadCheck checkZlibStream(const std::uint8_t* payload, std::size_t size, PayloadBudget& budget) {
  if (size < 2) return fail(PayloadReason::truncated);
  if (!isZlibStream(payload, size)) return fail(PayloadReason::malformed);
  if ((payload[1] & kPresetDictionaryFlag) != 0) {
    return notCheckable(PayloadReason::presetDictionary);
  }
  Inflater inflater(payload, size, 2, budget);
  std::size_t end = 0;
  std::uint32_t adler = 0;
  PayloadCheck stream = inflater.run(end, adler);
  if (stream.verdict != PayloadVerdict::ok) {
    stream.end = inflater.position();  // where the coding rules broke, for the verdict policy
    return stream;
  }
  if (size - end < 4) return fail(PayloadReason::truncated);
  if (loadBig32(payload + end) != adler) return fail(PayloadReason::checksumMismatch);
  return ok(end + 4);
}

}  // namespace otawrap::payload_detail
