// otawrap --info FILE [--json]: shows what an OTA file holds and whether it
// is sound.
#pragma once

#include <ostream>

#include "driver/long_options.h"

namespace otawrap {

// Reads arguments.file and prints its header fields, sub-elements and checks,
// as text or (arguments.json) as one JSON object, to out. Returns 0 when every
// check passes, 2 otherwise; prints "Error: <message>" without a newline and
// returns 2 only when the file cannot be read at all.
int runInfoCommand(const LongOptionArguments& arguments, std::ostream& out);

}  // namespace otawrap
