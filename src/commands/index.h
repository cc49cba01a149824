// otawrap index FILE... [--format herdsman|zigpy] [metadata options]
// [--url-prefix URL] [--file-size total-image|download] [--update INDEX.json]:
// OTA index entries for OTA files, printed or merged into an index.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/command.h"
#include "app/index_json.h"
#include "app/ota_input.h"

namespace otawrap {

struct IndexOptions {
  std::vector<std::string> files;  // at least one
  bool recursive = false;          // a directory FILE stands for the OTA files below it
  bool keepGoing = false;          // write the entries of the files that pass
  std::size_t indent = 0;          // spaces a level of a new index; 0: one line
  bool urlPrefixGiven = false;
  // url = urlPrefix '/' the path below the directory walked, or the file's
  // name; else the path as given
  std::string urlPrefix;
  IndexMetadata metadata;  // the command line's; each file's FILE.meta.json fills in the rest
  std::string update;      // the index to merge into; "" prints a new one
  OtaInputOptions input;
};

// The definition. The run reads each file in turn (64 MiB at most; a vendor header
// before the OTA file identifier is kept in the size and hash; with
// --recursive every regular file below a directory FILE, in path order, a
// file there that is no OTA file named as skipped) and names every file it
// refuses; once all pass every check info makes (or with --keep-going, those
// that do) it prints one JSON array of their entries, or with --update merges
// them into that index (catalog/index_merge.h) in its own layout
// (catalog/json_layout.h), replaces it whole and prints a summary line. A
// file's metadata file (app/index_sidecar.h), when there is one, gives what
// the command line does not. The index given to --update must be of the
// chosen format. Exits 0; 1 when a file is not an OTA file or fails a check
// (nothing printed or written without --keep-going); 2 when a file, a
// metadata file or the index cannot be read, a metadata file or the index is
// not valid, or the result cannot be written; of several the worst.
const CommandDefinition<IndexOptions>& indexDefinition();
const Command& indexCommand();

}  // namespace otawrap
