#include "ota/payload_checks.h"

#include <algorithm>
#include <cstring>
#include <optional>

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

bool otaImageCarriesPreamble(const std::uint8_t* file, const OtaSubElement& element,
                             const OtaHeader& header) {
  const std::uint8_t* data = file + element.offset + kOtaSubElementHeadSize;
  const bool lengthStamped = element.length >= kImageLengthOffset + 4 &&
                             loadLittle32(data + kImageLengthOffset) == element.length;
  const bool identifiersStamped =
      element.length >= kImagePreambleEnd &&
      loadLittle16(data + kImageManufacturerOffset) == header.manufacturerCode &&
      loadLittle16(data + kImageTypeOffset) == header.imageType &&
      loadLittle32(data + kImageFileVersionOffset) == header.fileVersion;
  return lengthStamped || identifiersStamped;
}

bool otaExemptForeignPayload(const std::uint8_t* file, OtaFileInfo& info, bool forced) {
  if (forced || !info.firstUpgradeImage ||
      otaImageCarriesPreamble(file, *info.firstUpgradeImage, info.header)) {
    return false;
  }
  const OtaCheck exempt = OtaCheck::notApplicable(OtaReason::foreignPayload);
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
  if (!info.firstSuite2Signature && !info.firstSuite2Certificate) {
    return Suite2Layout::absent;
  }
  const std::optional<OtaSubElement>& last = info.lastSubElement;
  const std::optional<OtaSubElement>& certificate = info.beforeLastSubElement;
  if (!last || last->tag != kOtaTagSignatureSuite2 || last->length != kSuite2SignatureLength ||
      !certificate || certificate->tag != kOtaTagCertificateSuite2 ||
      certificate->length != kSuite2CertificateLength) {
    return Suite2Layout::malformed;
  }
  return Suite2Layout::wellFormed;
}

IntegrityCodeCheck otaIntegrityCodeCheck(const std::uint8_t* file, const OtaFileInfo& info) {
  IntegrityCodeCheck check{IntegrityCodeStatus::absent, {}, {}};
  if (!info.firstIntegrityCode) {
    return check;
  }
  const OtaSubElement& code = *info.firstIntegrityCode;
  if (!info.lastSubElement || info.lastSubElement->offset != code.offset ||
      code.offset + kOtaSubElementHeadSize + std::uint64_t{code.length} != info.fileSize) {
    check.status = IntegrityCodeStatus::notLast;
    return check;
  }
  if (code.length != check.stored.size()) {
    check.status = IntegrityCodeStatus::badLength;
    return check;
  }
  if (code.offset >= kMmoMessageLimit) {
    check.status = IntegrityCodeStatus::tooLarge;
    return check;
  }
  std::memcpy(check.stored.data(), file + code.offset + kOtaSubElementHeadSize,
              check.stored.size());
  mmoHash(file, static_cast<std::uint32_t>(code.offset), check.computed.data());
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
