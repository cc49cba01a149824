#include "ota/raw_to_ota.h"

#include "image/raw_reader.h"

namespace otawrap {

OtaConversionResult otaConvert(OtaConversionRequest& request, ByteSource* input,
                               std::uint8_t* buffer, std::size_t capacity, std::size_t& size) {
  OtaConversionResult result{ImageStatus::ok, {OtaBuildStatus::ok, 0}};
  result.build = otaCheckPayloads(request.extraPayloads);
  if (result.build.status != OtaBuildStatus::ok) {
    return result;
  }
  if (request.seal == OtaSeal::signature && request.credentials == nullptr) {
    result.build = {OtaBuildStatus::missingCredentials, 0};
    return result;
  }
  OtaHeader& header = request.header;
  ImageIdentifiers& ids = request.identifiers;
  header.headerLength = otaHeaderLengthFor(header.fieldControl);
  header.totalImageSize = header.headerLength;
  header.manufacturerCode = ids.manufacturerCode;
  header.imageType = ids.imageType;
  header.fileVersion = ids.fileVersion;
  std::size_t position = otaHeaderSerialize(header, buffer);

  std::size_t reserved = otaSealSize(request.seal, request.credentials);
  for (const OtaPayload& payload : request.extraPayloads) {
    const std::size_t room = capacity - position - reserved;
    if (payload.size > room || kOtaSubElementHeadSize > room - payload.size) {
      result.build = {OtaBuildStatus::fileTooLarge, 0};
      return result;
    }
    reserved += kOtaSubElementHeadSize + payload.size;
  }

  if (!request.noImage) {
    if (capacity - reserved < position + kUpgradeImageHeadSize) {
      result.image = ImageStatus::imageTooLarge;
      return result;
    }
    RawReader reader(*input);
    std::size_t end = 0;
    result.image = imageAppendUpgradeImage(reader, request.platform, ids, buffer, position,
                                           capacity - reserved, end);
    if (result.image != ImageStatus::ok) {
      return result;
    }
    header.manufacturerCode = ids.manufacturerCode;
    header.imageType = ids.imageType;
    header.fileVersion = ids.fileVersion;
    position = end;
  }
  for (const OtaPayload& payload : request.extraPayloads) {
    otaPayloadAppend(payload, buffer, position);
  }
  header.totalImageSize = static_cast<std::uint32_t>(position);
  result.build.status = otaSealFile(request.seal, request.credentials, header, buffer, position);
  size = position;
  return result;
}

}  // namespace otawrap
