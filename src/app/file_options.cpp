#include "app/file_options.h"

#include "cli/values.h"

namespace otawrap {

namespace {

std::string identifier(const ParsedOption& given, int digits, bool& isGiven,
                       std::uint32_t& value) {
  isGiven = true;
  return parseIdentifier(given.name, given.value, digits, value);
}

}  // namespace

std::string storeManufacturer(const ParsedOption& given, OtaFileSettings& file) {
  std::uint32_t value = 0;
  std::string error = identifier(given, 4, file.identifiers.manufacturerGiven, value);
  file.identifiers.manufacturerCode = static_cast<std::uint16_t>(value);
  return error;
}

std::string storeImageType(const ParsedOption& given, OtaFileSettings& file) {
  std::uint32_t value = 0;
  std::string error = identifier(given, 4, file.identifiers.imageTypeGiven, value);
  file.identifiers.imageType = static_cast<std::uint16_t>(value);
  return error;
}

std::string storeFileVersion(const ParsedOption& given, OtaFileSettings& file) {
  return identifier(given, 8, file.identifiers.fileVersionGiven, file.identifiers.fileVersion);
}

std::string storeTag(const ParsedOption& given, OtaFileSettings& file) {
  TagFile tag{0, ""};
  std::string error = parseTagFile(given.name, given.value, tag.tag, tag.path);
  if (error.empty()) file.tags.push_back(tag);
  return error;
}

std::string storeHeaderField(const ParsedOption& given, OtaFileSettings& file) {
  // Header fields are long options only: the name as written is the full one.
  const char* message = nullptr;
  if (applyHeaderOption(given.name.c_str(), given.value.c_str(), file.headerFields, &message) !=
      HeaderOptionMatch::applied) {
    return given.name + ": " + message + ": '" + given.value + "'";
  }
  return "";
}

std::string storeSignerTimeout(const ParsedOption& given, OtaFileSettings& file) {
  file.signerTimeoutGiven = true;
  return parseSeconds(given.name, given.value, 3600, file.signerTimeout);
}

std::vector<Exclusion> fileExclusions() {
  return {{{"output", "output-dir"}},
          {{"credentials", "integrity-code"}},
          {{"credentials", "signer-command"}},
          {{"signer-command", "integrity-code"}}};
}

std::string signerOptionsIncomplete(const OtaFileSettings& file) {
  if (!file.signerCommand.empty() && file.certificatePath.empty()) {
    return "--signer-command needs --certificate FILE";
  }
  if (file.signerCommand.empty() && !file.certificatePath.empty()) {
    return "--certificate is for --signer-command";
  }
  if (file.signerCommand.empty() && file.signerTimeoutGiven) {
    return "--signer-timeout is for --signer-command";
  }
  return "";
}

std::string standardOutputConflict(const OutputChoice& output, const ReportChoice& report) {
  if (output.file == kStandardOutputName && report.json) {
    return "--json prints to standard output: not with --output -";
  }
  return "";
}

}  // namespace otawrap
