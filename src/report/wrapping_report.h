// The parts of the info/verify report about what surrounds and ends an OTA
// file: a container or prefix, a trailer, a headless payload.
#pragma once

#include <string>

#include "ota/reader.h"
#include "report/json_writer.h"

namespace otawrap {

// One line each for the container or prefix and the trailer; "" for a
// plain file.
std::string wrappingReportText(const OtaFileInfo& info);

// The members "container", "trailer" and "headlessPayload", each null when
// there is none.
void wrappingReportJson(const OtaFileInfo& info, JsonWriter& json);

}  // namespace otawrap
