// The report of `info` and `verify`: an OtaFileInfo as text or as one JSON
// object, both driven by the same field table. At most
// kOtaListedSubElementLimit sub-elements are listed; the rest are counted.
#pragma once

#include <functional>
#include <string>

#include "ota/payload_verdicts.h"
#include "ota/reader.h"
#include "report/header_fields.h"
#include "report/json_writer.h"

namespace otawrap {

// Human-readable: the file and its whole size, the vendor prefix when there
// is one, every header field with its name and value (the optional ones the
// field control announces), the listed sub-elements (tag, name from
// report/check_texts.h, offset from the OTA file identifier, length) and a line with how
// many more there are, and each check as "ok", "FAILED: <reason>", "not
// applicable (<reason>)". Checks left notRun are not shown. Control characters in the file name are escaped
// (\n, \x1B, ...). Ends with a newline.
// Under each upgrade image listed in payloads (matched by offset), a line
// "    payload: " and payloadSummaryText (report/payload_report.h).
std::string infoFormatText(const OtaFileInfo& info, const std::string& fileName,
                           const std::vector<OtaPayloadVerdict>& payloads = {});

// The same as one JSON object on one line, followed by a newline: "file",
// "fileSize" (the whole file), "prefixLength" (0 without a vendor prefix),
// "header" (null when incomplete; numbers as integers, the header
// string as text without its zero padding and as "headerStringHex", the
// destination as 16 hex digits, most significant first), "subElements"
// (tag, name, offset, length), "subElementsOmitted", "imageCrcOffset" (null unless the CRC matched),
// "checks" (notRun ones left out) and "ok" (false also when a payload check
// failed). A sub-element with a payload verdict gets "payload" (payloadJson).
// extraMembers, when given, writes members of its own before "ok".
std::string infoFormatJson(const OtaFileInfo& info, const std::string& fileName,
                           const std::vector<OtaPayloadVerdict>& payloads = {},
                           const std::function<void(JsonWriter&)>& extraMembers = nullptr);

}  // namespace otawrap
