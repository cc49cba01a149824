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
      return OtaBuildStatus::reservedTag;
    case kOtaTagSignatureSuite2:
    case kOtaTagCertificateSuite2:
      return OtaBuildStatus::unsupportedTag;
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

std::size_t otaSealSize(OtaSeal seal) {
  switch (seal) {
    case OtaSeal::signature:
      return kOtaSignedTrailerSize;
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
      return otaSignedFileAppend(header, file, position, *credentials) == SignStatus::ok
                 ? OtaBuildStatus::ok
                 : OtaBuildStatus::signatureFailed;
    case OtaSeal::integrityCode:
      otaIntegrityCodeAppend(header, file, position);
      return OtaBuildStatus::ok;
    case OtaSeal::none:
      break;
  }
  otaHeaderPatch(header, file);
  return OtaBuildStatus::ok;
}

OtaBuildResult otaBuildFile(const OtaBuildRequest& request, std::vector<std::uint8_t>& file) {
  file.clear();
  const OtaBuildResult checked = otaCheckPayloads(request.payloads);
  if (checked.status != OtaBuildStatus::ok) {
    return checked;
  }
  if (request.seal == OtaSeal::signature && request.credentials == nullptr) {
    return {OtaBuildStatus::missingCredentials, 0};
  }
  OtaHeader header = request.header;
  header.headerLength = otaHeaderLengthFor(header.fieldControl);
  // Sizes add up one payload at a time, so no sum can wrap before the check.
  std::size_t total = header.headerLength + otaSealSize(request.seal);
  for (const OtaPayload& payload : request.payloads) {
    if (payload.size > kOtaFileSizeLimit ||
        kOtaSubElementHeadSize + payload.size > kOtaFileSizeLimit - total) {
      return {OtaBuildStatus::fileTooLarge, 0};
    }
    total += kOtaSubElementHeadSize + payload.size;
  }
  if (total > kOtaFileSizeLimit) {
    return {OtaBuildStatus::fileTooLarge, 0};
  }

  std::vector<std::uint8_t> out(total);
  std::size_t position = otaHeaderSerialize(header, out.data());
  for (const OtaPayload& payload : request.payloads) {
    otaPayloadAppend(payload, out.data(), position);
  }
  header.totalImageSize = static_cast<std::uint32_t>(position);
  otaHeaderPatch(header, out.data());
  const OtaBuildStatus sealed =
      otaSealFile(request.seal, request.credentials, header, out.data(), position);
  if (sealed != OtaBuildStatus::ok) {
    return {sealed, 0};
  }
  file.swap(out);
  return {OtaBuildStatus::ok, 0};
}

}  // namespace otawrap
