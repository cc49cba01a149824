// What `convert`, `build` and the legacy form take for the OTA file they
// make, grouped as the shared option rows store it (app/file_options.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/header_options.h"
#include "image/assembly.h"
#include "ota/header.h"

namespace otawrap {

// A --tag TAG=FILE: a sub-element's tag and the file holding its data.
struct TagFile {
  std::uint16_t tag;
  std::string path;
};

// The file's identity, optional header fields, seal and extra payloads.
struct OtaFileSettings {
  ImageIdentifiers identifiers{};  // a value means something only when given
  std::uint16_t stackVersion = kOtaStackVersion;
  HeaderFieldSettings headerFields{};
  std::string credentialsPath;  // signs when not empty
  // Or signs by running signerCommand, with the public part in certificatePath.
  std::string signerCommand;
  std::string certificatePath;
  unsigned signerTimeout = 60;  // seconds
  bool signerTimeoutGiven = false;
  bool integrityCode = false;   // never with a signer
  std::vector<TagFile> tags;    // sub-elements of the user's, in command-line order
  bool force = false;           // write a tag 0 payload that fails its check
};

// --output -: the file's bytes go to standard output and no report is printed.
inline constexpr char kStandardOutputName[] = "-";

// Where the file goes: file when given, else directory and the default name.
struct OutputChoice {
  std::string directory;  // empty, or ends with a separator
  std::string file;       // empty: the default name
  bool noClobber = false;  // refuse an existing output instead of replacing it
};

// How a command reports what it wrote.
struct ReportChoice {
  bool json = false;
  bool quiet = false;
};

}  // namespace otawrap
