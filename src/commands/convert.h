// otawrap convert INPUT [options]: the conversion of the legacy form with the
// subcommands' conventions; prints the path it wrote or a JSON summary.
#pragma once

#include <vector>

#include "commands/conversion.h"
#include "commands/failure.h"
#include "commands/payload_files.h"

namespace otawrap {

// How the input is read: told from its content, or forced.
enum class InputFormatChoice : std::uint8_t { detect, raw, intelHex };

struct ConvertOptions {
  RunSettings settings{};  // credentialsPath and signing set; credentials not loaded yet
  bool createOutputDirectory = false;  // -o: settings.outputDirectory is created with its parents
  bool json = false;
  bool quiet = false;
  std::vector<TagFile> tags;  // extra sub-elements behind the upgrade image, in order
  InputFormatChoice inputFormat = InputFormatChoice::detect;
};

// Loads the credentials and the tag files, opens the input (Intel HEX or raw
// as detected or forced; an OTA or ELF file is refused), builds the file, creates the output directory when
// asked, writes the file and prints its path (nothing with quiet) or one JSON
// object. Returns 0, or 2 after any failure (nothing written then, except
// when only the printing failed).
int runConvertCommand(const ConvertOptions& options, Console console);

}  // namespace otawrap
