#include "ota/header_rewrite.h"

#include <cstring>
#include <utility>

#include "codec/bytes.h"
#include "image/assembly.h"
#include "image/crc.h"
#include "ota/element_checks.h"

namespace otawrap {

namespace {

std::size_t endOf(const OtaSubElement& element) {
  return element.dataOffset() + element.length;
}

// The header the new file gets, or the status that forbids it.
OtaRestampStatus restampedHeader(const OtaFileInfo& info, const OtaRestampFields& fields,
                                 OtaHeader& header) {
  header = info.header;
  if (fields.fileVersionGiven) header.fileVersion = fields.fileVersion;
  if (fields.headerStringGiven) header.headerString = fields.headerString;
  const bool minGiven = fields.minimumHardwareVersionGiven;
  const bool maxGiven = fields.maximumHardwareVersionGiven;
  if (minGiven || maxGiven) {
    if (!info.hardwareVersionsPresent && !(minGiven && maxGiven)) {
      return OtaRestampStatus::hardwareRangeIncomplete;
    }
    header.fieldControl |= kOtaFieldHardwareVersions;
    if (minGiven) header.minimumHardwareVersion = fields.minimumHardwareVersion;
    if (maxGiven) header.maximumHardwareVersion = fields.maximumHardwareVersion;
    if (header.minimumHardwareVersion > header.maximumHardwareVersion) {
      return OtaRestampStatus::hardwareRangeInverted;
    }
  }
  header.headerLength = otaHeaderLengthFor(header.fieldControl);
  return OtaRestampStatus::ok;
}

// Stamps the preamble of this tool's upgrade image again, as convert does:
// the identifiers of header and the image CRC where the input's matched.
// built holds the new file, its sub-elements moved by shift bytes; body
// ends at bodyEnd. False, and nothing touched, when the input's preamble
// and CRC are not this tool's.
bool restampPreamble(const OtaFileInfo& info, const OtaHeader& header, std::uint8_t* built,
                     std::size_t bodyEnd, std::ptrdiff_t shift, std::uint16_t& crc) {
  if (!info.firstUpgradeImage || info.check(OtaCheckId::imagePreamble).state != OtaCheckState::passed ||
      info.check(OtaCheckId::imageCrc).state != OtaCheckState::passed) {
    return false;
  }
  const OtaSubElement& element = *info.firstUpgradeImage;
  const std::size_t length = element.length;
  const std::size_t at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(element.dataOffset()) + shift);
  if (length < kImagePreambleEnd || length < std::size_t{info.imageCrcOffset} + 4 ||
      at + length > bodyEnd) {
    return false;
  }
  std::uint8_t* image = built + at;
  storeLittle16(header.manufacturerCode, image + kImageManufacturerOffset);
  storeLittle16(header.imageType, image + kImageTypeOffset);
  storeLittle32(header.fileVersion, image + kImageFileVersionOffset);
  crc = imageCrcCompute(image, length, info.imageCrcOffset);
  storeLittle16(crc, image + info.imageCrcOffset);
  return true;
}

}  // namespace

OtaSealSpan otaSealSpan(const OtaFileInfo& info) {
  OtaSealSpan span{OtaSeal::none, false, info.fileSize};
  const std::optional<OtaSubElement>& code = info.firstIntegrityCode;
  const Suite2Layout suite2 = otaSuite2SignatureLayout(info);
  const bool certificateThenSignature =
      info.check(OtaCheckId::signatureLayout).state == OtaCheckState::passed ||
      suite2 == Suite2Layout::wellFormed;
  if (certificateThenSignature && info.beforeLastSubElement) {
    span.seal = OtaSeal::signature;
    span.start = info.beforeLastSubElement->offset;
  } else if (suite2 == Suite2Layout::withoutCertificate && info.lastSubElement) {
    span.seal = OtaSeal::signature;
    span.start = info.lastSubElement->offset;
  } else if (code && info.lastSubElement && code->offset == info.lastSubElement->offset) {
    span.seal = OtaSeal::integrityCode;
    span.integrityCode = true;
    span.start = code->offset;
    return span;
  }
  // A code right before the certificate belongs to the seal too.
  if (span.seal == OtaSeal::signature && code && endOf(*code) == span.start) {
    span.integrityCode = true;
    span.start = code->offset;
  }
  return span;
}

OtaRestampResult otaRestamp(const std::uint8_t* file, const OtaFileInfo& info,
                            const OtaRestampRequest& request, std::vector<std::uint8_t>& out) {
  out.clear();
  OtaRestampResult result;
  const OtaSealSpan span = otaSealSpan(info);
  result.sealBefore = span.seal;
  if (span.seal == OtaSeal::signature && request.resign == OtaResign::keep) {
    result.status = OtaRestampStatus::signatureWouldBreak;
    return result;
  }
  if (request.resign == OtaResign::sign) {
    result.sealAfter = OtaSeal::signature;
  } else if (span.integrityCode) {
    result.sealAfter = OtaSeal::integrityCode;
  }
  if (result.sealAfter == OtaSeal::signature && request.credentials == nullptr) {
    result.status = OtaRestampStatus::signatureFailed;
    return result;
  }

  OtaHeader header{};
  result.status = restampedHeader(info, request.fields, header);
  if (result.status != OtaRestampStatus::ok) return result;

  // The sub-elements between the old header and the old seal, unchanged.
  const std::size_t bodyStart = info.header.headerLength;
  const std::size_t bodySize = span.start - bodyStart;
  const std::size_t size =
      header.headerLength + bodySize + otaSealSize(result.sealAfter, request.credentials);
  if (size > kOtaFileSizeLimit) {
    result.status = OtaRestampStatus::fileTooLarge;
    return result;
  }
  std::vector<std::uint8_t> built(size);
  std::size_t position = header.headerLength;
  header.totalImageSize = static_cast<std::uint32_t>(position + bodySize);
  otaHeaderSerialize(header, built.data());
  if (bodySize != 0) std::memcpy(built.data() + position, file + bodyStart, bodySize);
  position += bodySize;
  const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(header.headerLength) -
                               static_cast<std::ptrdiff_t>(info.header.headerLength);
  result.preambleStamped =
      restampPreamble(info, header, built.data(), position, shift, result.imageCrc);
  const OtaBuildStatus sealed =
      otaSealFile(result.sealAfter, request.credentials, header, built.data(), position);
  if (sealed != OtaBuildStatus::ok) {
    result.status = sealed == OtaBuildStatus::signerFailed ? OtaRestampStatus::signerFailed
                                                           : OtaRestampStatus::signatureFailed;
    return result;
  }

  result.after = otaFileRead(built.data(), built.size());
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    if (result.after.checks[i].state == OtaCheckState::failed) {
      result.status = OtaRestampStatus::checkFails;
      result.failedCheck = static_cast<OtaCheckId>(i);
      return result;
    }
  }
  out = std::move(built);
  return result;
}

}  // namespace otawrap
