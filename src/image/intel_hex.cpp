#include "image/intel_hex.h"

#include <algorithm>

#include "codec/bytes.h"
#include "codec/hex.h"
#include "image/raw_reader.h"

namespace otawrap {

namespace {

constexpr std::size_t kTextChunkSize = 4096;
constexpr std::size_t kRawDataRecordHeadSize = 12;  // type, kind, word, address, count
constexpr std::size_t kRecordFixedBytes = 5;        // count, offset, type, checksum
constexpr std::uint8_t kTypeData = 0x00;
constexpr std::uint8_t kTypeEndOfFile = 0x01;
constexpr std::uint8_t kTypeSegmentAddress = 0x02;
constexpr std::uint8_t kTypeStartSegment = 0x03;
constexpr std::uint8_t kTypeLinearAddress = 0x04;
constexpr std::uint8_t kTypeStartLinear = 0x05;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

IntelHexSource::IntelHexSource(ByteSource& text, std::uint64_t textLimit)
    : text_(text), chunk_(kTextChunkSize), textLimit_(textLimit) {
  line_.reserve(kIntelHexMaxLine);
  record_.reserve(kIntelHexMaxLine / 2);
  pending_.reserve(kRawFileHeaderSize + 2 * kRawDataRecordHeadSize + 255);
  pending_.assign(kRawFileHeaderSize, 0);
}

bool IntelHexSource::nextChar(char& c) {
  if (chunkBegin_ == chunkEnd_) {
    if (textEnded_) {
      return false;
    }
    chunkBegin_ = 0;
    chunkEnd_ = text_.read(chunk_.data(), chunk_.size());
    textRead_ += chunkEnd_;
    if (textRead_ > textLimit_) {
      overLimit_ = true;
      chunkEnd_ = 0;
    }
    if (chunkEnd_ == 0) {
      textEnded_ = true;
      return false;
    }
  }
  c = static_cast<char>(chunk_[chunkBegin_++]);
  return true;
}

bool IntelHexSource::nextLine() {
  line_.clear();
  lineTooLong_ = false;
  char c = 0;
  if (!nextChar(c)) {
    return false;
  }
  if (afterCarriageReturn_ && c == '\n' && !nextChar(c)) {
    return false;  // the LF of a CR LF that ended the text
  }
  afterCarriageReturn_ = false;
  ++lineNumber_;
  do {
    if (c == '\n' || c == '\r') {
      afterCarriageReturn_ = c == '\r';
      break;
    }
    if (line_.size() == kIntelHexMaxLine) {
      lineTooLong_ = true;  // the rest of the line is never read
      return true;
    }
    line_.push_back(c);
  } while (nextChar(c));
  if (lineNumber_ == 1 && line_.size() >= 3 && std::equal(line_.begin(), line_.begin() + 3, kByteOrderMark)) {
    line_.erase(line_.begin(), line_.begin() + 3);
  }
  std::size_t begin = 0;
  while (begin < line_.size() && isBlank(line_[begin])) ++begin;
  std::size_t end = line_.size();
  while (end > begin && isBlank(line_[end - 1])) --end;
  line_.erase(line_.begin() + static_cast<std::ptrdiff_t>(end), line_.end());
  line_.erase(line_.begin(), line_.begin() + static_cast<std::ptrdiff_t>(begin));
  return true;
}

void IntelHexSource::appendRawRecord(std::uint32_t address, const std::uint8_t* data,
                                     std::size_t length) {
  std::uint8_t head[kRawDataRecordHeadSize] = {kRawRecordData, 0, 0, 0};
  storeBig32(address, head + 4);
  storeBig32(static_cast<std::uint32_t>(length), head + 8);
  pending_.insert(pending_.end(), head, head + kRawDataRecordHeadSize);
  pending_.insert(pending_.end(), data, data + length);
}

// Decodes and checks line_ (non-blank), then acts on the record.
void IntelHexSource::handleRecord() {
  if (lineTooLong_) {
    return fail(IntelHexError::lineTooLong);
  }
  if (line_[0] != ':') {
    return fail(IntelHexError::missingStartCode);
  }
  const std::size_t digits = line_.size() - 1;
  for (std::size_t i = 1; i < line_.size(); ++i) {
    if (hexDigit(line_[i]) < 0) {
      return fail(IntelHexError::badHexDigit);
    }
  }
  if (digits % 2 != 0 || digits / 2 < kRecordFixedBytes) {
    return fail(IntelHexError::badRecordLength);
  }
  record_.clear();
  std::uint8_t sum = 0;
  for (std::size_t i = 1; i < line_.size(); i += 2) {
    const auto byte = static_cast<std::uint8_t>(hexDigit(line_[i]) * 16 + hexDigit(line_[i + 1]));
    record_.push_back(byte);
    sum = static_cast<std::uint8_t>(sum + byte);
  }
  const std::size_t count = record_[0];
  if (count != record_.size() - kRecordFixedBytes) {
    return fail(IntelHexError::badRecordLength);
  }
  if (sum != 0) {
    return fail(IntelHexError::checksumMismatch);
  }
  const std::uint16_t offset = loadBig16(record_.data() + 1);
  const std::uint8_t type = record_[3];
  const std::uint8_t* data = record_.data() + 4;
  switch (type) {
    case kTypeData:
      if (!segmented_) {
        appendRawRecord(base_ + offset, data, count);
      } else {
        // The offset wraps within the segment: a record crossing its end
        // continues at the segment's start.
        const std::size_t first = count < 0x10000u - offset ? count : 0x10000u - offset;
        appendRawRecord(base_ + offset, data, first);
        // cppcheck-suppress knownConditionTrueFalse ; true when the record crosses the segment end
        if (first < count) {
          appendRawRecord(base_, data + first, count - first);
        }
      }
      return;
    case kTypeEndOfFile:
      if (count != 0) {
        return fail(IntelHexError::badRecordLength);
      }
      done_ = true;
      return;
    case kTypeSegmentAddress:
    case kTypeLinearAddress:
      if (count != 2) {
        return fail(IntelHexError::badRecordLength);
      }
      segmented_ = type == kTypeSegmentAddress;
      base_ = std::uint32_t{loadBig16(data)} << (segmented_ ? 4 : 16);
      return;
    case kTypeStartSegment:
    case kTypeStartLinear:
      if (count != 4) {
        return fail(IntelHexError::badRecordLength);
      }
      return;
    default:
      return fail(IntelHexError::unknownRecordType);
  }
}

IntelHexError IntelHexSource::endError(IntelHexError clean) const {
  if (overLimit_) return IntelHexError::textTooLong;
  return text_.failed() ? IntelHexError::readFailed : clean;
}

void IntelHexSource::produce() {
  pending_.clear();
  pendingBegin_ = 0;
  while (!done_ && !failed() && pending_.empty()) {
    if (!nextLine() || overLimit_) {
      fail(endError(IntelHexError::missingEndOfFile));
      return;
    }
    if (!line_.empty() || lineTooLong_) {
      handleRecord();
    }
  }
  if (done_ && pending_.empty()) {
    // Only blank lines may follow the end-of-file record.
    while (nextLine() && !overLimit_) {
      if (!line_.empty() || lineTooLong_) {
        return fail(IntelHexError::dataAfterEndOfFile);
      }
    }
    if (endError(IntelHexError::none) != IntelHexError::none) {
      fail(endError(IntelHexError::none));
    }
  }
}

std::size_t IntelHexSource::read(std::uint8_t* out, std::size_t capacity) {
  std::size_t produced = 0;
  while (produced < capacity) {
    if (pendingBegin_ == pending_.size()) {
      if (done_ || failed()) {
        break;
      }
      produce();
      continue;
    }
    const std::size_t left = pending_.size() - pendingBegin_;
    const std::size_t take = left < capacity - produced ? left : capacity - produced;
    for (std::size_t i = 0; i < take; ++i) {
      out[produced + i] = pending_[pendingBegin_ + i];
    }
    pendingBegin_ += take;
    produced += take;
  }
  return produced;
}

}  // namespace otawrap
