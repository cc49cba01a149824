#include "ota/reader.h"

#include <algorithm>

#include "codec/bytes.h"
#include "image/assembly.h"
#include "image/crc.h"
#include "image/platform.h"

namespace otawrap {

namespace {

// Little-endian reads; callers have checked that the bytes are there.
std::uint16_t get16(const std::uint8_t* p) { return loadLittle16(p); }
std::uint32_t get32(const std::uint8_t* p) { return loadLittle32(p); }

constexpr OtaCheck kPassed = OtaCheck::passed();

void readHeader(const std::uint8_t* file, std::size_t size, OtaFileInfo& info) {
  OtaHeader& h = info.header;
  h.fileIdentifier = get32(file);
  h.headerVersion = get16(file + 4);
  h.headerLength = get16(file + 6);
  h.fieldControl = get16(file + 8);
  h.manufacturerCode = get16(file + 10);
  h.imageType = get16(file + 12);
  h.fileVersion = get32(file + 14);
  h.stackVersion = get16(file + 18);
  for (std::size_t i = 0; i < h.headerString.size(); ++i) {
    h.headerString[i] = file[20 + i];
  }
  h.totalImageSize = get32(file + 52);

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
      h.minimumHardwareVersion = get16(file + at);
      h.maximumHardwareVersion = get16(file + at + 2);
      info.hardwareVersionsPresent = true;
    }
  }
}

