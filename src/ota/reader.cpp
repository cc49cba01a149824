#include "ota/reader.h"

#include <algorithm>

#include "codec/bytes.h"
#include "image/assembly.h"
#include "image/crc.h"
#include "image/platform.h"
#include "ota/payload_checks.h"
#include "ota/tags.h"

namespace otawrap {

namespace {

constexpr OtaCheck kPassed = OtaCheck::passed();

void readHeader(const std::uint8_t* file, std::size_t size, OtaFileInfo& info) {
  OtaHeader& h = info.header;
  h.fileIdentifier = loadLittle32(file);
  h.headerVersion = loadLittle16(file + 4);
  h.headerLength = loadLittle16(file + 6);
  h.fieldControl = loadLittle16(file + 8);
  h.manufacturerCode = loadLittle16(file + 10);
  h.imageType = loadLittle16(file + 12);
  h.fileVersion = loadLittle32(file + 14);
  h.stackVersion = loadLittle16(file + 18);
  for (std::size_t i = 0; i < h.headerString.size(); ++i) {
    h.headerString[i] = file[20 + i];
  }
  h.totalImageSize = loadLittle32(file + 52);

  // Optional fields follow in bit order, each only when its bit is set.
  std::size_t at = kOtaHeaderBaseLength;
  if (h.fieldControl & kOtaFieldSecurityCredential) {
    if (size - at >= 1) {
      h.securityCredentialVersion = file[at];
      info.securityCredentialVersionPresent = true;
    }
    at += 1;
  }
  if (h.fieldControl & kOtaFieldDestination) {
    if (at <= size && size - at >= 8) {
      for (std::size_t i = 0; i < 8; ++i) {
        h.upgradeFileDestination[i] = file[at + i];
      }
      info.destinationPresent = true;
    }
    at += 8;
  }
  if (h.fieldControl & kOtaFieldHardwareVersions) {
    if (at <= size && size - at >= 4) {
      h.minimumHardwareVersion = loadLittle16(file + at);
      h.maximumHardwareVersion = loadLittle16(file + at + 2);
      info.hardwareVersionsPresent = true;
    }
  }
}

OtaCheck checkHeaderLength(const OtaFileInfo& info) {
  if (!info.headerComplete) {
    return OtaCheck::failed(OtaReason::shorterThanHeader, kOtaHeaderBaseLength, info.fileSize);
  }
  const std::uint16_t expected = otaHeaderLengthFor(info.header.fieldControl);
  if (info.header.headerLength != expected) {
    return OtaCheck::failed(OtaReason::headerLengthMismatch, expected, info.header.headerLength);
  }
  if (info.header.headerLength > info.fileSize) {
    return OtaCheck::failed(OtaReason::headerPastEnd, info.header.headerLength, info.fileSize);
  }
  return kPassed;
}

void noteFirst(std::optional<OtaSubElement>& slot, const OtaSubElement& element) {
  if (!slot) slot = element;
}

void noteSubElement(const OtaSubElement& element, OtaFileInfo& info) {
  if (element.tag == kOtaTagUpgradeImage) noteFirst(info.firstUpgradeImage, element);
  if (element.tag == kOtaTagSignature) noteFirst(info.firstSignature, element);
  if (element.tag == kOtaTagCertificate) noteFirst(info.firstCertificate, element);
  if (element.tag == kOtaTagIntegrityCode) noteFirst(info.firstIntegrityCode, element);
  if (element.tag == kOtaTagSignatureSuite2) noteFirst(info.firstSuite2Signature, element);
  if (element.tag == kOtaTagCertificateSuite2) noteFirst(info.firstSuite2Certificate, element);
  info.beforeLastSubElement = info.lastSubElement;
  info.lastSubElement = element;
}

// Walks the sub-elements from the header length to the end of the file.
OtaCheck walkSubElements(const std::uint8_t* file, OtaFileInfo& info) {
  const std::size_t size = info.fileSize;
  const std::size_t start = info.header.headerLength;
  if (!info.headerComplete || start < kOtaHeaderBaseLength || start > size) {
    return OtaCheck::failed(OtaReason::headerLengthOutsideFile);
  }
  std::size_t at = start;
  while (at < size) {
    if (size - at < kOtaSubElementHeadSize) {
      return OtaCheck::failed(OtaReason::subElementHeadCut, at + kOtaSubElementHeadSize, size);
    }
    const std::uint16_t tag = loadLittle16(file + at);
    const std::uint32_t length = loadLittle32(file + at + 2);
    if (length > size - at - kOtaSubElementHeadSize) {
      return OtaCheck::failed(OtaReason::subElementPastEnd,
                    std::uint64_t{at} + kOtaSubElementHeadSize + length, size);
    }
    const OtaSubElement element{tag, at, length};
    if (info.subElementCount < kOtaListedSubElementLimit) {
      info.subElements.push_back(element);
    }
    ++info.subElementCount;
    noteSubElement(element, info);
    at += kOtaSubElementHeadSize + length;
  }
  return kPassed;
}

// Why the image checks do not apply: a broken chain may have hidden the image.
OtaCheck noUpgradeImage(const OtaFileInfo& info) {
  const bool chainWhole = info.check(OtaCheckId::subElementChain).state == OtaCheckState::passed;
  return OtaCheck::notApplicable(chainWhole ? OtaReason::noUpgradeImage
                                            : OtaReason::noCompleteUpgradeImage);
}

const OtaSubElement* upgradeImage(const OtaFileInfo& info) {
  return info.firstUpgradeImage ? &*info.firstUpgradeImage : nullptr;
}

OtaCheck checkPreamble(const std::uint8_t* file, const OtaFileInfo& info) {
  const OtaSubElement* image = upgradeImage(info);
  if (image == nullptr) {
    return noUpgradeImage(info);
  }
  if (image->length < kImagePreambleEnd) {
    return OtaCheck::failed(OtaReason::imageShorterThanPreamble, kImagePreambleEnd, image->length);
  }
  const std::uint8_t* data = file + image->offset + kOtaSubElementHeadSize;
  const OtaHeader& h = info.header;
  const std::uint32_t length = loadLittle32(data + kImageLengthOffset);
  if (length != image->length) {
    return OtaCheck::failed(OtaReason::preambleLengthMismatch, image->length, length);
  }
  const std::uint16_t manufacturer = loadLittle16(data + kImageManufacturerOffset);
  if (manufacturer != h.manufacturerCode) {
    return OtaCheck::failedHex(OtaReason::preambleManufacturerMismatch, h.manufacturerCode,
                  manufacturer);
  }
  const std::uint16_t imageType = loadLittle16(data + kImageTypeOffset);
  if (imageType != h.imageType) {
    return OtaCheck::failedHex(OtaReason::preambleImageTypeMismatch, h.imageType, imageType);
  }
  const std::uint32_t version = loadLittle32(data + kImageFileVersionOffset);
  if (version != h.fileVersion) {
    return OtaCheck::failedHex(OtaReason::preambleFileVersionMismatch, h.fileVersion, version);
  }
  return kPassed;
}

OtaCheck checkCrc(const std::uint8_t* file, const OtaReadOptions& options, OtaFileInfo& info) {
  const OtaSubElement* image = upgradeImage(info);
  if (image == nullptr) {
    return noUpgradeImage(info);
  }
  const std::uint8_t* data = file + image->offset + kOtaSubElementHeadSize;
  const std::size_t length = image->length;
  // The CRC offsets the platforms use, in the order they are tried; a named
  // platform has only its own.
  const std::uint32_t tried[] = {platformCrcOffset(Platform::quillDev),
                                 platformCrcOffset(Platform::fenBoard)};
  const std::uint32_t named = platformCrcOffset(options.platform);
  const std::uint32_t* offsets = options.platformGiven ? &named : tried;
  const std::size_t count = options.platformGiven ? 1 : 2;
  std::uint32_t furthest = 0;
  for (std::size_t i = 0; i < count; ++i) furthest = std::max(furthest, offsets[i]);
  if (length < std::size_t{furthest} + 4) {
    return OtaCheck::failed(OtaReason::imageTooShortForCrc, furthest + 4, length);
  }
  std::uint16_t computed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    computed = imageCrcCompute(data, length, offsets[i]);
    if (computed == loadLittle16(data + offsets[i])) {
      info.imageCrcOffset = offsets[i];
      info.imageCrc = computed;
      return kPassed;
    }
  }
  if (!options.platformGiven) {
    return OtaCheck::failed(OtaReason::crcMatchesNeitherOffset);
  }
  return OtaCheck::failedHex(named == 0 ? OtaReason::crcMismatchAtZero
                                        : OtaReason::crcMismatchAt0x88,
                             computed, loadLittle16(data + named));
}

OtaCheck checkSignatureLayout(const OtaFileInfo& info) {
  if (!info.firstSignature && !info.firstCertificate) {
    return OtaCheck::notApplicable(OtaReason::unsignedFile);
  }
  if (!info.firstSignature) {
    return OtaCheck::failed(OtaReason::certificateWithoutSignature);
  }
  const OtaSubElement& last = *info.lastSubElement;
  if (last.tag == kOtaTagIntegrityCode) {
    // Both seals: the last one is checked, the other reported.
    return OtaCheck::notApplicable(OtaReason::integrityCodeCheckedInstead);
  }
  if (last.tag != kOtaTagSignature) {
    return OtaCheck::failed(OtaReason::signatureNotLast);
  }
  const std::uint32_t signatureLength = kOtaSignatureSubElementSize - kOtaSubElementHeadSize;
  if (last.length != signatureLength) {
    return OtaCheck::failed(OtaReason::signatureLengthNot50, signatureLength, last.length);
  }
  if (!info.beforeLastSubElement || info.beforeLastSubElement->tag != kOtaTagCertificate) {
    return OtaCheck::failed(OtaReason::noCertificateBeforeSignature);
  }
  const std::uint32_t certificateLength =
      kOtaCertificateSubElementSize - kOtaSubElementHeadSize;
  if (info.beforeLastSubElement->length != certificateLength) {
    return OtaCheck::failed(OtaReason::certificateLengthNot48, certificateLength,
                  info.beforeLastSubElement->length);
  }
  return kPassed;
}

OtaCheck checkIntegrityCode(const std::uint8_t* file, const OtaFileInfo& info) {
  const IntegrityCodeCheck check = otaIntegrityCodeCheck(file, info);
  switch (check.status) {
    case IntegrityCodeStatus::absent:
      return OtaCheck::notApplicable(OtaReason::noIntegrityCode);
    case IntegrityCodeStatus::passed:
      return kPassed;
    case IntegrityCodeStatus::notLast:
      if (info.check(OtaCheckId::signatureLayout).state == OtaCheckState::passed) {
        return OtaCheck::notApplicable(OtaReason::signatureCheckedInstead);
      }
      return OtaCheck::failed(OtaReason::integrityCodeNotLast);
    case IntegrityCodeStatus::badLength:
      return OtaCheck::failed(OtaReason::integrityCodeLengthNot16, 16,
                              info.firstIntegrityCode->length);
    case IntegrityCodeStatus::tooLarge:
      return OtaCheck::failed(OtaReason::fileTooLargeToHash);
    case IntegrityCodeStatus::mismatch:
      break;
  }
  return OtaCheck::failed(OtaReason::integrityCodeMismatch);
}

OtaCheck checkSuite2Layout(const OtaFileInfo& info) {
  switch (otaSuite2SignatureLayout(info)) {
    case Suite2Layout::absent:
      return OtaCheck::notApplicable(OtaReason::noSuite2Signature);
    case Suite2Layout::wellFormed:
      return kPassed;
    case Suite2Layout::malformed:
      break;
  }
  return OtaCheck::failed(
      OtaReason::suite2LayoutMalformed);
}

}  // namespace

OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size) {
  return otaFileRead(file, size, OtaReadOptions{});
}

OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size, const OtaReadOptions& options) {
  OtaFileInfo info{};
  info.fileSize = size;
  info.headerComplete = size >= kOtaHeaderBaseLength;
  for (OtaCheck& c : info.checks) {
    c = kPassed;
  }

  if (size < 4) {
    info.check(OtaCheckId::fileIdentifier) =
        OtaCheck::failed(OtaReason::shorterThanIdentifier, 4, size);
  } else if (loadLittle32(file) != kOtaFileIdentifier) {
    info.check(OtaCheckId::fileIdentifier) =
        OtaCheck::failedHex(OtaReason::notOtaIdentifier, kOtaFileIdentifier, loadLittle32(file));
  }

  if (info.headerComplete) {
    readHeader(file, size, info);
  }
  info.check(OtaCheckId::headerLength) = checkHeaderLength(info);
  if (!info.headerComplete) {
    info.check(OtaCheckId::totalImageSize) = OtaCheck::failed(OtaReason::noCompleteHeader);
  } else if (info.header.totalImageSize != size) {
    info.check(OtaCheckId::totalImageSize) =
        OtaCheck::failed(OtaReason::totalSizeMismatch, size, info.header.totalImageSize);
  }
  info.check(OtaCheckId::subElementChain) = walkSubElements(file, info);
  if (!otaExemptForeignPayload(file, info, options.platformGiven)) {
    info.check(OtaCheckId::imagePreamble) = checkPreamble(file, info);
    info.check(OtaCheckId::imageCrc) = checkCrc(file, options, info);
  }
  info.check(OtaCheckId::signatureLayout) = checkSignatureLayout(info);
  info.check(OtaCheckId::signatureVerification) = OtaCheck::notRun(OtaReason::notAskedFor);
  info.check(OtaCheckId::integrityCode) = checkIntegrityCode(file, info);
  const OtaCheck suite2 = checkSuite2Layout(info);
  info.check(OtaCheckId::suite2SignatureLayout) = suite2;
  info.check(OtaCheckId::suite2SignatureVerification) =
      suite2.state == OtaCheckState::passed ? OtaCheck::notSupported(OtaReason::notSupported)
                                            : OtaCheck::notRun(OtaReason::noSuite2Signature);
  return info;
}

OtaFileInfo otaFileLocateAndRead(const std::uint8_t* data, std::size_t size,
                                 const OtaReadOptions& options) {
  std::size_t prefix = 0;
  if (!otaFindFileStart(data, size, prefix)) prefix = 0;
  OtaFileInfo info = otaFileRead(prefix == 0 ? data : data + prefix, size - prefix, options);
  info.prefixLength = prefix;
  return info;
}

bool otaFileChecksPass(const OtaFileInfo& info) {
  return std::none_of(info.checks.begin(), info.checks.end(),
                      [](const OtaCheck& c) { return c.state == OtaCheckState::failed; });
}

}  // namespace otawrap
