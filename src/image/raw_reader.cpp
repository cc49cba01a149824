#include "image/raw_reader.h"

#include "codec/bytes.h"

namespace otawrap {

RawReader::RawReader(ByteSource& source, std::uint64_t inputLimit)
    : source_(source), inputLimit_(inputLimit), chunk_(kChunkSize) {}

bool RawReader::fill() {
  if (begin_ < end_) {
    return true;
  }
  consumed_ += end_;
  begin_ = 0;
  end_ = 0;
  if (consumed_ >= inputLimit_) {
    // One probe byte tells an input longer than the limit from one that ends
    // there.
    std::uint8_t probe = 0;
    overLimit_ = overLimit_ || source_.read(&probe, 1) > 0;
    return false;
  }
  const std::uint64_t room = inputLimit_ - consumed_;
  const std::size_t capacity = room < chunk_.size() ? static_cast<std::size_t>(room) : chunk_.size();
  end_ = source_.read(chunk_.data(), capacity);
  return end_ > 0;
}

bool RawReader::readBytes(std::uint8_t* out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!fill()) {
      return false;
    }
    out[i] = chunk_[begin_++];
  }
  return true;
}

RawStatus RawReader::failure() const {
  if (overLimit_) {
    return RawStatus::tooLong;
  }
  return source_.failed() ? RawStatus::readFailed : RawStatus::truncated;
}

RawStatus RawReader::readFileHeader() {
  std::uint8_t bytes[kRawFileHeaderSize];
  if (!readBytes(bytes, kRawFileHeaderSize)) {
    return failure();
  }
  header_ = {loadBig32(bytes), loadBig32(bytes + 4), loadBig32(bytes + 8), loadBig16(bytes + 12)};
  return RawStatus::ok;
}

RawStatus RawReader::readRecordHead() {
  record_ = RawRecord{};
  if (!fill()) {
    if (overLimit_ || source_.failed()) {
      return failure();
    }
    ended_ = true;  // the input ends where a record would begin
    return RawStatus::ok;
  }
  record_.type = chunk_[begin_++];
  std::uint8_t fields[11];
  switch (record_.type) {
    case kRawRecordData:
      if (!readBytes(fields, 11)) {
        return failure();
      }
      record_.kind = fields[0];
      record_.word = loadBig16(fields + 1);
      record_.startAddress = loadBig32(fields + 3);
      record_.byteCount = loadBig32(fields + 7);
      record_.address = record_.startAddress;
      record_.remaining = record_.byteCount;
      return RawStatus::ok;
    case 2:
      if (!readBytes(fields, 5)) {
        return failure();
      }
      record_.value32 = loadBig32(fields);
      record_.value8 = fields[4];
      break;
    case 3:
      if (!readBytes(fields, 4)) {
        return failure();
      }
      record_.value32 = loadBig32(fields);
      break;
    default:
      break;
  }
  ended_ = true;  // everything behind the first non-data record is ignored
  return RawStatus::ok;
}

RawStatus RawReader::nextData(RawDataSpan& span) {
  span = {nullptr, 0, 0};
  while (!ended_) {
    if (record_.type != kRawRecordData || record_.remaining == 0) {
      const RawStatus status = readRecordHead();
      if (status != RawStatus::ok) {
        return status;
      }
      continue;
    }
    if (!fill()) {
      return failure();
    }
    const std::size_t available = end_ - begin_;
    const std::size_t length = record_.remaining < available ? record_.remaining : available;
    span = {chunk_.data() + begin_, length, record_.address};
    begin_ += length;
    record_.remaining -= static_cast<std::uint32_t>(length);
    record_.address += static_cast<std::uint32_t>(length);
    return RawStatus::ok;
  }
  return RawStatus::ok;
}

}  // namespace otawrap
