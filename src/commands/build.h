// otawrap build: an OTA file from arbitrary payloads, each under the tag the
// user gives, with the header fields of a conversion, optionally signed or
// sealed with an integrity code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/header_options.h"
#include "commands/failure.h"
#include "commands/payload_files.h"
#include "ota/header.h"

namespace otawrap {

struct BuildOptions {
  std::uint16_t manufacturerCode = 0;
  std::uint16_t imageType = 0;
  std::uint32_t fileVersion = 0;
  std::uint16_t stackVersion = kOtaStackVersion;
  HeaderFieldSettings headerFields{};
  std::vector<TagFile> tags;  // in file order; at least one
  std::string credentialsPath;  // signs when not empty
  bool integrityCode = false;   // never with credentialsPath
  std::string outputFile;       // an explicit path; empty: the default name
  std::string outputDirectory;  // empty, or ends with a separator; created when missing
  bool json = false;
  bool quiet = false;
};

// Loads the credentials and the payload files, builds the file (at most
// 64 MiB), writes it and prints its path (nothing with quiet) or one JSON
// object. Returns 0, or 2 after any failure (nothing written then, except when
// only the printing failed).
int runBuildCommand(const BuildOptions& options, Console console);

}  // namespace otawrap
