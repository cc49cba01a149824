// otawrap info FILE [--json]: shows what an OTA file holds and whether it is
// sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/failure.h"

namespace otawrap {

struct InfoOptions {
  std::string file;
  bool json = false;
};

// Reads an OTA file of at most kOtaFileReadLimit bytes; false with problem
// set when it cannot be read or is too large.
bool readOtaFile(const std::string& path, std::vector<std::uint8_t>& bytes, Problem& problem);

// Reads options.file and prints its header fields, sub-elements and checks, as
// text or as one JSON object. Returns 0 when every check passes, 1 when one
// fails, 2 when the file cannot be read or the report cannot be written.
int runInfoCommand(const InfoOptions& options, Console console);

}  // namespace otawrap
