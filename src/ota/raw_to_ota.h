// The conversion of a raw firmware file into an OTA file in the caller's
// buffer: header with its optional fields, upgrade image, the caller's extra
// sub-elements, then the seal (none, signature or integrity code). With no
// extra sub-elements and no integrity code it writes the same bytes as the
// conversion of the legacy command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/assembly.h"
#include "image/byte_source.h"
#include "image/platform.h"
#include "ota/builder.h"
#include "ota/header.h"

namespace otawrap {

struct OtaConversionRequest {
  // From otaHeaderDefaults, with the stack version, header string, field
  // control and optional fields set (header length and total size follow from
  // the field control). The identifiers come from `identifiers`.
  OtaHeader header;
  ImageIdentifiers identifiers;  // given ones are stamped, the others read
  Platform platform = Platform::quillDev;
  bool noImage = false;                   // header and extras only; input unused
  std::vector<OtaPayload> extraPayloads;  // behind the upgrade image, in order
  OtaSeal seal = OtaSeal::none;
  const SignerCredentials* credentials = nullptr;  // for OtaSeal::signature
};

struct OtaConversionResult {
  ImageStatus image;     // ok unless the upgrade image failed
  OtaBuildResult build;  // ok unless an extra payload or the seal failed
  bool ok() const { return image == ImageStatus::ok && build.status == OtaBuildStatus::ok; }
};

// Converts input (a raw file stream; may be nullptr with noImage) into
// buffer[0..size). The upgrade image gets the room left once the extras and
// the seal are reserved; it fails with imageTooLarge beyond that. On success
// request.header and request.identifiers hold the final values. capacity must
// be at least kOtaHeaderMaxLength + 6 + otaSealSize(seal) and below 2^29.
// On failure buffer is undefined and must not be written out.
OtaConversionResult otaConvert(OtaConversionRequest& request, ByteSource* input,
                               std::uint8_t* buffer, std::size_t capacity, std::size_t& size);

}  // namespace otawrap
