// The options of `info`.
#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/values.h"

namespace otawrap {

std::string parseInfoArguments(const Arguments& arguments, InfoOptions& options) {
  enum Id : int { kJson, kPlatform };
  const std::vector<OptionSpec> specs = {{kJson, '\0', "json", false, true},
                                         {kPlatform, 'p', "platform", true, false}};
  ParsedArguments parsed;
  std::string error = parseOptions(specs, {1, "FILE"}, arguments, parsed);
  if (!error.empty()) return error;
  for (const ParsedOption& option : parsed.options) {
    if (option.id == kJson) {
      options.json = true;
    } else {
      options.read.platformGiven = true;
      error = parsePlatform(option.name, option.value, options.read.platform);
      if (!error.empty()) return error;
    }
  }
  options.file = parsed.operands[0];
  return "";
}

}  // namespace otawrap
