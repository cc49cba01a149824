// The options of `convert`: -p, -n and --input-format are read here, the rest
// (-o, -m, -t, -v, -s, the header fields, --tag, the seal, --output, --json,
// -q, --stack-version) in cli/shared_options.
#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/shared_options.h"
#include "cli/values.h"

namespace otawrap {

namespace {

enum Id : int { kPlatform = kSharedOptionCount, kNoImage, kInputFormat };

std::string apply(const ParsedOption& option, ConvertOptions& options) {
  switch (option.id) {
    case kPlatform:
      return parsePlatform(option.name, option.value, options.settings.platform);
    case kNoImage:
      options.settings.noImage = true;
      return "";
    default:  // kInputFormat
      if (option.value == "raw") {
        options.inputFormat = InputFormatChoice::raw;
      } else if (option.value == "ihex") {
        options.inputFormat = InputFormatChoice::intelHex;
      } else {
        return "invalid value '" + option.value + "' for " + option.name + ": raw or ihex expected";
      }
      return "";
  }
}

}  // namespace

std::string parseConvertArguments(const Arguments& arguments, ConvertOptions& options) {
  const std::vector<OptionSpec> specs = withSharedOptions({
      {kPlatform, 'p', "platform", true, false},
      {kNoImage, 'n', "no-image", false, true},
      {kInputFormat, '\0', "input-format", true, false},
  });
  ParsedArguments parsed;
  std::string error = parseOptions(specs, {1, "INPUT"}, arguments, parsed);
  if (!error.empty()) return error;
  SharedOptions shared;
  for (const ParsedOption& option : parsed.options) {
    error = option.id < kSharedOptionCount ? applySharedOption(option, shared)
                                           : apply(option, options);
    if (!error.empty()) return error;
  }
  error = sharedOptionsConflict(shared);
  if (!error.empty()) return error;
  RunSettings& s = options.settings;
  s.inputFileName = parsed.operands[0];
  if (s.inputFileName.size() >= kPathBufferSize) return "input file name too long";
  s.identifiers = shared.identifiers;
  s.stackVersion = shared.stackVersion;
  s.headerFields = shared.headerFields;
  s.signing = !shared.credentialsPath.empty();
  s.credentialsPath = shared.credentialsPath;
  s.integrityCode = shared.integrityCode;
  s.outputFile = shared.outputFile;
  s.outputDirectory = shared.outputDirectory;
  options.createOutputDirectory = !shared.outputDirectory.empty();
  options.tags = shared.tags;
  options.json = shared.json;
  options.quiet = shared.quiet;
  return "";
}

}  // namespace otawrap
