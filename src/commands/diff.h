// otawrap diff A B [--json]: what differs between two OTA files.
#pragma once

#include <string>

#include "app/command.h"
#include "app/ota_input.h"

namespace otawrap {

struct DiffOptions {
  std::string first;
  std::string second;
  bool json = false;
  OtaInputOptions input;
};

// The definition. The run reads both files through the OTA input service and
// prints, one line each, what differs: header fields, the sub-element list
// (tag, length, data), the payload of each upgrade image (format and
// verdict), the signer and certificate, the integrity code. A command that
// judges: 0 same, 1 different (or not an OTA file), 2 unreadable.
const CommandDefinition<DiffOptions>& diffDefinition();
const Command& diffCommand();

}  // namespace otawrap
