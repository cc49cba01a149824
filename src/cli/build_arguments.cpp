// The options of `build`: all of them are the shared ones (cli/shared_options),
// of which build requires -m, -t, -v and at least one --tag.
#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/shared_options.h"

namespace otawrap {

std::string parseBuildArguments(const Arguments& arguments, BuildOptions& options) {
  ParsedArguments parsed;
  std::string error = parseOptions(withSharedOptions({}), {0, "FILE"}, arguments, parsed);
  if (!error.empty()) return error;
  SharedOptions shared;
  for (const ParsedOption& option : parsed.options) {
    error = applySharedOption(option, shared);
    if (!error.empty()) return error;
  }
  const ImageIdentifiers& ids = shared.identifiers;
  if (!ids.manufacturerGiven) return "missing --manufacturer";
  if (!ids.imageTypeGiven) return "missing --image-type";
  if (!ids.fileVersionGiven) return "missing --file-version";
  if (shared.tags.empty()) return "missing --tag: at least one payload is needed";
  error = sharedOptionsConflict(shared);
  if (!error.empty()) return error;
  options.manufacturerCode = ids.manufacturerCode;
  options.imageType = ids.imageType;
  options.fileVersion = ids.fileVersion;
  options.stackVersion = shared.stackVersion;
  options.headerFields = shared.headerFields;
  options.tags = shared.tags;
  options.credentialsPath = shared.credentialsPath;
  options.integrityCode = shared.integrityCode;
  options.outputFile = shared.outputFile;
  options.outputDirectory = shared.outputDirectory;
  options.json = shared.json;
  options.quiet = shared.quiet;
  return "";
}

}  // namespace otawrap
