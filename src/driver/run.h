// One conversion run: command line, raw input, OTA file in memory, output file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>

#include "driver/cli.h"
#include "image/byte_source.h"
#include "ota/header.h"

namespace otawrap {

// The whole output file is built here before it is written.
inline constexpr std::size_t kImageBufferSize = 524288;
using ImageBuffer = std::array<std::uint8_t, kImageBufferSize>;

// All state of one run. Large: allocate it on the heap.
struct RunContext {
  RunSettings settings{};
  OtaHeader header{};
  ImageBuffer image{};
  std::size_t position = 0;  // end of the file built so far
};

// The room the unsigned file may take: the whole buffer, less what signing
// will append when it is on.
std::size_t runImageLimit(const RunSettings& settings);

// Sets the optional header fields of a header fresh from otaHeaderDefaults:
// header string (when given), field control, the optional values, and the
// header length and total size that follow from the field control.
void runApplyHeaderFields(const HeaderFieldSettings& fields, OtaHeader& header);

// Builds the complete output file in context.image[0..position) from the
// parsed settings (context.header fresh from otaHeaderDefaults): header with
// its optional fields, upgrade image read from input (not used in no-image
// mode, may then be nullptr), signature or header patch. Returns nullptr on
// success, else the error text.
const char* runBuildFile(RunContext& context, ByteSource* input);

// Names the built file and writes it into the output directory. Returns nullptr
// on success, else the error text.
const char* runWriteOutput(const RunContext& context);

// The whole tool: a long-option mode when argv[1] names one (--help,
// --version, --info, --verify), else parses argv, converts, writes. Prints the usage text, or
// "Error: <message>" without a newline, to out. Returns the exit code: 0 after
// a complete run or the usage text, 2 after an error.
int runOtawrap(int argc, const char* const* argv, std::ostream& out);

}  // namespace otawrap
