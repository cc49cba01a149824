// The options `build` and `convert` both take, read here and only here:
// -m/-t/-v, --stack-version, --tag, -s, --integrity-code, --output, -o, the
// five header-field options, --json and -q. A command's table is
// withSharedOptions(its own rows); its own ids start at kSharedOptionCount.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/header_options.h"
#include "cli/option_parser.h"
#include "commands/payload_files.h"
#include "image/assembly.h"
#include "ota/header.h"

namespace otawrap {

struct SharedOptions {
  ImageIdentifiers identifiers{};  // a value means something only when given
  std::uint16_t stackVersion = kOtaStackVersion;
  std::vector<TagFile> tags;     // in command-line order
  std::string credentialsPath;   // signs when not empty
  bool integrityCode = false;    // never with credentialsPath
  std::string outputFile;        // empty: the default name
  std::string outputDirectory;   // empty, or ends with a separator
  HeaderFieldSettings headerFields{};
  bool json = false;
  bool quiet = false;
};

enum SharedOptionId : int {
  kManufacturerOption, kImageTypeOption, kFileVersionOption, kStackVersionOption, kTagOption,
  kCredentialsOption, kIntegrityCodeOption, kOutputOption, kOutputDirOption,
  kHeaderStringOption, kSecurityCredentialVersionOption, kDestinationOption,
  kMinHwVersionOption, kMaxHwVersionOption, kJsonOption, kQuietOption,
  kSharedOptionCount
};

// The shared rows followed by own (ids from kSharedOptionCount on).
std::vector<OptionSpec> withSharedOptions(std::vector<OptionSpec> own);

// Applies an option whose id is below kSharedOptionCount. Returns an empty
// string, else the error text naming the option and its value.
std::string applySharedOption(const ParsedOption& option, SharedOptions& shared);

// What only the whole command line shows: --output with -o, credentials with
// an integrity code, half a pair of hardware versions. Empty when none.
std::string sharedOptionsConflict(const SharedOptions& shared);

}  // namespace otawrap