OtaCheck checkHeaderLength(const OtaFileInfo& info) {
  if (!info.headerComplete) {
    return OtaCheck::failed("file shorter than the 56-byte header", kOtaHeaderBaseLength, info.fileSize);
  }
  const std::uint16_t expected = otaHeaderLengthFor(info.header.fieldControl);
  if (info.header.headerLength != expected) {
    return OtaCheck::failed("header length does not match the field-control bits", expected,
                  info.header.headerLength);
  }
  if (info.header.headerLength > info.fileSize) {
    return OtaCheck::failed("header runs past the end of the file", info.header.headerLength,
                  info.fileSize);
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
  info.beforeLastSubElement = info.lastSubElement;
  info.lastSubElement = element;
}

// Walks the sub-elements from the header length to the end of the file.
OtaCheck walkSubElements(const std::uint8_t* file, OtaFileInfo& info) {
  const std::size_t size = info.fileSize;
  const std::size_t start = info.header.headerLength;
  if (!info.headerComplete || start < kOtaHeaderBaseLength || start > size) {
    return OtaCheck::failed("no sub-elements: header length outside the file");
  }
  std::size_t at = start;
  while (at < size) {
    if (size - at < kOtaSubElementHeadSize) {
      return OtaCheck::failed("sub-element head cut short by the end of the file", at + kOtaSubElementHeadSize,
                    size);
    }
    const std::uint16_t tag = get16(file + at);
    const std::uint32_t length = get32(file + at + 2);
    if (length > size - at - kOtaSubElementHeadSize) {
      return OtaCheck::failed("sub-element runs past the end of the file",
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
  return OtaCheck::notApplicable(info.check(OtaCheckId::subElementChain).state == OtaCheckState::passed
                           ? "no upgrade image"
                           : "no complete upgrade image");
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
    return OtaCheck::failed("upgrade image shorter than its preamble", kImagePreambleEnd, image->length);
  }
  const std::uint8_t* data = file + image->offset + kOtaSubElementHeadSize;
  const OtaHeader& h = info.header;
  const std::uint32_t length = get32(data + kImageLengthOffset);
  if (length != image->length) {
    return OtaCheck::failed("preamble length differs from the sub-element length", image->length, length);
  }
  const std::uint16_t manufacturer = get16(data + kImageManufacturerOffset);
  if (manufacturer != h.manufacturerCode) {
    return OtaCheck::failedHex("preamble manufacturer code differs from the header", h.manufacturerCode,
                  manufacturer);
  }
  const std::uint16_t imageType = get16(data + kImageTypeOffset);
  if (imageType != h.imageType) {
    return OtaCheck::failedHex("preamble image type differs from the header", h.imageType, imageType);
  }
  const std::uint32_t version = get32(data + kImageFileVersionOffset);
  if (version != h.fileVersion) {
    return OtaCheck::failedHex("preamble file version differs from the header", h.fileVersion, version);
  }
  return kPassed;
}

OtaCheck checkCrc(const std::uint8_t* file, OtaFileInfo& info) {
  const OtaSubElement* image = upgradeImage(info);
  if (image == nullptr) {
    return noUpgradeImage(info);
  }
  const std::uint8_t* data = file + image->offset + kOtaSubElementHeadSize;
  const std::size_t length = image->length;
  // The CRC offsets the platforms use, in the order they are tried.
  const std::uint32_t offsets[] = {platformCrcOffset(Platform::quillDev),
                                   platformCrcOffset(Platform::fenBoard)};
  if (length < offsets[0] + 4) {
    return OtaCheck::failed("upgrade image too short for its CRC", offsets[0] + 4, length);
  }
  for (std::uint32_t offset : offsets) {
    std::uint16_t crc = imageCrcUpdate(0, data, offset);
    crc = imageCrcUpdate(crc, data + offset + 4, length - offset - 4);
    if (crc == get16(data + offset)) {
      info.imageCrcOffset = offset;
      info.imageCrc = crc;
      return kPassed;
    }
  }
  return OtaCheck::failed("image CRC matches at neither offset 0x88 nor 0");
}

OtaCheck checkSignatureLayout(const OtaFileInfo& info) {
  if (!info.firstSignature && !info.firstCertificate) {
    return OtaCheck::notApplicable("unsigned file");
  }
  if (!info.firstSignature) {
    return OtaCheck::failed("certificate without a signature");
  }
  const OtaSubElement& last = *info.lastSubElement;
  if (last.tag != kOtaTagSignature) {
    return OtaCheck::failed("signature is not the last sub-element");
  }
  const std::uint32_t signatureLength = kOtaSignatureSubElementSize - kOtaSubElementHeadSize;
  if (last.length != signatureLength) {
    return OtaCheck::failed("signature length is not 50", signatureLength, last.length);
  }
  if (!info.beforeLastSubElement || info.beforeLastSubElement->tag != kOtaTagCertificate) {
    return OtaCheck::failed("no certificate right before the signature");
  }
  const std::uint32_t certificateLength =
      kOtaCertificateSubElementSize - kOtaSubElementHeadSize;
  if (info.beforeLastSubElement->length != certificateLength) {
    return OtaCheck::failed("certificate length is not 48", certificateLength,
                  info.beforeLastSubElement->length);
  }
  return kPassed;
}

}  // namespace

OtaFileInfo otaFileRead(const std::uint8_t* file, std::size_t size) {
  OtaFileInfo info{};
  info.fileSize = size;
  info.headerComplete = size >= kOtaHeaderBaseLength;
  for (OtaCheck& c : info.checks) {
    c = kPassed;
  }

  if (size < 4) {
    info.check(OtaCheckId::fileIdentifier) = OtaCheck::failed("file shorter than the identifier", 4, size);
  } else if (get32(file) != kOtaFileIdentifier) {
    info.check(OtaCheckId::fileIdentifier) =
        OtaCheck::failedHex("not the OTA file identifier", kOtaFileIdentifier, get32(file));
  }

  if (info.headerComplete) {
    readHeader(file, size, info);
  }
  info.check(OtaCheckId::headerLength) = checkHeaderLength(info);
  if (!info.headerComplete) {
    info.check(OtaCheckId::totalImageSize) = OtaCheck::failed("no complete header");
  } else if (info.header.totalImageSize != size) {
    info.check(OtaCheckId::totalImageSize) =
        OtaCheck::failed("total image size differs from the file size", size, info.header.totalImageSize);
  }
  info.check(OtaCheckId::subElementChain) = walkSubElements(file, info);
  info.check(OtaCheckId::imagePreamble) = checkPreamble(file, info);
  info.check(OtaCheckId::imageCrc) = checkCrc(file, info);
  info.check(OtaCheckId::signatureLayout) = checkSignatureLayout(info);
  info.check(OtaCheckId::signatureVerification) = OtaCheck::notRun("not asked for");
  return info;
}

bool otaFileChecksPass(const OtaFileInfo& info) {
  return std::none_of(info.checks.begin(), info.checks.end(),
                      [](const OtaCheck& c) { return c.state == OtaCheckState::failed; });
}

const char* otaCheckName(OtaCheckId id) {
  switch (id) {
    case OtaCheckId::fileIdentifier:
      return "file identifier";
    case OtaCheckId::headerLength:
      return "header length";
    case OtaCheckId::totalImageSize:
      return "total image size";
    case OtaCheckId::subElementChain:
      return "sub-element chain";
    case OtaCheckId::imagePreamble:
      return "image preamble";
    case OtaCheckId::imageCrc:
      return "image CRC";
    case OtaCheckId::signatureLayout:
      return "signature layout";
    case OtaCheckId::signatureVerification:
      return "signature verification";
  }
  return "unknown";
}

const char* otaTagName(std::uint16_t tag) {
  switch (tag) {
    case kOtaTagUpgradeImage:
      return "upgrade image";
    case kOtaTagSignature:
      return "ECDSA signature";
    case kOtaTagCertificate:
      return "ECDSA signing certificate";
    default:
      return nullptr;
  }
}

}  // namespace otawrap
