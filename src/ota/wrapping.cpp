#include "ota/wrapping.h"

#include <algorithm>
#include <cstring>

#include "codec/bytes.h"
#include "ota/format.h"
#include "payload/checksums.h"
#include "sign/sha256.h"

namespace otawrap {

namespace {

bool identifierAt(const std::uint8_t* data, std::size_t size, std::size_t at) {
  return size >= 4 && at <= size - 4 &&
         std::memcmp(data + at, kOtaFileIdentifierBytes, 4) == 0;
}

std::uint32_t field(const std::uint8_t* data, std::size_t index) {
  return loadLittle32(data + 4 * index);
}

// Every relation of the container's fixed fields, then every block hash.
OtaCheck containerCheck(const std::uint8_t* data, std::size_t size, OtaWrapping& w) {
  if (size < kOtaContainerHashesOffset) {
    return OtaCheck::failed(OtaReason::containerCut, kOtaContainerHashesOffset, size);
  }
  const std::uint32_t offset = field(data, 4);
  const std::uint32_t length = field(data, 5);
  const std::uint32_t blocks = field(data, 9);
  const std::uint64_t expectedBlocks =
      (std::uint64_t{length} + kOtaContainerBlockSize - 1) / kOtaContainerBlockSize;
  const struct {
    std::uint64_t expected;
    std::uint64_t found;
  } relations[] = {
      {kOtaContainerField1, field(data, 1)},
      {kOtaContainerField2, field(data, 2)},
      {std::uint64_t{offset} - 12, field(data, 3)},
      {kOtaContainerHashesOffset + kOtaContainerHashSize * std::uint64_t{blocks}, offset},
      {std::uint64_t{offset} + length, field(data, 6)},
      {kOtaContainerField7, field(data, 7)},
      {kOtaContainerBlockSize, field(data, 8)},
      {expectedBlocks, blocks},
      {std::uint64_t{offset} + length + kOtaContainerSignatureSize, size},
  };
  for (const auto& r : relations) {
    if (r.expected != r.found) {
      return OtaCheck::failed(OtaReason::containerFieldMismatch, r.expected, r.found);
    }
  }
  if (length < kOtaTotalImageSizeOffset + 4 || !identifierAt(data, size, offset) ||
      loadLittle32(data + offset + kOtaTotalImageSizeOffset) != length) {
    return OtaCheck::failed(OtaReason::containerSizeMismatch);
  }
  w.start = offset;
  w.length = length;
  w.suffixLength = kOtaContainerSignatureSize;
  w.blockCount = blocks;
  for (std::uint32_t i = 0; i < blocks; ++i) {
    const std::size_t from = std::size_t{i} * kOtaContainerBlockSize;
    const std::size_t count = std::min<std::size_t>(kOtaContainerBlockSize, length - from);
    std::uint8_t digest[sha256DigestSize];
    sha256Hash(data + offset + from, count, digest);
    if (std::memcmp(digest, data + kOtaContainerHashesOffset + kOtaContainerHashSize * i,
                    sizeof digest) != 0) {
      return OtaCheck::failed(OtaReason::containerBlockHashMismatch, i, i);
    }
  }
  return OtaCheck::passed();
}

bool isLengthPrefixed(const std::uint8_t* data, std::size_t size) {
  const std::size_t inner = kOtaLengthPrefixSize;
  if (size < inner + kOtaHeaderBaseLength || !identifierAt(data, size, inner)) return false;
  const std::uint32_t total = loadLittle32(data + inner + kOtaTotalImageSizeOffset);
  return loadLittle32(data) == total &&
         std::uint64_t{size} == inner + std::uint64_t{total} + kOtaLengthPrefixSuffixSize;
}

}  // namespace

bool otaFindFileStart(const std::uint8_t* data, std::size_t size, std::size_t& prefixLength) {
  const std::uint8_t* end = data + size;
  const std::uint8_t* at =
      std::search(data, end, kOtaFileIdentifierBytes, kOtaFileIdentifierBytes + 4);
  if (size < 4 || at == end) {
    return false;
  }
  prefixLength = static_cast<std::size_t>(at - data);
  return true;
}

OtaWrapping otaWrappingFind(const std::uint8_t* data, std::size_t size) {
  OtaWrapping w{OtaWrapKind::none, 0, size, 0, 0, OtaCheck::notRun(OtaReason::none)};
  if (size >= 4 && std::memcmp(data, kOtaContainerMagic, 4) == 0) {
    w.kind = OtaWrapKind::signedContainer;
    w.check = containerCheck(data, size, w);
    if (w.check.state == OtaCheckState::passed) return w;
    w.suffixLength = 0;
    w.blockCount = 0;
  } else if (isLengthPrefixed(data, size)) {
    w.kind = OtaWrapKind::lengthPrefix;
    w.start = kOtaLengthPrefixSize;
    w.length = size - kOtaLengthPrefixSize - kOtaLengthPrefixSuffixSize;
    w.suffixLength = kOtaLengthPrefixSuffixSize;
    w.check = OtaCheck::passed();
    return w;
  }
  std::size_t start = 0;
  if (otaFindFileStart(data, size, start) && start > 0) {
    if (w.kind == OtaWrapKind::none) w.kind = OtaWrapKind::identifierPrefix;
    w.start = start;
    w.length = size - start;
  }
  return w;
}

OtaTrailer otaTrailerFind(const std::uint8_t* file, std::size_t size, std::size_t totalSize) {
  const std::size_t extra = size - totalSize;
  if (extra == kOtaCrcTrailerSize &&
      crc32Update(0, file, totalSize) == loadLittle32(file + totalSize)) {
    return {OtaTrailerKind::crc32, extra, 0};
  }
  const std::size_t padding =
      (kOtaTrailerAlignment - totalSize % kOtaTrailerAlignment) % kOtaTrailerAlignment;
  if (extra != padding + kOtaCrcTrailerSize) return {OtaTrailerKind::none, 0, 0};
  for (std::size_t i = 0; i < padding; ++i) {
    if (file[totalSize + i] != kOtaTrailerPadByte) return {OtaTrailerKind::none, 0, 0};
  }
  const std::size_t covered = totalSize + padding;
  if (static_cast<std::uint32_t>(~crc32Update(0, file, covered)) != loadLittle32(file + covered)) {
    return {OtaTrailerKind::none, 0, 0};
  }
  return {OtaTrailerKind::paddedInvertedCrc32, extra, padding};
}

}  // namespace otawrap
