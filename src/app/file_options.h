// The option rows commands share, for any options struct with the members
// they name: file (OtaFileSettings), output (OutputChoice), report
// (ReportChoice), force and input (OtaInputOptions). Each group is placed
// where the command's help lists it.
#pragma once

#include <vector>

#include "cli/command_definition.h"
#include "app/file_settings.h"
#include "app/ota_input.h"

namespace otawrap {

// How each shared option checks and stores its value.
std::string storeManufacturer(const ParsedOption& given, OtaFileSettings& file);
std::string storeImageType(const ParsedOption& given, OtaFileSettings& file);
std::string storeFileVersion(const ParsedOption& given, OtaFileSettings& file);
std::string storeTag(const ParsedOption& given, OtaFileSettings& file);
std::string storeHeaderField(const ParsedOption& given, OtaFileSettings& file);
std::string storeSignerTimeout(const ParsedOption& given, OtaFileSettings& file);

template <typename Options, std::string (*store)(const ParsedOption&, OtaFileSettings&)>
std::string toFile(const ParsedOption& given, Options& options) {
  return store(given, options.file);
}

// -m, -t, -v; required says so in the help.
template <typename Options>
std::vector<OptionRow<Options>> identifierRows(bool required) {
  return {
      {{'m', "manufacturer", "HEX",
        required ? "manufacturer code, 1 to 4 hex digits (required)"
                 : "manufacturer code, 1 to 4 hex digits (0x optional)"},
       toFile<Options, storeManufacturer>},
      {{'t', "image-type", "HEX",
        required ? "image type, 1 to 4 hex digits (required)" : "image type, 1 to 4 hex digits"},
       toFile<Options, storeImageType>},
      {{'v', "file-version", "HEX",
        required ? "file version, 1 to 8 hex digits (required)"
                 : "file version, 1 to 8 hex digits"},
       toFile<Options, storeFileVersion>},
  };
}

// --signer-command, --certificate, --signer-timeout: a signer outside this
// process.
template <typename Options>
std::vector<OptionRow<Options>> signerRows() {
  using O = Options;
  return {
      {{'\0', "signer-command", "CMD",
        "sign by running CMD (with --certificate): the digest\n"
        "in hex on its input, r and s in hex from its output"},
       setValue<O, &O::file, &OtaFileSettings::signerCommand>},
      {{'\0', "certificate", "FILE", "the signer's certificate and public key, for\n"
                                     "--signer-command"},
       setFile<O, &O::file, &OtaFileSettings::certificatePath>},
      {{'\0', "signer-timeout", "SECONDS", "stop --signer-command after SECONDS, 1 to 3600\n"
                                           "(default 60)"},
       toFile<O, storeSignerTimeout>},
  };
}

// -s, the signer rows, --integrity-code.
template <typename Options>
std::vector<OptionRow<Options>> sealRows() {
  std::vector<OptionRow<Options>> rows = {
      {{'s', "credentials", "FILE",
        "sign with the signer credentials in FILE (crypto\nsuite 1 or 2, as FILE's certificate is)"},
       setFile<Options, &Options::file, &OtaFileSettings::credentialsPath>}};
  for (OptionRow<Options>& row : signerRows<Options>()) rows.push_back(row);
  rows.push_back({{'\0', "integrity-code", nullptr, "end with an image integrity code (not with a\nsigner)", true},
                  setFlag<Options, &Options::file, &OtaFileSettings::integrityCode>});
  return rows;
}

// --tag TAG=FILE, repeatable; --force for a tag 0 payload that fails its check.
template <typename Options>
std::vector<OptionRow<Options>> tagRows(const char* help) {
  return {{{'\0', "tag", "TAG=FILE", help, true}, toFile<Options, storeTag>},
          {{'\0', "force", nullptr,
            "write the file although a --tag 0 payload fails\n"
            "its format's own check (or otawrap's image preamble\n"
            "no longer matches the header); refused otherwise",
            true},
           setFlag<Options, &Options::file, &OtaFileSettings::force>}};
}

template <typename Options>
std::vector<OptionRow<Options>> stackVersionRows() {
  return {{{'\0', "stack-version", "HEX", "ZigBee stack version, default 0002 (ZigBee PRO)"},
           setHex<Options, 4, &Options::file, &OtaFileSettings::stackVersion>}};
}

// The five optional header fields.
template <typename Options>
std::vector<OptionRow<Options>> headerFieldRows() {
  constexpr auto store = toFile<Options, storeHeaderField>;
  return {
      {{'\0', "header-string", "TEXT", "OTA header string, at most 32 bytes"}, store},
      {{'\0', "security-credential-version", "N", "0 to 255 (decimal, or 0x and hex)"}, store},
      {{'\0', "destination", "IEEE", "upgrade file destination, 16 hex digits"}, store},
      {{'\0', "min-hw-version", "HEX", "minimum hardware version (with --max-hw-version)"},
       store},
      {{'\0', "max-hw-version", "HEX", "maximum hardware version (with --min-hw-version)"},
       store},
  };
}

// -o, --output, --no-clobber.
template <typename Options>
std::vector<OptionRow<Options>> outputRows() {
  using O = Options;
  return {
      {{'o', "output-dir", "DIR", "write into DIR, created with its parents when missing"},
       setDirectory<O, &O::output, &OutputChoice::directory>},
      {{'\0', "output", "FILE", "write to FILE instead, - for standard output\n"
                                 "(not with --output-dir)"},
       setFile<O, &O::output, &OutputChoice::file>},
      {{'\0', "no-clobber", nullptr, "refuse to replace an existing output file", true},
       setFlag<O, &O::output, &OutputChoice::noClobber>},
  };
}

// --json, -q.
template <typename Options>
std::vector<OptionRow<Options>> reportRows() {
  using O = Options;
  return {
      {{'\0', "json", nullptr, "print a JSON summary instead of the path", true},
       setFlag<O, &O::report, &ReportChoice::json>},
      {{'q', "quiet", nullptr, "print nothing on success", true},
       setFlag<O, &O::report, &ReportChoice::quiet>},
  };
}

// --no-payload-check, of a command that reads through the OTA input service.
template <typename Options>
OptionRow<Options> payloadCheckRow(const char* help = "identify the payloads but skip their checks") {
  return {{'\0', "no-payload-check", nullptr, help, true},
          clearFlag<Options, &Options::input, &OtaInputOptions::payloadCheck>};
}

// --force (help says what it writes anyway) and --no-payload-check, of a
// command that writes what it read through the OTA input service.
template <typename Options>
std::vector<OptionRow<Options>> forceRows(const char* help) {
  return {{{'\0', "force", nullptr, help, true}, setFlag<Options, &Options::force>},
          payloadCheckRow<Options>()};
}

// -o with --output, -s with --integrity-code or --signer-command,
// --signer-command with --integrity-code.
std::vector<Exclusion> fileExclusions();

// "" or the usage error of a half-given outside signer: --signer-command
// without --certificate or the other way round, --signer-timeout without
// --signer-command.
std::string signerOptionsIncomplete(const OtaFileSettings& file);

// "" or the usage error of a report that would share standard output with
// the file itself (--json with --output -).
std::string standardOutputConflict(const OutputChoice& output, const ReportChoice& report);

}  // namespace otawrap
