// The words of the OTA report: the name of each check, the text of each
// reason a check gives, and the name of each sub-element kind. The reader and
// the checks record only the enums; every text the report, info, verify,
// index and extract print comes from these three tables. Never nullptr.
#pragma once

#include "ota/reader.h"
#include "ota/tags.h"

namespace otawrap {

// "file identifier", "image CRC", ...
const char* otaCheckName(OtaCheckId id);

// "not the OTA file identifier", ...; "" for none.
const char* otaReasonText(OtaReason reason);

// "upgrade image", "ECDSA signature (crypto suite 1)", ..., "manufacturer
// specific", "unknown".
const char* otaTagKindName(OtaTagKind kind);

}  // namespace otawrap
