// The raw reader and image assembly on arbitrary input files. The first byte
// picks the run, the rest is the raw file:
//   bits 0-1  platform (3 counts as 0)
//   bits 2-4  manufacturer code, image type, file version given
//   bit  5    a tight buffer limit, so the too-large paths run
//   bits 6-7  how the source serves bytes: all at once, 1 or 3 at a time, or
//             failing (read error) halfway through the file
// The result is compared with a direct in-memory model of the walk: status,
// image bytes, identifiers, and that nothing is written at or beyond the limit.
// The reader's input limit set to the input size, and one byte below it, must
// give the same result (or, below, image too large).
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codec/bytes.h"
#include "image/assembly.h"
#include "image/byte_source.h"
#include "image/platform.h"
#include "image/raw_reader.h"
#include "support/fuzz_check.h"

namespace {

using namespace otawrap;
using fuzz::fuzzCheck;

constexpr std::size_t kStart = 56;  // behind an OTA header, as in a real run
constexpr std::size_t kBufferSize = 524288;
constexpr std::size_t kTightLimit = kStart + kUpgradeImageHeadSize + kImagePreambleEnd + 64;
constexpr std::uint8_t kGuard = 0xA5;

// Serves at most `step` bytes per read; after `failAt` bytes it fails.
class ScriptedSource final : public ByteSource {
 public:
  ScriptedSource(const std::uint8_t* data, std::size_t size, std::size_t step, bool failing)
      : data_(data), size_(size), step_(step), failing_(failing) {}
  std::size_t read(std::uint8_t* out, std::size_t capacity) override {
    std::size_t count = size_ - offset_;
    if (count > capacity) count = capacity;
    if (step_ != 0 && count > step_) count = step_;
    std::memcpy(out, data_ + offset_, count);
    offset_ += count;
    if (count == 0 && failing_) failed_ = true;
    return count;
  }
  bool failed() const override { return failed_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t step_;
  bool failing_;
  std::size_t offset_ = 0;
  bool failed_ = false;
};

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

struct Model {
  ImageStatus status;
  std::vector<std::uint8_t> image;  // the N image bytes, preamble fields not yet written
};

// The walk over bytes held in memory; an end of input where the walk needs a
// byte (or where a record would begin, when the source fails) is an error.
Model modelImage(const std::uint8_t* data, std::size_t size, Platform platform, bool failing,
                 std::size_t limit) {
  const ImageStatus shortInput = failing ? ImageStatus::inputReadFailed : ImageStatus::inputTruncated;
  std::vector<std::uint8_t> kept;
  std::size_t pos = kRawFileHeaderSize;
  if (size < pos) return {shortInput, {}};
  for (;;) {
    if (pos == size) {
      if (failing) return {shortInput, {}};
      break;
    }
    const std::uint8_t type = data[pos++];
    if (type == 2 || type == 3) {
      if (size - pos < (type == 2 ? 5u : 4u)) return {shortInput, {}};
      break;
    }
    if (type != kRawRecordData) break;
    if (size - pos < 11) return {shortInput, {}};
    const std::uint32_t address = be32(data + pos + 3);
    const std::uint32_t count = be32(data + pos + 7);
    pos += 11;
    for (std::uint32_t i = 0; i < count; ++i) {
      if (pos == size) return {shortInput, {}};
      if (platformDropsAddress(platform, address + i) == 0) kept.push_back(data[pos]);
      ++pos;
    }
  }
  if (kept.size() < kImageCutSize + kImagePreambleEnd) return {ImageStatus::imageTooSmall, {}};
  kept.resize(kept.size() - kImageCutSize);
  while (!kept.empty() && kept.back() == 0xFF) kept.pop_back();
  while ((kept.size() + kUpgradeImageHeadSize) % 4 != 0) kept.push_back(0xFF);
  if (kept.size() < kImagePreambleEnd) return {ImageStatus::imageTooSmall, {}};
  if (kStart + kUpgradeImageHeadSize + kept.size() > limit) return {ImageStatus::imageTooLarge, {}};
  return {ImageStatus::ok, kept};
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const std::uint8_t* raw = data + 1;
  const std::size_t rawSize = size - 1;

  const Platform platform = static_cast<Platform>((control & 3) % 3);
  ImageIdentifiers ids{0x1234, 0x5678, 0x9ABCDEF0, (control & 0x04) != 0, (control & 0x08) != 0,
                       (control & 0x10) != 0};
  const ImageIdentifiers given = ids;
  const std::size_t limit = (control & 0x20) != 0 ? kTightLimit : kBufferSize;
  const unsigned mode = control >> 6;
  const std::size_t step = mode == 1 ? 1 : mode == 2 ? 3 : 0;
  const bool failing = mode == 3;
  const std::size_t served = failing ? rawSize / 2 : rawSize;

  // Everything the run may touch is reset: the image is never longer than the
  // raw file, so the guard fill can stop a little beyond it.
  static std::array<std::uint8_t, kBufferSize> buffer;
  const std::size_t touched = kStart + kUpgradeImageHeadSize + rawSize + 8;
  const std::size_t guarded = touched < limit ? limit : touched;
  std::memset(buffer.data(), kGuard, guarded < kBufferSize ? guarded : kBufferSize);
  ScriptedSource source(raw, served, step, failing);
  RawReader reader(source);
  std::size_t end = 0;
  const ImageStatus status =
      imageAppendUpgradeImage(reader, platform, ids, buffer.data(), kStart, limit, end);

  for (std::size_t i = limit; i < kBufferSize && i < guarded; ++i) {
    fuzzCheck(buffer[i] == kGuard, "nothing written at or beyond the limit");
  }
  for (std::size_t i = 0; i < kStart; ++i) {
    fuzzCheck(buffer[i] == kGuard, "nothing written before the start");
  }

  // The reader's input limit: at exactly the bytes served the walk is the same;
  // one byte less either changes nothing (the walk ended before) or stops it
  // as too large.
  for (const std::size_t inputLimit : {served, served - 1}) {
    if (inputLimit > served) continue;  // served was 0
    static std::array<std::uint8_t, kBufferSize> again;
    ImageIdentifiers againIds = given;
    ScriptedSource againSource(raw, served, step, failing);
    RawReader limited(againSource, inputLimit);
    std::size_t againEnd = 0;
    const ImageStatus againStatus =
        imageAppendUpgradeImage(limited, platform, againIds, again.data(), kStart, limit, againEnd);
    if (inputLimit == served || againStatus != ImageStatus::imageTooLarge) {
      fuzzCheck(againStatus == status, "input limit at the input size changes nothing");
      fuzzCheck(status != ImageStatus::ok ||
                    (againEnd == end &&
                     std::memcmp(again.data() + kStart, buffer.data() + kStart, end - kStart) == 0),
                "same image under the input limit");
    }
  }

  const Model model = modelImage(raw, served, platform, failing, limit);
  if (model.status == ImageStatus::inputTruncated || model.status == ImageStatus::inputReadFailed) {
    // Packing stops at the first byte that proves the image too large, which
    // may come before the end of a damaged file.
    fuzzCheck(status == model.status || (status == ImageStatus::imageTooLarge && limit < kBufferSize),
              "walk error status");
    return 0;
  }
  fuzzCheck(status == model.status, "status agrees with the model");
  if (status != ImageStatus::ok) return 0;

  const std::size_t length = model.image.size();
  fuzzCheck(end == kStart + kUpgradeImageHeadSize + length, "end position");
  fuzzCheck(length % 4 == 2 && length >= kImagePreambleEnd && end <= limit, "image length form");
  const std::uint8_t* head = buffer.data() + kStart;
  fuzzCheck(otawrap::loadLittle16(head) == kUpgradeImageTag && otawrap::loadLittle32(head + 2) == length, "sub-element head");
  const std::uint8_t* image = head + kUpgradeImageHeadSize;
  fuzzCheck(otawrap::loadLittle32(image + kImageLengthOffset) == length, "preamble length");

  const std::uint8_t* modelImage = model.image.data();
  const std::uint16_t manufacturer =
      given.manufacturerGiven ? given.manufacturerCode : otawrap::loadLittle16(modelImage + kImageManufacturerOffset);
  const std::uint16_t imageType =
      given.imageTypeGiven ? given.imageType : otawrap::loadLittle16(modelImage + kImageTypeOffset);
  const std::uint32_t fileVersion =
      given.fileVersionGiven ? given.fileVersion : otawrap::loadLittle32(modelImage + kImageFileVersionOffset);
  fuzzCheck(ids.manufacturerCode == manufacturer && ids.imageType == imageType &&
                ids.fileVersion == fileVersion,
            "identifiers");
  fuzzCheck(otawrap::loadLittle16(image + kImageManufacturerOffset) == manufacturer &&
                otawrap::loadLittle16(image + kImageTypeOffset) == imageType &&
                otawrap::loadLittle32(image + kImageFileVersionOffset) == fileVersion,
            "identifiers in the preamble");

  const std::size_t crcOffset = platformCrcOffset(platform);
  fuzzCheck(image[crcOffset + 2] == 0xFF && image[crcOffset + 3] == 0xFF, "CRC filler");
  for (std::size_t i = 0; i < length; ++i) {
    const bool written = (i >= kImageLengthOffset && i < kImagePreambleEnd) ||
                         (i >= crcOffset && i < crcOffset + 4);
    if (!written) fuzzCheck(image[i] == modelImage[i], "image bytes agree with the model");
  }
  return 0;
}
