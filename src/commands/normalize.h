// otawrap normalize FILE (--output OUT | --output-dir DIR): the plain OTA
// file inside a downloaded file, without the container, prefix or trailer
// around it.
#pragma once

#include <string>

#include "app/command.h"
#include "app/file_settings.h"
#include "app/ota_input.h"

namespace otawrap {

struct NormalizeOptions {
  std::string file;
  OutputChoice output;  // OUT, or DIR and the name MMMM-TTTT-VVVVVVVV.zigbee
  ReportChoice report;
  bool force = false;  // write the OTA file although it fails a check
  OtaInputOptions input;
};

// The definition. The run reads FILE through the OTA input service; when
// every check passes (or with --force) it writes the OTA file's own bytes
// (from its identifier, the total image size long) unchanged, so its
// signature or integrity code still holds, and prints what it removed before
// and after them, then the path written (or a JSON object, or nothing with
// --quiet). A command that makes files: 0, or 2 with no output file left and
// an existing one untouched.
const CommandDefinition<NormalizeOptions>& normalizeDefinition();
const Command& normalizeCommand();

}  // namespace otawrap
