// OTA files from arbitrary payloads: the header, the caller's sub-elements in
// the given order, then optionally a seal: the certificate and signature
// sub-elements (as a signed conversion writes them) or an image integrity
// code. The pieces are also used by the conversion (ota/raw_to_ota.h), which
// builds into its own buffer.
//
// Tags 0x0001..0x0003, 0x0005 and 0x0006 are written only by the seal and are
// refused from the caller. Failures are
// returned as statuses; no partial file is handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ota/header.h"
#include "sign/credentials.h"

namespace otawrap {

// The builder writes files of at most kOtaFileSizeLimit bytes (ota/format.h).

// One sub-element to write: data[0..size) is the caller's and is only read.
struct OtaPayload {
  std::uint16_t tag;
  const std::uint8_t* data;  // may be nullptr when size is 0
  std::size_t size;
};

enum class OtaSeal : std::uint8_t {
  none,
  signature,      // certificate, then signature of the credentials' suite (0x0002 and
                  // 0x0001, or 0x0006 and 0x0005), verified
  integrityCode,  // 0x0003, the AES-MMO hash of every byte before its head
};

enum class OtaBuildStatus : std::uint8_t {
  ok,
  reservedTag,         // 0x0001..0x0003, 0x0005 or 0x0006 among the caller's payloads
  fileTooLarge,        // the file would exceed kOtaFileSizeLimit (or the buffer)
  missingCredentials,  // OtaSeal::signature without credentials
  signatureFailed,     // the signature could not be made or did not verify
  signerFailed,        // the outside signer gave no signature
};

struct OtaBuildResult {
  OtaBuildStatus status;
  std::size_t payloadIndex;  // the refused payload for reservedTag
};

// ok or reservedTag for a tag a caller asks for.
OtaBuildStatus otaPayloadTagStatus(std::uint16_t tag);

// The first refused tag among payloads, or ok.
OtaBuildResult otaCheckPayloads(const std::vector<OtaPayload>& payloads);

// Bytes the seal appends: 0, otaSignedTrailerSize of the credentials' curve
// (suite 1's without credentials) or kOtaIntegrityCodeSubElementSize.
std::size_t otaSealSize(OtaSeal seal, const SignerCredentials* credentials);

// Writes the payload as a sub-element at file[position] and advances position.
// The caller has checked the room (6 + size bytes) and the tag.
void otaPayloadAppend(const OtaPayload& payload, std::uint8_t* file, std::size_t& position);

// With the unsigned file in file[0..position) (header serialised at offset 0,
// header.totalImageSize == position): sets the final total size, patches the
// header, and appends the integrity-code sub-element over every byte before
// it. file must have room for kOtaIntegrityCodeSubElementSize bytes behind
// position, and position + that < 2^29.
void otaIntegrityCodeAppend(OtaHeader& header, std::uint8_t* file, std::size_t& position);

// Finishes the file in file[0..position) as above with the seal: none patches
// the header; signature is otaSignedFileAppend; integrityCode is
// otaIntegrityCodeAppend. Needs room for otaSealSize(seal) bytes behind
// position. On failure the file is not to be written.
OtaBuildStatus otaSealFile(OtaSeal seal, const SignerCredentials* credentials, OtaHeader& header,
                           std::uint8_t* file, std::size_t& position);

struct OtaBuildRequest {
  // Start from otaHeaderDefaults, then set the identifiers, stack version,
  // header string, field control and optional fields. The header length and
  // total size are the builder's.
  OtaHeader header;
  std::vector<OtaPayload> payloads;  // in file order
  OtaSeal seal = OtaSeal::none;
  const SignerCredentials* credentials = nullptr;  // for OtaSeal::signature
};

// The whole file in file (replaced; empty on failure). The total size is
// checked before anything is allocated. Same bytes as otaLayoutFile, the
// payloads copied to their offsets, then otaFinishFile.
OtaBuildResult otaBuildFile(const OtaBuildRequest& request, std::vector<std::uint8_t>& file);

// Where each part of a file goes, decided before any payload byte exists, so
// a caller can read payloads straight into their places in one buffer.
struct OtaFileLayout {
  std::vector<std::size_t> payloadOffsets;  // payload i's bytes start here
  std::size_t size = 0;                     // the whole file, seal included
};

// Checks the tags, credentials and total size of request exactly as
// otaBuildFile does (only each payload's tag and size are used, data may be
// nullptr) and fills layout; on failure layout is unspecified.
OtaBuildResult otaLayoutFile(const OtaBuildRequest& request, OtaFileLayout& layout);

// With file[0..layout.size) allocated and each payload's bytes already at its
// offset (request's data pointers are not read), writes the header, every
// sub-element head and the seal around them. request and layout must be the
// pair otaLayoutFile accepted. On failure the file is not to be written.
OtaBuildStatus otaFinishFile(const OtaBuildRequest& request, const OtaFileLayout& layout,
                             std::uint8_t* file);

}  // namespace otawrap
