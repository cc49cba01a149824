// otawrap info FILE [--platform NAME] [--json]: shows what an OTA file holds
// and whether it is sound.
#pragma once

#include <string>

#include "commands/failure.h"

namespace otawrap {

struct InfoOptions {
  std::string file;
  bool json = false;
  OtaReadOptions read;  // --platform forces the image checks
};

// Reads options.file (from its OTA file identifier on, behind any vendor
// prefix) and prints its header fields, sub-elements and checks, as
// text or as one JSON object. Returns 0 when every check passes, 1 when one
// fails, 2 when the file cannot be read or the report cannot be written.
int runInfoCommand(const InfoOptions& options, Console console);

}  // namespace otawrap
