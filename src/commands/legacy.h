// The legacy command line: otawrap <input file> [-o<dir>] [-m<id>] [-t<id>]
// [-v<ver>] [-p<platform>] [-s<credentials>] [-n], option letters in either
// case, values attached to the letter, and the optional header fields as long
// options (cli/header_options.h) anywhere after the input file. Kept as it has
// always behaved, except that -o, -m, -t and -v with nothing attached are an
// error instead of the root directory or identifier 0.
#pragma once

#include <cstdint>

#include "app/convert_run.h"
#include "app/failure.h"

namespace otawrap {

enum class CommandLineOutcome : std::uint8_t { run, usage, error };

// The usage text, printed as it stands.
const char* usageText();

// Walks argv[0..argc-1] in order and fills settings (which must start
// value-initialised). Stops at the first argument that asks for the usage text
// or fails; on error sets problem. Reads nothing but argv, except that -s
// loads the credentials into credentials at once. From index 2 on, a header-field long option
// takes the next argument as its value; any other argument starting with "--"
// asks for the usage text. The long options' cross checks run after the walk.
CommandLineOutcome parseCommandLine(int argc, const char* const* argv, RunSettings& settings,
                                    SignerCredentials& credentials, Problem& problem);

// Value of an option argument such as "-m100B": from index 2, skips spaces and
// one "0x"/"0X", then reads up to digitCount (4 or 8) characters, stopping at a
// space or the end; digit j goes to bits 4*(digitCount-1-j), so short values
// are left-aligned ("-m1" gives 0x1000). Non-hex characters count as 0.
// argument must be at least 2 characters long.
std::uint32_t hexOptionValue(const char* argument, int digitCount);

// The whole legacy form: parse, convert, write. Prints the usage text or
// "Error: <message>" without a newline to console.out. Returns 0 after a
// complete run or the usage text, 2 after an error.
int runLegacy(int argc, const char* const* argv, const Console& console);

}  // namespace otawrap
