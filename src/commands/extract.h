// otawrap extract FILE (--tag TAG --output OUT | --output-dir DIR): the data
// of sub-elements as files.
#pragma once

#include <cstdint>
#include <string>

#include "cli/command_definition.h"

namespace otawrap {

struct ExtractOptions {
  std::string file;
  bool tagGiven = false;  // then outputFile is set: one sub-element
  std::uint16_t tag = 0;
  std::string outputFile;
  bool noClobber = false;  // --tag: refuse an existing outputFile
  std::string outputDirectory;  // otherwise: every sub-element; ends with a separator
  bool quiet = false;
};

// The definition. The run reads the file as info does (a vendor header before the OTA file identifier
// is skipped), needs a sound header length and sub-element chain, then writes
// the data of the first sub-element with the tag to outputFile, or every
// sub-element to outputDirectory (created when missing) as
// <index>-<tag>.bin. Prints each path written unless quiet. Returns 0; 1 when
// the tag is absent or the chain is unsound; 2 when the file cannot be read
// or an output cannot be written (then nothing of this run is left).
const CommandDefinition<ExtractOptions>& extractDefinition();

}  // namespace otawrap
