// The report of otawrap --info (and --verify): an OtaFileInfo as text or as
// one JSON object.
#pragma once

#include <string>

#include "ota/reader.h"

namespace otawrap {

// Human-readable: the file, every header field with its name and value (the
// optional ones the field control announces), the sub-elements (tag, name,
// offset, length) and each check as "ok", "FAILED: <reason>" or "not
// applicable (<reason>)". Checks left notRun are not shown. Ends with a newline.
std::string infoFormatText(const OtaFileInfo& info, const std::string& fileName);

// The same as one JSON object on one line, followed by a newline: "file",
// "fileSize", "header" (null when incomplete; numbers as integers, the header
// string as text without its zero padding and as "headerStringHex", the
// destination as 16 hex digits, most significant first), "subElements",
// "imageCrcOffset" (null unless the CRC matched), "checks" (notRun ones left
// out) and "ok".
std::string infoFormatJson(const OtaFileInfo& info, const std::string& fileName);

}  // namespace otawrap
