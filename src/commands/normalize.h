// otawrap normalize FILE (--output OUT | --output-dir DIR): the plain OTA
// file inside a downloaded file, without the container, prefix or trailer
// around it.
#pragma once

#include <string>

#include "cli/command_definition.h"
#include "app/file_settings.h"

namespace otawrap {

struct NormalizeOptions {
  std::string file;
  OutputChoice output;  // OUT, or DIR and the name MMMM-TTTT-VVVVVVVV.zigbee
  ReportChoice report;
};

// The definition. The run reads FILE as info does; when every check passes it
// writes the OTA file's own bytes (from its identifier, the total image size
// long) unchanged, so its signature or integrity code still holds, and
// prints what it removed before and after them, then the path written (or a
// JSON object, or nothing with --quiet). Returns 0; 1 when a check fails
// (nothing is written); 2 when FILE cannot be read or the output cannot be
// written (then no output file is left and an existing one is untouched).
const CommandDefinition<NormalizeOptions>& normalizeDefinition();

}  // namespace otawrap
