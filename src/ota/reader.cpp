#include "ota/reader.h"

#include <algorithm>

#include "codec/bytes.h"
#include "ota/chain.h"
#include "ota/format.h"

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

// Walks the sub-elements from the header length to the end of the OTA file.
OtaCheck walkSubElements(const std::uint8_t* file, OtaFileInfo& info) {
  const std::size_t size = info.fileSize;
  const std::size_t start = info.header.headerLength;
  if (!info.headerComplete || start < kOtaHeaderBaseLength || start > size) {
    return OtaCheck::failed(OtaReason::headerLengthOutsideFile);
  }
  const OtaChainResult chain =
      otaChainWalk(file, start, size, info.header, [&info](const OtaSubElement& element) {
        if (info.subElementCount < kOtaListedSubElementLimit) {
          info.subElements.push_back(element);
        }
        ++info.subElementCount;
        noteSubElement(element, info);
      });
  info.headless = chain.headless;
  return chain.check;
}

// A recognised trailer behind the total image size ends the OTA file there.
void findTrailer(const std::uint8_t* file, OtaFileInfo& info) {
  info.check(OtaCheckId::trailer) = OtaCheck::notRun(OtaReason::none);
  const std::size_t total = info.header.totalImageSize;
  if (!info.headerComplete || total < info.header.headerLength || total >= info.fileSize) {
    return;
  }
  const OtaTrailer trailer = otaTrailerFind(file, info.fileSize, total);
  if (trailer.kind == OtaTrailerKind::none) return;
  info.trailer = trailer;
  info.fileSize = total;
  info.check(OtaCheckId::trailer) = OtaCheck::passed(
      trailer.kind == OtaTrailerKind::crc32 ? OtaReason::trailerCrc32
                                            : OtaReason::trailerPaddedInvertedCrc32);
}

OtaCheck checkTotalSize(const OtaFileInfo& info) {
  if (!info.headerComplete) return OtaCheck::failed(OtaReason::noCompleteHeader);
  const std::uint32_t total = info.header.totalImageSize;
  if (total < info.fileSize) {
    return OtaCheck::failed(OtaReason::bytesAfterTotalSize, total, info.fileSize);
  }
  if (total > info.fileSize) {
    return OtaCheck::failed(OtaReason::totalSizeMismatch, info.fileSize, total);
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

// A layout that holds, with a note when its r and s are no sect283k1
// values: devices take such files, so the note is no failure.
OtaCheck checkSuite2Layout(const std::uint8_t* file, const OtaFileInfo& info,
                           Suite2Layout layout) {
  const bool signatureLast =
      layout == Suite2Layout::wellFormed || layout == Suite2Layout::withoutCertificate;
  const bool plausible =
      !signatureLast || otaSuite2ScalarsPlausible(file + info.lastSubElement->dataOffset());
  switch (layout) {
    case Suite2Layout::absent:
      return OtaCheck::notApplicable(OtaReason::noSuite2Signature);
    case Suite2Layout::wellFormed:
      return plausible ? kPassed : OtaCheck::passed(OtaReason::suite2NotSect283k1);
    case Suite2Layout::withoutCertificate:
      return OtaCheck::passed(plausible ? OtaReason::suite2WithoutCertificate
                                        : OtaReason::suite2WithoutCertificateNotSect283k1);
    case Suite2Layout::integrityCodeLast:
      return OtaCheck::notApplicable(OtaReason::integrityCodeCheckedInstead);
    case Suite2Layout::malformed:
      break;
  }
  return OtaCheck::failed(OtaReason::suite2LayoutMalformed);
}

// The seals after the chain is known: the signature layouts, then the
// integrity code, which a well-formed signature behind it does not excuse.
void checkSeals(const std::uint8_t* file, OtaFileInfo& info) {
  const OtaCheck suite1 = otaSignatureLayoutCheck(info);
  const Suite2Layout suite2 = otaSuite2SignatureLayout(info);
  info.check(OtaCheckId::signatureLayout) = suite1;
  info.check(OtaCheckId::signatureVerification) = OtaCheck::notRun(OtaReason::notAskedFor);
  const bool signatureFollows = suite1.state == OtaCheckState::passed ||
                                suite2 == Suite2Layout::wellFormed ||
                                suite2 == Suite2Layout::withoutCertificate;
  info.check(OtaCheckId::integrityCode) = otaIntegrityCodeVerdict(
      otaIntegrityCodeCheck(file, info.fileSize, info), info, signatureFollows);
  info.check(OtaCheckId::suite2SignatureLayout) = checkSuite2Layout(file, info, suite2);
  info.check(OtaCheckId::suite2SignatureVerification) = OtaCheck::notRun(OtaReason::notAskedFor);
}

}  // namespace

OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size) {
  return otaFileRead(file, size, OtaReadOptions{});
}

OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size, const OtaReadOptions& options) {
  OtaFileInfo info{};
  info.fileSize = size;
  info.wholeSize = size;
  info.wrapping = {OtaWrapKind::none, 0, size, 0, 0, OtaCheck::notRun(OtaReason::none)};
  info.headerComplete = size >= kOtaHeaderBaseLength;
  for (OtaCheck& c : info.checks) {
    c = kPassed;
  }
  info.check(OtaCheckId::container) = OtaCheck::notRun(OtaReason::none);

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
  findTrailer(file, info);
  info.check(OtaCheckId::headerLength) = checkHeaderLength(info);
  info.check(OtaCheckId::totalImageSize) = checkTotalSize(info);
  info.check(OtaCheckId::subElementChain) = walkSubElements(file, info);
  checkUpgradeImage(file, options, info);
  checkSeals(file, info);
  return info;
}

OtaFileInfo otaFileLocateAndRead(const std::uint8_t* data, std::size_t size,
                                 const OtaReadOptions& options) {
  const OtaWrapping wrapping = otaWrappingFind(data, size);
  OtaFileInfo info = otaFileRead(wrapping.start == 0 ? data : data + wrapping.start,
                                 wrapping.length, options);
  info.prefixLength = wrapping.start;
  info.wholeSize = size;
  info.wrapping = wrapping;
  info.check(OtaCheckId::container) = wrapping.check;
  return info;
}

bool otaFileChecksPass(const OtaFileInfo& info) {
  return std::none_of(info.checks.begin(), info.checks.end(),
                      [](const OtaCheck& c) { return c.state == OtaCheckState::failed; });
}

}  // namespace otawrap
