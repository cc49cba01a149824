// otawrap index FILE... [--url-prefix URL]: zigbee-herdsman OTA index
// entries for OTA files.
#pragma once

#include <string>
#include <vector>

#include "commands/failure.h"

namespace otawrap {

struct IndexOptions {
  std::vector<std::string> files;  // at least one
  bool urlPrefixGiven = false;
  std::string urlPrefix;  // url = urlPrefix + the file's name; else the path as given
};

// Reads each file in turn (64 MiB at most; a vendor header before the OTA file
// identifier is kept in the size and hash) and, once all pass every check
// info makes, prints one JSON array of their entries. Returns 0; 1 when a file
// fails a check (naming the file and the check; nothing printed); 2 when a
// file cannot be read or the array cannot be written.
int runIndexCommand(const IndexOptions& options, Console console);

}  // namespace otawrap
