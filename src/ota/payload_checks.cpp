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
// Crypto suite 2 (sect283k1): signer address (8) and signature (72); certificate (74).
constexpr std::uint32_t kSuite2SignatureLength = 80;
constexpr std::uint32_t kSuite2CertificateLength = 74;

}  // namespace

bool otaImageCarriesPreamble(const std::uint8_t* file, const OtaSubElement& element) {
  if (element.length < kImagePreambleEnd) {
    return false;
  }
  const std::uint8_t* data = file + element.offset + kOtaSubElementHeadSize;
  return loadLittle32(data + kImageLengthOffset) == element.length;
}

bool otaExemptForeignPayload(const std::uint8_t* file, OtaFileInfo& info, bool forced) {
  const OtaSubElement* image = otaFindSubElement(info, kOtaTagUpgradeImage);
  if (forced || image == nullptr || otaImageCarriesPreamble(file, *image)) {
    return false;
  }
  const OtaCheck exempt{OtaCheckState::notApplicable, "payload without the image preamble", false,
                        false, 0, 0};
  info.check(OtaCheckId::imagePreamble) = exempt;
  info.check(OtaCheckId::imageCrc) = exempt;
  info.imageCrcOffset = 0;
  info.imageCrc = 0;
  return true;
}

const OtaSubElement* otaFindSubElement(const OtaFileInfo& info, std::uint16_t tag) {
  for (const OtaSubElement& e : info.subElements) {
    if (e.tag == tag) return &e;
  }
  return nullptr;
}

std::string otaSubElementFileName(std::size_t index, std::uint16_t tag) {
  std::string number = std::to_string(index);
  if (number.size() < 2) number.insert(0, 1, '0');
  return number + "-" + hexUpper(tag, 4) + ".bin";
}

Suite2Layout otaSuite2SignatureLayout(const OtaFileInfo& info) {
  const OtaSubElement* signature = otaFindSubElement(info, kOtaTagSignatureSuite2);
  const OtaSubElement* certificate = otaFindSubElement(info, kOtaTagCertificateSuite2);
  if (signature == nullptr && certificate == nullptr) {
    return Suite2Layout::absent;
  }
  const std::size_t count = info.subElements.size();
  if (count < 2 || info.subElements[count - 1].tag != kOtaTagSignatureSuite2 ||
      info.subElements[count - 1].length != kSuite2SignatureLength ||
      info.subElements[count - 2].tag != kOtaTagCertificateSuite2 ||
      info.subElements[count - 2].length != kSuite2CertificateLength) {
    return Suite2Layout::malformed;
  }
  return Suite2Layout::wellFormed;
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
