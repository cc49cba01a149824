// otawrap info FILE... [--platform NAME] [--no-payload-check] [--json]: shows
// what each OTA file holds and whether it is sound.
#pragma once

#include "app/command.h"
#include "app/ota_report.h"

namespace otawrap {

struct InfoOptions : OtaFilesChoice {};

// The definition. The run reads each file through the OTA input service and
// prints its header fields, sub-elements (with the payload of each upgrade
// image) and checks, as text or as one JSON object (app/ota_report.h).
const CommandDefinition<InfoOptions>& infoDefinition();
const Command& infoCommand();

}  // namespace otawrap
