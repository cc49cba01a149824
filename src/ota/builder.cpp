#include "ota/builder.h"

#include <cstring>

#include "ota/signed_file.h"
#include "ota/tags.h"
#include "sign/mmo.h"

namespace otawrap {

OtaBuildStatus otaPayloadTagStatus(std::uint16_t tag) {
  switch (tag) {
    case kOtaTagSignature:
    case kOtaTagCertificate:
    case kOtaTagIntegrityCode:
    case kOtaTagSignatureSuite2:
    case kOtaTagCertificateSuite2:
      return OtaBuildStatus::reservedTag;
    default:
      return OtaBuildStatus::ok;
  }
}

OtaBuildResult otaCheckPayloads(const std::vector<OtaPayload>& payloads) {
  for (std::size_t i = 0; i < payloads.size(); ++i) {
    const OtaBuildStatus status = otaPayloadTagStatus(payloads[i].tag);
    if (status != OtaBuildStatus::ok) {
      return {status, i};
    }
  }
  return {OtaBuildStatus::ok, 0};
}

std::size_t otaSealSize(OtaSeal seal, const SignerCredentials* credentials) {
  switch (seal) {
    case OtaSeal::signature:
      return otaSignedTrailerSize(credentials != nullptr ? credentials->curve
                                                         : SigningCurve::sect163k1);
    case OtaSeal::integrityCode:
      return kOtaIntegrityCodeSubElementSize;
    case OtaSeal::none:
      break;
  }
  return 0;
}

void otaPayloadAppend(const OtaPayload& payload, std::uint8_t* file, std::size_t& position) {
  otaSubElementHeadWrite(payload.tag, static_cast<std::uint32_t>(payload.size), file + position);
  position += kOtaSubElementHeadSize;
  if (payload.size != 0) {
    std::memcpy(file + position, payload.data, payload.size);
  }
  position += payload.size;
}

void otaIntegrityCodeAppend(OtaHeader& header, std::uint8_t* file, std::size_t& position) {
  header.totalImageSize += static_cast<std::uint32_t>(kOtaIntegrityCodeSubElementSize);
  otaHeaderPatch(header, file);
  // The hash covers everything before the sub-element's head, as a signature does.
  std::uint8_t digest[mmoDigestSize];
  mmoHash(file, static_cast<std::uint32_t>(position), digest);
  otaSubElementHeadWrite(kOtaTagIntegrityCode, kOtaIntegrityCodeLength, file + position);
  std::memcpy(file + position + kOtaSubElementHeadSize, digest, kOtaIntegrityCodeLength);
  position += kOtaIntegrityCodeSubElementSize;
}

OtaBuildStatus otaSealFile(OtaSeal seal, const SignerCredentials* credentials, OtaHeader& header,
                           std::uint8_t* file, std::size_t& position) {
  switch (seal) {
    case OtaSeal::signature:
      if (credentials == nullptr) {
        return OtaBuildStatus::missingCredentials;
      }
      switch (otaSignedFileAppend(header, file, position, *credentials)) {
        case SignStatus::ok:
          return OtaBuildStatus::ok;
        case SignStatus::signerFailed:
          return OtaBuildStatus::signerFailed;
        case SignStatus::signatureFailed:
          break;
      }
      return OtaBuildStatus::signatureFailed;
    case OtaSeal::integrityCode:
      otaIntegrityCodeAppend(header, file, position);
      return OtaBuildStatus::ok;
    case OtaSeal::none:
      break;
  }
  otaHeaderPatch(header, file);
  return OtaBuildStatus::ok;
}

OtaBuildResult otaLayoutFile(const OtaBuildRequest& request, OtaFileLayout& layout) {
  const OtaBuildResult checked = otaCheckPayloads(request.payloads);
  if (checked.status != OtaBuildStatus::ok) {
    return checked;
  }
  if (request.seal == OtaSeal::signature && request.credentials == nullptr) {
    return {OtaBuildStatus::missingCredentials, 0};
  }
  // Sizes add up one payload at a time, so no sum can wrap before the check.
  std::size_t total = otaHeaderLengthFor(request.header.fieldControl);
  const std::size_t seal = otaSealSize(request.seal, request.credentials);
  layout.payloadOffsets.clear();
  for (const OtaPayload& payload : request.payloads) {
    if (payload.size > kOtaFileSizeLimit ||
        kOtaSubElementHeadSize + payload.size + seal > kOtaFileSizeLimit - total) {
      return {OtaBuildStatus::fileTooLarge, 0};
    }
    layout.payloadOffsets.push_back(total + kOtaSubElementHeadSize);
    total += kOtaSubElementHeadSize + payload.size;
  }
  total += seal;
  if (total > kOtaFileSizeLimit) {
    return {OtaBuildStatus::fileTooLarge, 0};
  }
  layout.size = total;
  return {OtaBuildStatus::ok, 0};
}

OtaBuildStatus otaFinishFile(const OtaBuildRequest& request, const OtaFileLayout& layout,
                             std::uint8_t* file) {
  OtaHeader header = request.header;
  header.headerLength = otaHeaderLengthFor(header.fieldControl);
  std::size_t position = otaHeaderSerialize(header, file);
  for (std::size_t i = 0; i < request.payloads.size(); ++i) {
    const OtaPayload& payload = request.payloads[i];
    otaSubElementHeadWrite(payload.tag, static_cast<std::uint32_t>(payload.size), file + position);
    position = layout.payloadOffsets[i] + payload.size;
  }
  header.totalImageSize = static_cast<std::uint32_t>(position);
  otaHeaderPatch(header, file);
  return otaSealFile(request.seal, request.credentials, header, file, position);
}

OtaBuildResult otaBuildFile(const OtaBuildRequest& request, std::vector<std::uint8_t>& file) {
  file.clear();
  OtaFileLayout layout;
  const OtaBuildResult laid = otaLayoutFile(request, layout);
  if (laid.status != OtaBuildStatus::ok) {
    return laid;
  }
  std::vector<std::uint8_t> out(layout.size);
  for (std::size_t i = 0; i < request.payloads.size(); ++i) {
    const OtaPayload& payload = request.payloads[i];
    if (payload.size != 0) {
      std::memcpy(out.data() + layout.payloadOffsets[i], payload.data, payload.size);
    }
  }
  const OtaBuildStatus sealed = otaFinishFile(request, layout, out.data());
  if (sealed != OtaBuildStatus::ok) {
    return {sealed, 0};
  }
  file.swap(out);
  return {OtaBuildStatus::ok, 0};
}

}  // namespace otawrap
