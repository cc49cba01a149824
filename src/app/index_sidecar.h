// Per-file index metadata kept beside an OTA file: FILE.meta.json, a JSON
// object whose keys are the zigbee-herdsman entry's own metadata fields:
//   modelId            a non-empty string
//   manufacturerName   a non-empty array of non-empty strings
//   minFileVersion     a number, or a string of 1 to 8 hex digits ("0x" allowed)
//   maxFileVersion     the same
//   hardwareVersionMin a number up to 65535, or 1 to 4 hex digits
//   hardwareVersionMax the same
//   releaseNotes       a string
//   originalUrl        a string
//   force              true or false
// Every other key is refused, so a misspelt key never passes unnoticed.
// Pure code: no I/O, no printing.
#pragma once

#include <string>

#include "catalog/json_reader.h"
#include "app/index_json.h"

namespace otawrap {

// What follows an OTA file's own name to name its metadata file.
inline constexpr char kSidecarSuffix[] = ".meta.json";

// Sets the fields of metadata that root (the parsed metadata file) gives,
// leaving the others as they are. False at the first fault, with detail
// "KEY: reason" (or the reason alone when root is not an object); metadata
// is then partly set.
bool sidecarDecode(const JsonValue& root, IndexMetadata& metadata, std::string& detail);

// The metadata of one file: every field given on the command line, the
// sidecar's for the others (manufacturerName as one list, never merged;
// force when either says so, since the command line can only set it).
// Format and file size are the command line's.
IndexMetadata metadataOver(const IndexMetadata& commandLine, const IndexMetadata& sidecar);

}  // namespace otawrap
