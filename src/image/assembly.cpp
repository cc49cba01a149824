#include "image/assembly.h"

#include <cstring>

#include "codec/bytes.h"
#include "image/crc.h"

namespace otawrap {

namespace {

// Packs kept bytes at buffer[position...]. Bytes that fall at or beyond limit
// are held back in a ring of the last kImageCutSize of them: the cut may still
// remove them. A held-back byte that is pushed out of the ring is certain to
// stay in the image, so unless it is a 0xFF that the trim may remove later,
// the image cannot end at or before limit.
class ImagePacker {
 public:
  ImagePacker(std::uint8_t* buffer, std::size_t position, std::size_t limit)
      : buffer_(buffer), position_(position), limit_(limit) {}

  bool append(const std::uint8_t* data, std::size_t length) {
    if (position_ < limit_) {
      const std::uint64_t room = limit_ - position_;
      const std::size_t count = length < room ? length : static_cast<std::size_t>(room);
      std::memcpy(buffer_ + position_, data, count);
      position_ += count;
      data += count;
      length -= count;
    }
    for (std::size_t i = 0; i < length; ++i) {
      const std::uint64_t beyond = position_ - limit_;
      std::uint8_t& slot = ring_[beyond % kImageCutSize];
      if (beyond >= kImageCutSize && slot != 0xFF) {
        return false;
      }
      slot = data[i];
      ++position_;
    }
    return true;
  }

  // Position behind the last packed byte; may lie beyond limit.
  std::uint64_t position() const { return position_; }

 private:
  std::uint8_t* buffer_;
  std::uint64_t position_;
  std::size_t limit_;
  std::uint8_t ring_[kImageCutSize] = {};
};

ImageStatus fromRawStatus(RawStatus status) {
  switch (status) {
    case RawStatus::readFailed:
      return ImageStatus::inputReadFailed;
    case RawStatus::tooLong:
      return ImageStatus::imageTooLarge;
    case RawStatus::ok:
    case RawStatus::truncated:
      break;
  }
  return ImageStatus::inputTruncated;
}

// Packs every kept data byte of the walk.
ImageStatus packImage(RawReader& reader, Platform platform, ImagePacker& packer) {
  RawStatus status = reader.readFileHeader();
  if (status != RawStatus::ok) {
    return fromRawStatus(status);
  }
  for (;;) {
    RawDataSpan span;
    status = reader.nextData(span);
    if (status != RawStatus::ok) {
      return fromRawStatus(status);
    }
    if (span.length == 0) {
      return ImageStatus::ok;
    }
    std::uint32_t address = span.address;
    std::size_t offset = 0;
    while (offset < span.length) {
      bool dropped = false;
      const std::size_t run = static_cast<std::size_t>(
          platformRunLength(platform, address, span.length - offset, dropped));
      if (!dropped && !packer.append(span.data + offset, run)) {
        return ImageStatus::imageTooLarge;
      }
      offset += run;
      address += static_cast<std::uint32_t>(run);  // wraps at 2^32 like the record's counter
    }
  }
}

}  // namespace

ImageStatus imageAppendUpgradeImage(RawReader& reader, Platform platform, ImageIdentifiers& ids,
                                    std::uint8_t* buffer, std::size_t start, std::size_t limit,
                                    std::size_t& end) {
  const std::size_t imageStart = start + kUpgradeImageHeadSize;
  ImagePacker packer(buffer, imageStart, limit);
  const ImageStatus packed = packImage(reader, platform, packer);
  if (packed != ImageStatus::ok) {
    return packed;
  }
  if (packer.position() - imageStart < kImageCutSize + kImagePreambleEnd) {
    return ImageStatus::imageTooSmall;
  }
  // Cut. Held-back bytes that survive the cut are all 0xFF (the packer checked),
  // so the trim removes them: continue from limit.
  std::uint64_t cut = packer.position() - kImageCutSize;
  std::size_t position = cut > limit ? limit : static_cast<std::size_t>(cut);
  while (position > imageStart && buffer[position - 1] == 0xFF) {
    --position;
  }
  const std::size_t padding = (4 - (position - start) % 4) % 4;
  const std::size_t imageEnd = position + padding;
  if (imageEnd - imageStart < kImagePreambleEnd) {
    return ImageStatus::imageTooSmall;
  }
  if (imageEnd > limit) {
    return ImageStatus::imageTooLarge;
  }
  std::memset(buffer + position, 0xFF, padding);

  std::uint8_t* image = buffer + imageStart;
  const std::uint32_t length = static_cast<std::uint32_t>(imageEnd - imageStart);
  storeLittle32(length, image + kImageLengthOffset);
  if (ids.manufacturerGiven) {
    storeLittle16(ids.manufacturerCode, image + kImageManufacturerOffset);
  } else {
    ids.manufacturerCode = loadLittle16(image + kImageManufacturerOffset);
  }
  if (ids.imageTypeGiven) {
    storeLittle16(ids.imageType, image + kImageTypeOffset);
  } else {
    ids.imageType = loadLittle16(image + kImageTypeOffset);
  }
  if (ids.fileVersionGiven) {
    storeLittle32(ids.fileVersion, image + kImageFileVersionOffset);
  } else {
    ids.fileVersion = loadLittle32(image + kImageFileVersionOffset);
  }
  imageCrcStore(image, length, platformCrcOffset(platform));
  storeLittle16(kUpgradeImageTag, buffer + start);
  storeLittle32(length, buffer + start + 2);
  end = imageEnd;
  return ImageStatus::ok;
}

}  // namespace otawrap
