// The conversion core shared by the legacy form and `convert`: settings in,
// OTA file built in memory, written under its name. The two forms differ only
// in how they parse and how they report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/header_options.h"
#include "commands/failure.h"
#include "image/assembly.h"
#include "image/byte_source.h"
#include "image/platform.h"
#include "ota/header.h"
#include "sign/credentials.h"

namespace otawrap {

// Input file name and output path each fit a 1,024-byte buffer with its
// terminating zero: at most 1,023 characters.
inline constexpr std::size_t kPathBufferSize = 1024;

// Everything one conversion takes from its command line.
struct RunSettings {
  std::string inputFileName;
  std::string outputDirectory;  // empty, or ends with the path separator
  std::string outputFile;       // an explicit output path; empty: the default name
  ImageIdentifiers identifiers;  // values 0 unless given
  Platform platform;
  bool noImage;
  bool signing;
  std::string credentialsPath;  // the last -s path
  SignerCredentials credentials;  // loaded by the last -s
  HeaderFieldSettings headerFields;  // from the long options
};

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

// Loads the signer credentials at path. False with problem set (naming the
// file, with the system's reason) when they cannot be read or are invalid.
bool loadCredentials(const std::string& path, SignerCredentials& credentials, Problem& problem);

// Loads them into settings and turns signing on.
bool runLoadCredentials(const std::string& path, RunSettings& settings, Problem& problem);

// Builds the complete output file in context.image[0..position) from the
// parsed settings (context.header fresh from otaHeaderDefaults): header with
// its optional fields, upgrade image read from input (not used in no-image
// mode, may then be nullptr), signature or header patch. False with problem
// set on failure.
bool runBuildFile(RunContext& context, ByteSource* input, Problem& problem);

// The path the built file goes to: settings.outputFile, or the output
// directory followed by the default name.
std::string runOutputPath(const RunContext& context);

// Writes the built file to runOutputPath. False with problem set on failure;
// then nothing was written and an existing file is untouched.
bool runWriteOutput(const RunContext& context, Problem& problem);

// Opens the input (unless in no-image mode), builds and writes: the whole
// conversion after parsing. False with problem set on failure.
bool runConversion(RunContext& context, Problem& problem);

}  // namespace otawrap
