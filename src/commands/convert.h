// otawrap convert INPUT [options]: the conversion of the legacy form with the
// subcommands' conventions; prints the path it wrote or a JSON summary.
#pragma once

#include "commands/conversion.h"
#include "commands/failure.h"

namespace otawrap {

struct ConvertOptions {
  RunSettings settings{};  // credentialsPath and signing set; credentials not loaded yet
  bool createOutputDirectory = false;  // -o: settings.outputDirectory is created with its parents
  bool json = false;
  bool quiet = false;
};

// Loads the credentials, builds the file, creates the output directory when
// asked, writes the file and prints its path (nothing with quiet) or one JSON
// object. Returns 0, or 2 after any failure (nothing written then, except
// when only the printing failed).
int runConvertCommand(const ConvertOptions& options, Console console);

}  // namespace otawrap
