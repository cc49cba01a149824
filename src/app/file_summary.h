// The JSON summary convert and build print for the file they wrote.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ota/reader.h"

namespace otawrap {

// One JSON object and a newline: path, size, identifiers, header length,
// platform (null when platform is nullptr), whether signed or sealed with an
// integrity code, and the sub-elements (tag, offset, length) of the file
// read as info (otaFileRead of the size bytes written). A line of a batch names its input first: "file" (input,
// when not empty) and "ok": true, as the batch's error lines do.
std::string writtenFileJson(const std::string& path, const OtaFileInfo& info, std::size_t size,
                            const char* platform, bool signedFile, bool integrityCode,
                            const std::string& input = "");

}  // namespace otawrap
