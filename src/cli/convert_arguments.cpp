// The options of `convert`: where -o, -m, -t, -v, -p, -s, -n, the header
// fields, the extra sub-elements, the seal and the input format are read.
#include <cstring>

#include "cli/command_arguments.h"
#include "cli/option_parser.h"
#include "cli/values.h"

namespace otawrap {

namespace {

enum Id : int {
  kOutputDir, kOutput, kManufacturer, kImageType, kFileVersion, kPlatform, kCredentials,
  kNoImage, kJson, kQuiet, kTag, kIntegrityCode, kStackVersion, kInputFormat,
  // The header fields, read by the shared header-option code.
  kHeaderString, kSecurityCredentialVersion, kDestination, kMinHwVersion, kMaxHwVersion,
};

const std::vector<OptionSpec> kSpecs = {
    {kOutputDir, 'o', "output-dir", true, false},
    {kOutput, '\0', "output", true, false},
    {kManufacturer, 'm', "manufacturer", true, false},
    {kImageType, 't', "image-type", true, false},
    {kFileVersion, 'v', "file-version", true, false},
    {kPlatform, 'p', "platform", true, false},
    {kCredentials, 's', "credentials", true, false},
    {kNoImage, 'n', "no-image", false, true},
    {kHeaderString, '\0', "header-string", true, false},
    {kSecurityCredentialVersion, '\0', "security-credential-version", true, false},
    {kDestination, '\0', "destination", true, false},
    {kMinHwVersion, '\0', "min-hw-version", true, false},
    {kMaxHwVersion, '\0', "max-hw-version", true, false},
    {kJson, '\0', "json", false, true},
    {kQuiet, 'q', "quiet", false, true},
    {kTag, '\0', "tag", true, true},
    {kIntegrityCode, '\0', "integrity-code", false, true},
    {kStackVersion, '\0', "stack-version", true, false},
    {kInputFormat, '\0', "input-format", true, false},
};

// The full long name of a header-field option, whichever way it was written.
std::string headerOptionName(int id) {
  for (const OptionSpec& s : kSpecs) {
    if (s.id == id) return std::string("--") + s.longName;
  }
  return "";
}

std::string identifier(const ParsedOption& option, int digits, bool& given,
                       std::uint32_t& value) {
  given = true;
  return parseIdentifier(option.name, option.value, digits, value);
}

std::string apply(const ParsedOption& option, ConvertOptions& options) {
  RunSettings& s = options.settings;
  ImageIdentifiers& ids = s.identifiers;
  std::uint32_t value = 0;
  std::string error;
  switch (option.id) {
    case kOutputDir:
      if (option.value.empty()) return "empty directory name for " + option.name;
      s.outputDirectory = directoryPrefix(option.value);
      options.createOutputDirectory = true;
      return "";
    case kOutput:
      if (option.value.empty()) return "empty file name for " + option.name;
      s.outputFile = option.value;
      return "";
    case kManufacturer:
      error = identifier(option, 4, ids.manufacturerGiven, value);
      ids.manufacturerCode = static_cast<std::uint16_t>(value);
      return error;
    case kImageType:
      error = identifier(option, 4, ids.imageTypeGiven, value);
      ids.imageType = static_cast<std::uint16_t>(value);
      return error;
    case kFileVersion:
      error = identifier(option, 8, ids.fileVersionGiven, value);
      ids.fileVersion = value;
      return error;
    case kPlatform:
      return parsePlatform(option.name, option.value, s.platform);
    case kCredentials:
      if (option.value.empty()) return "empty file name for " + option.name;
      s.signing = true;
      s.credentialsPath = option.value;
      return "";
    case kNoImage:
      s.noImage = true;
      return "";
    case kJson:
      options.json = true;
      return "";
    case kQuiet:
      options.quiet = true;
      return "";
    case kTag: {
      TagFile tag{0, ""};
      error = parseTagFile(option.name, option.value, tag.tag, tag.path);
      if (error.empty()) options.tags.push_back(tag);
      return error;
    }
    case kIntegrityCode:
      s.integrityCode = true;
      return "";
    case kStackVersion:
      error = parseIdentifier(option.name, option.value, 4, value);
      s.stackVersion = static_cast<std::uint16_t>(value);
      return error;
    case kInputFormat:
      if (option.value == "raw") {
        options.inputFormat = InputFormatChoice::raw;
      } else if (option.value == "ihex") {
        options.inputFormat = InputFormatChoice::intelHex;
      } else {
        return "invalid value '" + option.value + "' for " + option.name + ": raw or ihex expected";
      }
      return "";
    default: {
      const char* message = nullptr;
      const std::string name = headerOptionName(option.id);
      if (applyHeaderOption(name.c_str(), option.value.c_str(), s.headerFields, &message) !=
          HeaderOptionMatch::applied) {
        return name + ": " + message + ": '" + option.value + "'";
      }
      return "";
    }
  }
}

}  // namespace

std::string parseConvertArguments(const Arguments& arguments, ConvertOptions& options) {
  ParsedArguments parsed;
  std::string error = parseOptions(kSpecs, {1, "INPUT"}, arguments, parsed);
  if (!error.empty()) return error;
  for (const ParsedOption& option : parsed.options) {
    error = apply(option, options);
    if (!error.empty()) return error;
  }
  RunSettings& s = options.settings;
  if (!s.outputFile.empty() && options.createOutputDirectory) {
    return "--output and --output-dir exclude each other";
  }
  if (s.signing && s.integrityCode) return "--credentials and --integrity-code exclude each other";
  const char* fields = headerFieldsComplete(s.headerFields);
  if (fields != nullptr) return fields;
  s.inputFileName = parsed.operands[0];
  if (s.inputFileName.size() >= kPathBufferSize) return "input file name too long";
  return "";
}

}  // namespace otawrap
