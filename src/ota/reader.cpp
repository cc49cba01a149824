#include "ota/reader.h"

#include "image/assembly.h"
#include "image/crc.h"
#include "image/platform.h"

namespace otawrap {

namespace {

// Little-endian reads; callers have checked that the bytes are there.
std::uint16_t get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t get32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

constexpr OtaCheck kPassed{OtaCheckState::passed, nullptr, false, false, 0, 0};

OtaCheck failed(const char* reason) {
  return {OtaCheckState::failed, reason, false, false, 0, 0};
}

OtaCheck failed(const char* reason, std::uint64_t expected, std::uint64_t found) {
  return {OtaCheckState::failed, reason, true, false, expected, found};
}

OtaCheck failedHex(const char* reason, std::uint64_t expected, std::uint64_t found) {
  return {OtaCheckState::failed, reason, true, true, expected, found};
}

OtaCheck notApplicable(const char* reason) {
  return {OtaCheckState::notApplicable, reason, false, false, 0, 0};
}

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
    return failed("file shorter than the 56-byte header", kOtaHeaderBaseLength, info.fileSize);
  }
  const std::uint16_t expected = otaHeaderLengthFor(info.header.fieldControl);
  if (info.header.headerLength != expected) {
    return failed("header length does not match the field-control bits", expected,
                  info.header.headerLength);
  }
  if (info.header.headerLength > info.fileSize) {
    return failed("header runs past the end of the file", info.header.headerLength,
                  info.fileSize);
  }
  return kPassed;
}

// Walks the sub-elements from the header length to the end of the file.
OtaCheck walkSubElements(const std::uint8_t* file, OtaFileInfo& info) {
  const std::size_t size = info.fileSize;
  const std::size_t start = info.header.headerLength;
  if (!info.headerComplete || start < kOtaHeaderBaseLength || start > size) {
    return failed("no sub-elements: header length outside the file");
  }
  std::size_t at = start;
  while (at < size) {
    if (size - at < kOtaSubElementHeadSize) {
      return failed("sub-element head cut short by the end of the file", at + kOtaSubElementHeadSize,
                    size);
    }
    const std::uint16_t tag = get16(file + at);
    const std::uint32_t length = get32(file + at + 2);
    if (length > size - at - kOtaSubElementHeadSize) {
      return failed("sub-element runs past the end of the file",
                    std::uint64_t{at} + kOtaSubElementHeadSize + length, size);
    }
    info.subElements.push_back({tag, at, length});
    at += kOtaSubElementHeadSize + length;
  }
  return kPassed;
}

// Why the image checks do not apply: a broken chain may have hidden the image.
OtaCheck noUpgradeImage(const OtaFileInfo& info) {
  return notApplicable(info.check(OtaCheckId::subElementChain).state == OtaCheckState::passed
                           ? "no upgrade image"
                           : "no complete upgrade image");
}

const OtaSubElement* findTag(const OtaFileInfo& info, std::uint16_t tag) {
  for (const OtaSubElement& e : info.subElements) {
    if (e.tag == tag) return &e;
  }
  return nullptr;
}

OtaCheck checkPreamble(const std::uint8_t* file, const OtaFileInfo& info) {
  const OtaSubElement* image = findTag(info, kOtaTagUpgradeImage);
  if (image == nullptr) {
    return noUpgradeImage(info);
  }
  if (image->length < kImagePreambleEnd) {
    return failed("upgrade image shorter than its preamble", kImagePreambleEnd, image->length);
  }
  const std::uint8_t* data = file + image->offset + kOtaSubElementHeadSize;
  const OtaHeader& h = info.header;
  const std::uint32_t length = get32(data + kImageLengthOffset);
  if (length != image->length) {
    return failed("preamble length differs from the sub-element length", image->length, length);
  }
  const std::uint16_t manufacturer = get16(data + kImageManufacturerOffset);
  if (manufacturer != h.manufacturerCode) {
    return failedHex("preamble manufacturer code differs from the header", h.manufacturerCode,
                  manufacturer);
  }
  const std::uint16_t imageType = get16(data + kImageTypeOffset);
  if (imageType != h.imageType) {
    return failedHex("preamble image type differs from the header", h.imageType, imageType);
  }
  const std::uint32_t version = get32(data + kImageFileVersionOffset);
  if (version != h.fileVersion) {
    return failedHex("preamble file version differs from the header", h.fileVersion, version);
  }
  return kPassed;
}

