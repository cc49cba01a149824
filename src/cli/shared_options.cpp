#include "cli/shared_options.h"

#include "cli/values.h"

namespace otawrap {

namespace {

const std::vector<OptionSpec> kSharedSpecs = {
    {kManufacturerOption, 'm', "manufacturer", true, false},
    {kImageTypeOption, 't', "image-type", true, false},
    {kFileVersionOption, 'v', "file-version", true, false},
    {kStackVersionOption, '\0', "stack-version", true, false},
    {kTagOption, '\0', "tag", true, true},
    {kCredentialsOption, 's', "credentials", true, false},
    {kIntegrityCodeOption, '\0', "integrity-code", false, true},
    {kOutputOption, '\0', "output", true, false},
    {kOutputDirOption, 'o', "output-dir", true, false},
    {kHeaderStringOption, '\0', "header-string", true, false},
    {kSecurityCredentialVersionOption, '\0', "security-credential-version", true, false},
    {kDestinationOption, '\0', "destination", true, false},
    {kMinHwVersionOption, '\0', "min-hw-version", true, false},
    {kMaxHwVersionOption, '\0', "max-hw-version", true, false},
    {kJsonOption, '\0', "json", false, true},
    {kQuietOption, 'q', "quiet", false, true},
};

// "--" and the long name of a shared option.
std::string longName(int id) {
  for (const OptionSpec& s : kSharedSpecs) {
    if (s.id == id) return std::string("--") + s.longName;
  }
  return "";
}

std::string identifier(const ParsedOption& option, int digits, bool& given,
                       std::uint32_t& value) {
  given = true;
  return parseIdentifier(option.name, option.value, digits, value);
}

}  // namespace

std::vector<OptionSpec> withSharedOptions(std::vector<OptionSpec> own) {
  own.insert(own.begin(), kSharedSpecs.begin(), kSharedSpecs.end());
  return own;
}

std::string applySharedOption(const ParsedOption& option, SharedOptions& shared) {
  ImageIdentifiers& ids = shared.identifiers;
  std::uint32_t value = 0;
  std::string error;
  switch (option.id) {
    case kManufacturerOption:
      error = identifier(option, 4, ids.manufacturerGiven, value);
      ids.manufacturerCode = static_cast<std::uint16_t>(value);
      return error;
    case kImageTypeOption:
      error = identifier(option, 4, ids.imageTypeGiven, value);
      ids.imageType = static_cast<std::uint16_t>(value);
      return error;
    case kFileVersionOption:
      error = identifier(option, 8, ids.fileVersionGiven, value);
      ids.fileVersion = value;
      return error;
    case kStackVersionOption:
      error = parseIdentifier(option.name, option.value, 4, value);
      shared.stackVersion = static_cast<std::uint16_t>(value);
      return error;
    case kTagOption: {
      TagFile tag{0, ""};
      error = parseTagFile(option.name, option.value, tag.tag, tag.path);
      if (error.empty()) shared.tags.push_back(tag);
      return error;
    }
    case kCredentialsOption:
      if (option.value.empty()) return "empty file name for " + option.name;
      shared.credentialsPath = option.value;
      return "";
    case kIntegrityCodeOption:
      shared.integrityCode = true;
      return "";
    case kOutputOption:
      if (option.value.empty()) return "empty file name for " + option.name;
      shared.outputFile = option.value;
      return "";
    case kOutputDirOption:
      if (option.value.empty()) return "empty directory name for " + option.name;
      shared.outputDirectory = directoryPrefix(option.value);
      return "";
    case kJsonOption:
      shared.json = true;
      return "";
    case kQuietOption:
      shared.quiet = true;
      return "";
    default: {
      // A header field: named in full, whichever way it was written.
      const std::string name = longName(option.id);
      const char* message = nullptr;
      if (applyHeaderOption(name.c_str(), option.value.c_str(), shared.headerFields, &message) !=
          HeaderOptionMatch::applied) {
        return name + ": " + message + ": '" + option.value + "'";
      }
      return "";
    }
  }
}

std::string sharedOptionsConflict(const SharedOptions& shared) {
  if (!shared.outputFile.empty() && !shared.outputDirectory.empty()) {
    return "--output and --output-dir exclude each other";
  }
  if (!shared.credentialsPath.empty() && shared.integrityCode) {
    return "--credentials and --integrity-code exclude each other";
  }
  const char* fields = headerFieldsComplete(shared.headerFields);
  return fields != nullptr ? fields : "";
}

}  // namespace otawrap
