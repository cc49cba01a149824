// The options of `info`.
#include "cli/command_arguments.h"
#include "cli/option_parser.h"

namespace otawrap {

std::string parseInfoArguments(const Arguments& arguments, InfoOptions& options) {
  enum Id : int { kJson };
  const std::vector<OptionSpec> specs = {{kJson, '\0', "json", false, true}};
  ParsedArguments parsed;
  std::string error = parseOptions(specs, {1, "FILE"}, arguments, parsed);
  if (!error.empty()) return error;
  options.json = !parsed.options.empty();
  options.file = parsed.operands[0];
  return "";
}

}  // namespace otawrap
