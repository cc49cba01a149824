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
  for (const ParsedOption& option : parsed.options) {
    error = applySharedOption(option, options);
    if (!error.empty()) return error;
  }
  const ImageIdentifiers& ids = options.identifiers;
  if (!ids.manufacturerGiven) return "missing --manufacturer";
  if (!ids.imageTypeGiven) return "missing --image-type";
  if (!ids.fileVersionGiven) return "missing --file-version";
  if (options.tags.empty()) return "missing --tag: at least one payload is needed";
  return sharedOptionsConflict(options);
}

}  // namespace otawrap
