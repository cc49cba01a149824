// otawrap extract FILE (--tag TAG --output OUT | --output-dir DIR): the data
// of sub-elements as files.
#pragma once

#include <cstdint>
#include <string>

#include "app/command.h"
#include "app/ota_input.h"

namespace otawrap {

struct ExtractOptions {
  std::string file;
  bool tagGiven = false;  // then outputFile is set: one sub-element
  std::uint16_t tag = 0;
  std::string outputFile;
  bool noClobber = false;  // --tag: refuse an existing outputFile
  std::string outputDirectory;  // otherwise: every sub-element; ends with a separator
  bool quiet = false;
  bool force = false;  // extract from a file that fails a check but its structure
  OtaInputOptions input{{}, true, DashInput::standardInput};
};

// The definition. The run reads the file through the OTA input service (a
// vendor header before the OTA file identifier is skipped) and refuses a file
// that fails a check (with --force, only one whose header length or
// sub-element chain is unsound), then writes the data of the first
// sub-element with the tag to outputFile, or every sub-element to
// outputDirectory (created when missing) as <index>-<tag>.bin. Prints each
// path written unless quiet. A command that makes files: 0, or 2 with
// nothing of this run left.
const CommandDefinition<ExtractOptions>& extractDefinition();
const Command& extractCommand();

}  // namespace otawrap