OtaCheck checkCrc(const std::uint8_t* file, OtaFileInfo& info) {
  const OtaSubElement* image = findTag(info, kOtaTagUpgradeImage);
  if (image == nullptr) {
    return noUpgradeImage(info);
  }
  const std::uint8_t* data = file + image->offset + kOtaSubElementHeadSize;
  const std::size_t length = image->length;
  // The CRC offsets the platforms use, in the order they are tried.
  const std::uint32_t offsets[] = {platformCrcOffset(Platform::quillDev),
                                   platformCrcOffset(Platform::fenBoard)};
  if (length < offsets[0] + 4) {
    return failed("upgrade image too short for its CRC", offsets[0] + 4, length);
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
  return failed("image CRC matches at neither offset 0x88 nor 0");
}

OtaCheck checkSignatureLayout(const OtaFileInfo& info) {
  const OtaSubElement* signature = findTag(info, kOtaTagSignature);
  const OtaSubElement* certificate = findTag(info, kOtaTagCertificate);
  if (signature == nullptr && certificate == nullptr) {
    return notApplicable("unsigned file");
  }
  if (signature == nullptr) {
    return failed("certificate without a signature");
  }
  const std::size_t count = info.subElements.size();
  const OtaSubElement& last = info.subElements[count - 1];
  if (last.tag != kOtaTagSignature) {
    return failed("signature is not the last sub-element");
  }
  const std::uint32_t signatureLength = kOtaSignatureSubElementSize - kOtaSubElementHeadSize;
  if (last.length != signatureLength) {
    return failed("signature length is not 50", signatureLength, last.length);
  }
  if (count < 2 || info.subElements[count - 2].tag != kOtaTagCertificate) {
    return failed("no certificate right before the signature");
  }
  const std::uint32_t certificateLength =
      kOtaCertificateSubElementSize - kOtaSubElementHeadSize;
  if (info.subElements[count - 2].length != certificateLength) {
    return failed("certificate length is not 48", certificateLength,
                  info.subElements[count - 2].length);
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
    info.check(OtaCheckId::fileIdentifier) = failed("file shorter than the identifier", 4, size);
  } else if (get32(file) != kOtaFileIdentifier) {
    info.check(OtaCheckId::fileIdentifier) =
        failedHex("not the OTA file identifier", kOtaFileIdentifier, get32(file));
  }

  if (info.headerComplete) {
    readHeader(file, size, info);
  }
  info.check(OtaCheckId::headerLength) = checkHeaderLength(info);
  if (!info.headerComplete) {
    info.check(OtaCheckId::totalImageSize) = failed("no complete header");
  } else if (info.header.totalImageSize != size) {
    info.check(OtaCheckId::totalImageSize) =
        failed("total image size differs from the file size", size, info.header.totalImageSize);
  }
  info.check(OtaCheckId::subElementChain) = walkSubElements(file, info);
  info.check(OtaCheckId::imagePreamble) = checkPreamble(file, info);
  info.check(OtaCheckId::imageCrc) = checkCrc(file, info);
  info.check(OtaCheckId::signatureLayout) = checkSignatureLayout(info);
  info.check(OtaCheckId::signatureVerification) = {OtaCheckState::notRun, "not asked for",
                                                   false, false, 0, 0};
  return info;
}

bool otaFileChecksPass(const OtaFileInfo& info) {
  for (const OtaCheck& c : info.checks) {
    if (c.state == OtaCheckState::failed) return false;
  }
  return true;
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
