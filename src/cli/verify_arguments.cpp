// The options of `verify`: exactly one key option.
#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/values.h"

namespace otawrap {

std::string parseVerifyArguments(const Arguments& arguments, VerifyOptions& options) {
  enum Id : int { kPublicKey, kCredentials, kCaKey, kJson, kPlatform };
  const std::vector<OptionSpec> specs = {
      {kPublicKey, '\0', "public-key", true, false},
      {kCredentials, 's', "credentials", true, false},
      {kCaKey, '\0', "ca-key", true, false},
      {kJson, '\0', "json", false, true},
      {kPlatform, 'p', "platform", true, false},
  };
  ParsedArguments parsed;
  std::string error = parseOptions(specs, {1, "FILE"}, arguments, parsed);
  if (!error.empty()) return error;
  const ParsedOption* key = nullptr;
  for (const ParsedOption& option : parsed.options) {
    if (option.id == kJson) {
      options.json = true;
      continue;
    }
    if (option.id == kPlatform) {
      options.read.platformGiven = true;
      error = parsePlatform(option.name, option.value, options.read.platform);
      if (!error.empty()) return error;
      continue;
    }
    if (key != nullptr) return "give only one of --public-key, --credentials and --ca-key";
    key = &option;
  }
  if (key == nullptr) return "missing key: give --public-key, --credentials or --ca-key";
  options.keySource = key->id == kPublicKey     ? KeySource::publicKey
                      : key->id == kCredentials ? KeySource::credentials
                                                : KeySource::caKey;
  options.key = key->value;
  options.file = parsed.operands[0];
  return "";
}

}  // namespace otawrap
