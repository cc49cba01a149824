// The words for an upgrade image's payload verdict (ota/payload_verdicts.h):
// the format's name, what a passing check verified, each reason, and the
// one-line summary and JSON object the info report shows. Never nullptr.
#pragma once

#include <cstdint>
#include <string>

#include "ota/payload_verdicts.h"
#include "report/json_writer.h"

namespace otawrap {

// "GBL", "xz stream", "unknown format", ...
const char* payloadFormatName(PayloadFormat format);

// "CRC ok", "Adler-32 ok", ... what an ok verdict of the format verified.
const char* payloadCheckKindText(PayloadCheckKind kind);

// "truncated", "checksum mismatch", "no check known", ...; "" for none.
const char* payloadReasonText(PayloadReason reason);

// "SHA-256 trailer", "CRC-32 trailer", "marked CRC-32 trailer"; "" for none.
const char* payloadTrailerName(PayloadTrailerKind kind);

// The trailer's JSON key: "sha256", "crc32", "marked-crc32"; "" for none.
const char* payloadTrailerKey(PayloadTrailerKind kind);

// value in decimal with a comma between groups of three digits: "412,345".
std::string groupedNumber(std::uint64_t value);

// "GBL, 412,345 bytes, CRC ok", "GBL, 412,345 bytes, FAILED: truncated",
// "xz stream, 9,032 bytes, framing and CRCs ok (data not decompressed),
// SHA-256 trailer ok", "GBL, 9,000 bytes, CRC ok, followed by 68 bytes",
// "unknown format, 2,048 bytes, not checkable (unknown format)", a nested
// file's identifiers in parentheses after its name, or with the check
// skipped "..., check skipped".
std::string payloadSummaryText(const OtaPayloadVerdict& verdict);

// The verdict as a JSON object: "format" (the stable key), "name",
// "length", "check" ("ok", "failed", "not checkable" or "skipped") and,
// unless ok or skipped, "reason"; when present "trailer" (kind, offset,
// length, check), "followedBy" (bytes) and "nested" (the nested header's
// identifiers, "layout" plain or vendor, a vendor layout's "lengthsAgree").
void payloadJson(JsonWriter& json, const OtaPayloadVerdict& verdict);

}  // namespace otawrap
