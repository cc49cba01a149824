#include "image/raw_reader.h"

namespace otawrap {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

std::uint16_t be16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

}  // namespace

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
  header_ = {be32(bytes), be32(bytes + 4), be32(bytes + 8), be16(bytes + 12)};
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
      record_.word = be16(fields + 1);
      record_.startAddress = be32(fields + 3);
      record_.byteCount = be32(fields + 7);
      record_.address = record_.startAddress;
      record_.remaining = record_.byteCount;
      return RawStatus::ok;
    case 2:
      if (!readBytes(fields, 5)) {
        return failure();
      }
      record_.value32 = be32(fields);
      record_.value8 = fields[4];
      break;
    case 3:
      if (!readBytes(fields, 4)) {
        return failure();
      }
      record_.value32 = be32(fields);
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
