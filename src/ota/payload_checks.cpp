#include "ota/payload_checks.h"

#include <algorithm>
#include <cstring>

#include "codec/bytes.h"
#include "codec/hex.h"
#include "image/assembly.h"
#include "ota/tags.h"
#include "sign/mmo.h"
#include "sign/sha512.h"

namespace otawrap {

namespace {

constexpr std::uint8_t kIdentifierBytes[4] = {0x1E, 0xF1, 0xEE, 0x0B};
// AES-MMO hashes messages shorter than 2^29 bytes.
constexpr std::size_t kMmoMessageLimit = std::size_t{1} << 29;

}  // namespace

bool otaImageCarriesPreamble(const std::uint8_t* file, const OtaSubElement& element) {
  if (element.length < kImagePreambleEnd) {
    return false;
  }
  const std::uint8_t* data = file + element.offset + kOtaSubElementHeadSize;
  return loadLittle32(data + kImageLengthOffset) == element.length;
}

IntegrityCodeCheck otaIntegrityCodeCheck(const std::uint8_t* file, const OtaFileInfo& info) {
  IntegrityCodeCheck check{IntegrityCodeStatus::absent, {}, {}};
  const auto found =
      std::find_if(info.subElements.begin(), info.subElements.end(),
                   [](const OtaSubElement& e) { return e.tag == kOtaTagIntegrityCode; });
  if (found == info.subElements.end()) {
    return check;
  }
  if (found + 1 != info.subElements.end() ||
      found->offset + kOtaSubElementHeadSize + found->length != info.fileSize) {
    check.status = IntegrityCodeStatus::notLast;
    return check;
  }
  if (found->length != check.stored.size()) {
    check.status = IntegrityCodeStatus::badLength;
    return check;
  }
  if (found->offset >= kMmoMessageLimit) {
    check.status = IntegrityCodeStatus::tooLarge;
    return check;
  }
  std::memcpy(check.stored.data(), file + found->offset + kOtaSubElementHeadSize,
              check.stored.size());
  mmoHash(file, static_cast<std::uint32_t>(found->offset), check.computed.data());
  check.status = check.stored == check.computed ? IntegrityCodeStatus::passed
                                                : IntegrityCodeStatus::mismatch;
  return check;
}

bool otaFindFileStart(const std::uint8_t* data, std::size_t size, std::size_t& prefixLength) {
  const std::uint8_t* end = data + size;
  const std::uint8_t* at = std::search(data, end, kIdentifierBytes, kIdentifierBytes + 4);
  if (size < 4 || at == end) {
    return false;
  }
  prefixLength = static_cast<std::size_t>(at - data);
  return true;
}

OtaIndexEntry otaIndexEntry(const std::uint8_t* data, std::size_t size, const OtaFileInfo& info,
                            const std::string& fileName, const std::string& url) {
  OtaIndexEntry entry{};
  entry.fileName = fileName;
  entry.url = url;
  entry.fileSize = size;
  entry.fileVersion = info.header.fileVersion;
  entry.manufacturerCode = info.header.manufacturerCode;
  entry.imageType = info.header.imageType;
  std::uint8_t digest[sha512DigestSize];
  sha512Hash(data, size, digest);
  entry.sha512 = hexLowerOctets(digest, sizeof digest);
  const auto& text = info.header.headerString;
  const auto textEnd = std::find(text.begin(), text.end(), 0);
  entry.otaHeaderString.assign(text.begin(), textEnd);
  entry.headerStringPresent = !entry.otaHeaderString.empty();
  entry.hardwareVersionsPresent = info.hardwareVersionsPresent;
  entry.hardwareVersionMin = info.header.minimumHardwareVersion;
  entry.hardwareVersionMax = info.header.maximumHardwareVersion;
  return entry;
}

}  // namespace otawrap
