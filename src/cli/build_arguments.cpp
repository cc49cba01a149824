// The options of `build`.
#include <algorithm>

#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/values.h"

namespace otawrap {

namespace {

enum Id : int {
  kManufacturer, kImageType, kFileVersion, kStackVersion, kTag, kCredentials, kIntegrityCode,
  kOutput, kOutputDir, kJson, kQuiet,
  // The header fields, read by the shared header-option code.
  kHeaderString, kSecurityCredentialVersion, kDestination, kMinHwVersion, kMaxHwVersion,
};

const std::vector<OptionSpec> kSpecs = {
    {kManufacturer, 'm', "manufacturer", true, false},
    {kImageType, 't', "image-type", true, false},
    {kFileVersion, 'v', "file-version", true, false},
    {kStackVersion, '\0', "stack-version", true, false},
    {kTag, '\0', "tag", true, true},
    {kCredentials, 's', "credentials", true, false},
    {kIntegrityCode, '\0', "integrity-code", false, true},
    {kOutput, '\0', "output", true, false},
    {kOutputDir, 'o', "output-dir", true, false},
    {kHeaderString, '\0', "header-string", true, false},
    {kSecurityCredentialVersion, '\0', "security-credential-version", true, false},
    {kDestination, '\0', "destination", true, false},
    {kMinHwVersion, '\0', "min-hw-version", true, false},
    {kMaxHwVersion, '\0', "max-hw-version", true, false},
    {kJson, '\0', "json", false, true},
    {kQuiet, 'q', "quiet", false, true},
};

std::string longName(int id) {
  for (const OptionSpec& s : kSpecs) {
    if (s.id == id) return std::string("--") + s.longName;
  }
  return "";
}

std::string number(const ParsedOption& option, int digits, std::uint32_t& value) {
  return parseIdentifier(option.name, option.value, digits, value);
}

std::string apply(const ParsedOption& option, BuildOptions& options) {
  std::uint32_t value = 0;
  std::string error;
  switch (option.id) {
    case kManufacturer:
      error = number(option, 4, value);
      options.manufacturerCode = static_cast<std::uint16_t>(value);
      return error;
    case kImageType:
      error = number(option, 4, value);
      options.imageType = static_cast<std::uint16_t>(value);
      return error;
    case kFileVersion:
      error = number(option, 8, value);
      options.fileVersion = value;
      return error;
    case kStackVersion:
      error = number(option, 4, value);
      options.stackVersion = static_cast<std::uint16_t>(value);
      return error;
    case kTag: {
      TagFile tag{0, ""};
      error = parseTagFile(option.name, option.value, tag.tag, tag.path);
      if (error.empty()) options.tags.push_back(tag);
      return error;
    }
    case kCredentials:
      if (option.value.empty()) return "empty file name for " + option.name;
      options.credentialsPath = option.value;
      return "";
    case kIntegrityCode:
      options.integrityCode = true;
      return "";
    case kOutput:
      if (option.value.empty()) return "empty file name for " + option.name;
      options.outputFile = option.value;
      return "";
    case kOutputDir:
      if (option.value.empty()) return "empty directory name for " + option.name;
      options.outputDirectory = directoryPrefix(option.value);
      return "";
    case kJson:
      options.json = true;
      return "";
    case kQuiet:
      options.quiet = true;
      return "";
    default: {
      const char* message = nullptr;
      const std::string name = longName(option.id);
      if (applyHeaderOption(name.c_str(), option.value.c_str(), options.headerFields, &message) !=
          HeaderOptionMatch::applied) {
        return name + ": " + message + ": '" + option.value + "'";
      }
      return "";
    }
  }
}

bool given(const ParsedArguments& parsed, int id) {
  return std::any_of(parsed.options.begin(), parsed.options.end(),
                     [id](const ParsedOption& option) { return option.id == id; });
}

}  // namespace

std::string parseBuildArguments(const Arguments& arguments, BuildOptions& options) {
  ParsedArguments parsed;
  std::string error = parseOptions(kSpecs, {0, "FILE"}, arguments, parsed);
  if (!error.empty()) return error;
  for (const ParsedOption& option : parsed.options) {
    error = apply(option, options);
    if (!error.empty()) return error;
  }
  for (const int id : {kManufacturer, kImageType, kFileVersion}) {
    if (!given(parsed, id)) return "missing " + longName(id);
  }
  if (options.tags.empty()) return "missing --tag: at least one payload is needed";
  if (!options.outputFile.empty() && !options.outputDirectory.empty()) {
    return "--output and --output-dir exclude each other";
  }
  if (!options.credentialsPath.empty() && options.integrityCode) {
    return "--credentials and --integrity-code exclude each other";
  }
  const char* fields = headerFieldsComplete(options.headerFields);
  return fields != nullptr ? fields : "";
}

}  // namespace otawrap
