// The conversion core shared by the legacy form and `convert`: settings in,
// OTA file built in memory, written under its name. The two forms differ only
// in how they parse and how they report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/failure.h"
#include "app/file_settings.h"
#include "app/signer_choice.h"
#include "image/assembly.h"
#include "image/byte_source.h"
#include "image/platform.h"
#include "ota/builder.h"
#include "ota/header.h"
#include "sign/credentials.h"

namespace otawrap {

// Input file name and output path each fit a 1,024-byte buffer with its
// terminating zero: at most 1,023 characters.
inline constexpr std::size_t kPathBufferSize = 1024;

// Everything one conversion takes from its command line; `convert` parses
// straight into it, the legacy walk too.
struct RunSettings {
  std::string inputFileName;
  Platform platform = Platform::quillDev;
  bool noImage = false;
  OtaFileSettings file;  // tags only from convert
  OutputChoice output;
};

// The upgrade image and everything before it fit this buffer, as they always
// have; extra sub-elements get room of their own on top.
inline constexpr std::size_t kImageBufferSize = 524288;

// The working state and result of one conversion. Large: allocate it on the
// heap.
struct RunContext {
  SignerCredentials credentials{};  // loaded when the settings sign
  ExternalSigner external;          // the command that signs for a certificate text
  // Sub-elements behind the upgrade image (convert --tag); their bytes belong
  // to the caller and outlive the build.
  std::vector<OtaPayload> extraPayloads;
  OtaHeader header{};  // fresh from otaHeaderDefaults; the built file's header after
  // The file is built here: kImageBufferSize bytes, grown by runBuildFile by
  // what the extra sub-elements take.
  std::vector<std::uint8_t> image = std::vector<std::uint8_t>(kImageBufferSize);
  std::size_t position = 0;  // end of the file built so far
};

// The seal the settings ask for: a signature with a signer, else an
// integrity code when asked, else none.
OtaSeal runSeal(const OtaFileSettings& file);

// The room the file without its extra sub-elements may take: the whole
// buffer, less what the seal will append (a signature of the credentials'
// suite).
std::size_t runImageLimit(const OtaFileSettings& file, const SignerCredentials& credentials);

// Sets the optional header fields of a header fresh from otaHeaderDefaults:
// header string (when given), field control, the optional values, and the
// header length and total size that follow from the field control.
void runApplyHeaderFields(const HeaderFieldSettings& fields, OtaHeader& header);

// The legacy form's credentials: loads them into credentials and records
// path in settings, which then sign. Only suite-1 credentials of the signer
// layout (three labels) are taken, as the legacy form always took them.
bool runLoadCredentials(const std::string& path, OtaFileSettings& file,
                        SignerCredentials& credentials, Problem& problem);

// Builds the complete output file in context.image[0..position) from the
// parsed settings (context.header fresh from otaHeaderDefaults) with the one
// conversion core, otaConvert: header with its optional fields, upgrade image
// read from input as a raw file (not used in no-image mode, may then be
// nullptr), the extra payloads, then signature, integrity code or header
// patch. False with problem set on failure (an image failure names the input
// file; the caller may refine it, e.g. for Intel HEX text).
bool runBuildFile(const RunSettings& settings, RunContext& context, ByteSource* input,
                  Problem& problem);

// Opens the input (unless in no-image mode) and builds the file into
// context: the legacy form's conversion before the write. False with problem
// set on failure.
bool runConversion(const RunSettings& settings, RunContext& context, Problem& problem);

}  // namespace otawrap
