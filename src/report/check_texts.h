// The words of the OTA report: the name of each check, the text of each
// reason a check gives, and the name of each sub-element kind. The reader and
// the checks record only the enums; every text the report, info, verify,
// index and extract print comes from these three tables. Never nullptr.
#pragma once

#include <string>

#include "ota/headless.h"
#include "ota/reader.h"
#include "ota/tags.h"
#include "ota/wrapping.h"

namespace otawrap {

// "file identifier", "image CRC", ...
const char* otaCheckName(OtaCheckId id);

// "not the OTA file identifier", ...; "" for none.
const char* otaReasonText(OtaReason reason);

// The reason as shown: otaReasonText, with the count or block a reason
// carries in its values ("3 bytes after the total image size").
std::string otaCheckReasonText(const OtaCheck& check);

// "signed container with block hashes", "CRC-32", "raw image with a
// CRC-16, CRC-16 ok", ...
const char* otaWrapKindName(OtaWrapKind kind);
const char* otaTrailerKindName(OtaTrailerKind kind);
const char* otaHeadlessKindName(OtaHeadlessKind kind);

// "upgrade image", "ECDSA signature (crypto suite 1)", ..., "manufacturer
// specific", "unknown".
const char* otaTagKindName(OtaTagKind kind);

}  // namespace otawrap
