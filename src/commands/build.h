// otawrap build: an OTA file from arbitrary payloads, each under the tag the
// user gives, with the header fields of a conversion, optionally signed or
// sealed with an integrity code.
#pragma once

#include "app/command.h"
#include "app/file_settings.h"

namespace otawrap {

// Everything build takes is one of the options it shares with convert; the
// identifiers are all given and there is at least one tag.
struct BuildOptions {
  OtaFileSettings file;
  OutputChoice output;
  ReportChoice report;
};

// The definition. The run loads the credentials and the payload files, builds the
// file (at most 64 MiB), writes it and prints its path (nothing with quiet)
// or one JSON object. It returns 0, or 2 after any failure (nothing written
// then, except when only the printing failed).
const CommandDefinition<BuildOptions>& buildDefinition();
const Command& buildCommand();

}  // namespace otawrap
