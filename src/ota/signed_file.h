// Signed OTA file: the certificate and signature sub-elements behind the
// upgrade image, with the header settled before the file is hashed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ota/header.h"
#include "sign/credentials.h"

namespace otawrap {

enum class SignStatus { ok, signatureFailed };

// With the unsigned file in file[0..position) (header serialised at offset 0,
// header.totalImageSize == position): appends the certificate sub-element
// (tag 0x0002, 48 bytes), sets the final total size, patches the header in
// file, hashes everything before the signature with AES-MMO and appends the
// signature sub-element (tag 0x0001: IEEE address as stored, r, s). The
// signature is verified under the public key d*G before it is written; a
// signature that does not verify is a failure. file must
// have room for kOtaSignedTrailerSize bytes behind position. On success
// position is the end of the file; on signatureFailed the file is not to be
// written.
SignStatus otaSignedFileAppend(OtaHeader& header, std::uint8_t* file, std::size_t& position,
                               const SignerCredentials& credentials);

}  // namespace otawrap
