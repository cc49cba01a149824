// The options of `extract` and `index`.
#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/values.h"

namespace otawrap {

std::string parseExtractArguments(const Arguments& arguments, ExtractOptions& options) {
  enum Id : int { kTag, kOutput, kOutputDir, kQuiet };
  const std::vector<OptionSpec> specs = {
      {kTag, '\0', "tag", true, false},
      {kOutput, '\0', "output", true, false},
      {kOutputDir, 'o', "output-dir", true, false},
      {kQuiet, 'q', "quiet", false, true},
  };
  ParsedArguments parsed;
  std::string error = parseOptions(specs, {1, "FILE"}, arguments, parsed);
  if (!error.empty()) return error;
  for (const ParsedOption& option : parsed.options) {
    switch (option.id) {
      case kTag:
        error = parseTag(option.name, option.value, options.tag);
        if (!error.empty()) return error;
        options.tagGiven = true;
        break;
      case kOutput:
        if (option.value.empty()) return "empty file name for " + option.name;
        options.outputFile = option.value;
        break;
      case kOutputDir:
        if (option.value.empty()) return "empty directory name for " + option.name;
        options.outputDirectory = directoryPrefix(option.value);
        break;
      default:
        options.quiet = true;
        break;
    }
  }
  options.file = parsed.operands[0];
  const bool one = options.tagGiven || !options.outputFile.empty();
  if (one && !options.outputDirectory.empty()) {
    return "--output-dir extracts every sub-element; not with --tag or --output";
  }
  if (one && (!options.tagGiven || options.outputFile.empty())) {
    return "--tag and --output go together";
  }
  if (!one && options.outputDirectory.empty()) {
    return "missing --tag TAG --output FILE or --output-dir DIR";
  }
  return "";
}

std::string parseIndexArguments(const Arguments& arguments, IndexOptions& options) {
  const std::vector<OptionSpec> specs = {{0, '\0', "url-prefix", true, false}};
  ParsedArguments parsed;
  std::string error = parseOptions(specs, {1, "FILE", true}, arguments, parsed);
  if (!error.empty()) return error;
  for (const ParsedOption& option : parsed.options) {
    options.urlPrefixGiven = true;
    options.urlPrefix = option.value;
  }
  options.files = parsed.operands;
  return "";
}

}  // namespace otawrap
