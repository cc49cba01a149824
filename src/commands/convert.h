// otawrap convert INPUT... [options]: the conversion of the legacy form with the
// subcommands' conventions; prints the path it wrote or a JSON summary.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/command.h"
#include "app/convert_run.h"

namespace otawrap {

// How the input is read: told from its content, or forced.
enum class InputFormatChoice : std::uint8_t { detect, raw, intelHex };

// The conversion's own settings (parsed straight into) and convert's extras.
struct ConvertOptions : RunSettings {
  InputFormatChoice inputFormat = InputFormatChoice::detect;
  ReportChoice report;
  std::vector<std::string> inputs;  // every INPUT; inputFileName is the first
};

// The definition: options, help and the run. The run loads the credentials and the
// tag files, opens the input (Intel HEX or raw as detected or forced; an OTA
// or ELF file is refused), builds the file, creates the output directory
// when -o names one, writes the file and prints its path (nothing with quiet)
// or one JSON object; with --output - it writes the file to standard output
// instead. It returns 0, or 2 after any failure (nothing written then,
// except when only the printing failed).
//
// Several inputs (only with -o DIR) are each converted and staged in turn;
// a failed one leaves nothing, and two that would get the same name stop the
// run with nothing written. Then every report in input order (a failure's
// message in its place), the summary line and one publish of all the files,
// which syncs the directory once. Returns the worst exit code.
const CommandDefinition<ConvertOptions>& convertDefinition();
const Command& convertCommand();

}  // namespace otawrap
