// otawrap --verify FILE (--public-key HEX | -s<credentials> | --ca-key HEX):
// checks the ECDSA signature of an OTA file.
#pragma once

#include <ostream>

#include "driver/long_options.h"

namespace otawrap {

// Runs the verification the parsed arguments ask for and prints its report,
// or "Error: <message>" without a newline, to out. Returns the exit code: 0
// when the file and its signature check out, 2 otherwise.
int runVerifyCommand(const LongOptionArguments& arguments, std::ostream& out);

}  // namespace otawrap
