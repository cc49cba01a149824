// otawrap info FILE... [--platform NAME] [--no-payload-check] [--json]: shows
// what each OTA file holds and whether it is sound.
#pragma once

#include <string>
#include <vector>

#include "cli/command_definition.h"
#include "cli/values.h"
#include "ota/reader.h"

namespace otawrap {

struct InfoOptions {
  std::vector<std::string> files;  // one report each, in order
  bool json = false;
  OtaReadOptions read;  // --platform forces the image checks
  bool payloadCheck = true;  // --no-payload-check: payloads identified, not checked
  bool recursive = false;    // a directory operand stands for the files below it
};

// The definition. The run reads each file (from its OTA file identifier on,
// behind any vendor prefix) and prints its header fields, sub-elements (with
// the payload of each upgrade image, ota/payload_verdicts.h) and
// checks, as text or as one JSON object. It returns 0 when every check
// passes, 1 when one fails, 2 when the file cannot be read or the report
// cannot be written; of several files the worst (app/batch.h).
const CommandDefinition<InfoOptions>& infoDefinition();

// --platform and --json, which verify takes too, into options.read and
// options.json.
template <typename Options>
std::string storeCheckPlatform(const ParsedOption& given, Options& options) {
  options.read.platformGiven = true;
  return parsePlatform(given.name, given.value, options.read.platform);
}

template <typename Options>
std::string storeReportJson(const ParsedOption&, Options& options) {
  options.json = true;
  return "";
}

template <typename Options>
std::string storeRecursive(const ParsedOption&, Options& options) {
  options.recursive = true;
  return "";
}

// Stores the FILE operands.
template <typename Options>
std::string storeFileOperands(const std::vector<std::string>& operands, Options& options) {
  options.files = operands;
  return "";
}

}  // namespace otawrap
