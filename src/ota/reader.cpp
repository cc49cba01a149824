#include "ota/reader.h"

#include <algorithm>

#include "codec/bytes.h"
#include "ota/format.h"
#include "ota/wrapping.h"

namespace otawrap {

namespace {

constexpr OtaCheck kPassed = OtaCheck::passed();

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

// The image checks of the first upgrade image: only when it carries the
// image preamble, unless a platform is named (then whatever it holds).
void checkUpgradeImage(const std::uint8_t* file, const OtaReadOptions& options,
                       OtaFileInfo& info) {
  if (!info.firstUpgradeImage) {
    info.check(OtaCheckId::imagePreamble) = noUpgradeImage(info);
    info.check(OtaCheckId::imageCrc) = noUpgradeImage(info);
    return;
  }
  const OtaSubElement& element = *info.firstUpgradeImage;
  const std::uint8_t* image = file + element.offset + kOtaSubElementHeadSize;
  if (!options.platformGiven && !otaImageCarriesPreamble(image, element.length, info.header)) {
    const OtaCheck exempt = OtaCheck::notApplicable(OtaReason::foreignPayload);
    info.check(OtaCheckId::imagePreamble) = exempt;
    info.check(OtaCheckId::imageCrc) = exempt;
    return;
  }
  info.check(OtaCheckId::imagePreamble) =
      otaImagePreambleCheck(image, element.length, info.header);
  ImageCrcFound found{0, 0};
  info.check(OtaCheckId::imageCrc) =
      otaImageCrcCheck(image, element.length, options.platformGiven, options.platform, found);
  info.imageCrcOffset = found.offset;
  info.imageCrc = found.crc;
}

OtaCheck checkSuite2Layout(const OtaSealElements& seal) {
  switch (otaSuite2SignatureLayout(seal)) {
    case Suite2Layout::absent:
      return OtaCheck::notApplicable(OtaReason::noSuite2Signature);
    case Suite2Layout::wellFormed:
      return kPassed;
    case Suite2Layout::malformed:
      break;
  }
  return OtaCheck::failed(OtaReason::suite2LayoutMalformed);
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
    const OtaHeaderPresence present = otaHeaderDecode(file, size, info.header);
    info.securityCredentialVersionPresent = present.securityCredentialVersion;
    info.destinationPresent = present.destination;
    info.hardwareVersionsPresent = present.hardwareVersions;
  }
  info.check(OtaCheckId::headerLength) = checkHeaderLength(info);
  if (!info.headerComplete) {
    info.check(OtaCheckId::totalImageSize) = OtaCheck::failed(OtaReason::noCompleteHeader);
  } else if (info.header.totalImageSize != size) {
    info.check(OtaCheckId::totalImageSize) =
        OtaCheck::failed(OtaReason::totalSizeMismatch, size, info.header.totalImageSize);
  }
  info.check(OtaCheckId::subElementChain) = walkSubElements(file, info);
  checkUpgradeImage(file, options, info);
  info.check(OtaCheckId::signatureLayout) = otaSignatureLayoutCheck(info);
  info.check(OtaCheckId::signatureVerification) = OtaCheck::notRun(OtaReason::notAskedFor);
  info.check(OtaCheckId::integrityCode) =
      otaIntegrityCodeVerdict(otaIntegrityCodeCheck(file, size, info), info,
                              info.check(OtaCheckId::signatureLayout));
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
