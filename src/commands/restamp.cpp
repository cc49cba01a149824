#include "commands/restamp.h"

#include <cstdint>
#include <vector>

#include "app/convert_run.h"
#include "app/file_options.h"
#include "app/output_files.h"
#include "app/signature_facts.h"
#include "codec/hex.h"
#include "ota/header_rewrite.h"
#include "ota/signature_check.h"
#include "report/header_fields.h"
#include "report/json_writer.h"

namespace otawrap {

namespace {

// The seal file ends with, named with its suite.
const char* sealName(OtaSeal seal, const std::uint8_t* file, const OtaFileInfo& info) {
  OtaSignatureParts parts;
  switch (seal) {
    case OtaSeal::signature:
      return otaSignatureFind(file, info, parts) == SignatureCheckStatus::passed &&
                     parts.curve == SigningCurve::sect283k1
                 ? "crypto suite 2 signature"
                 : "signature";
    case OtaSeal::integrityCode:
      return "integrity code";
    case OtaSeal::none:
      break;
  }
  return "none";
}

// The signer's address as every report shows it, "" without a signature.
std::string addressText(const std::uint8_t* stored) {
  return stored != nullptr ? storedAddressText(stored) : "";
}

OtaRestampRequest requestFrom(const RestampOptions& options, const SignerCredentials* credentials) {
  const HeaderFieldSettings& given = options.file.headerFields;
  OtaRestampRequest request;
  request.fields.fileVersionGiven = options.file.identifiers.fileVersionGiven;
  request.fields.fileVersion = options.file.identifiers.fileVersion;
  request.fields.headerStringGiven = given.headerStringGiven;
  request.fields.headerString = given.headerString;
  request.fields.minimumHardwareVersionGiven = given.minimumHardwareVersionGiven;
  request.fields.minimumHardwareVersion = given.minimumHardwareVersion;
  request.fields.maximumHardwareVersionGiven = given.maximumHardwareVersionGiven;
  request.fields.maximumHardwareVersion = given.maximumHardwareVersion;
  request.resign = credentials != nullptr ? OtaResign::sign
                   : options.dropSignature ? OtaResign::drop
                                           : OtaResign::keep;
  request.credentials = credentials;
  return request;
}

Failure restampFailure(OtaRestampStatus status) {
  switch (status) {
    case OtaRestampStatus::signatureWouldBreak:
      return Failure::restampBreaksSignature;
    case OtaRestampStatus::hardwareRangeIncomplete:
      return Failure::restampHalfHardwareRange;
    case OtaRestampStatus::hardwareRangeInverted:
      return Failure::restampInvertedHardwareRange;
    case OtaRestampStatus::fileTooLarge:
      return Failure::fileTooLarge;
    case OtaRestampStatus::checkFails:
      return Failure::restampFailsCheck;
    case OtaRestampStatus::signerFailed:  // worded by sealProblem
    case OtaRestampStatus::signatureFailed:
    case OtaRestampStatus::ok:
      break;
  }
  return Failure::signingFailed;
}

// What the run reports besides the path.
struct Stamped {
  const OtaFileInfo& before;
  const OtaFileInfo& after;
  bool headerStringGiven;
  bool hardwareGiven;
  bool preambleStamped;  // the upgrade image's preamble and CRC, as convert stamps them
  std::uint16_t imageCrc;
  const char* sealBefore;
  const char* seal;
  std::string signerBefore;  // "" when unsigned
  std::string signer;        // "" when the new file is unsigned
  std::size_t size;
};

std::string hardwareText(const OtaFileInfo& info) {
  if (!info.hardwareVersionsPresent) return "none";
  return "0x" + hexUpper(info.header.minimumHardwareVersion, 4) + "..0x" +
         hexUpper(info.header.maximumHardwareVersion, 4);
}

// One line per field the options rewrote, then the seal and the signer.
std::string reportText(const std::string& path, const Stamped& s) {
  std::string out = "file version " + hexUpper(s.before.header.fileVersion, 8) + " -> " +
                    hexUpper(s.after.header.fileVersion, 8) + "\n";
  if (s.headerStringGiven) {
    out += "header string " + otaHeaderStringQuoted(s.before.header) + " -> " +
           otaHeaderStringQuoted(s.after.header) + "\n";
  }
  if (s.hardwareGiven) {
    out += "hardware versions " + hardwareText(s.before) + " -> " + hardwareText(s.after) + "\n";
  }
  if (s.preambleStamped) {
    out += "image preamble stamped again, image CRC 0x" + hexUpper(s.before.imageCrc, 4) + " -> 0x" +
           hexUpper(s.imageCrc, 4) + "\n";
  }
  out += "seal: " + std::string(s.sealBefore) + " -> " + s.seal + "\n";
  if (!s.signer.empty()) {
    out += "signer " + s.signer;
    if (s.signerBefore.empty()) {
      out += "\n";
    } else {
      out += s.signerBefore == s.signer ? " (unchanged)\n" : " (was " + s.signerBefore + ")\n";
    }
  }
  return out + path + "\n";
}

// The header fields restamp may rewrite, under their keys + suffix.
void headerMembers(JsonWriter& json, const OtaFileInfo& info, const std::string& suffix) {
  for (const char* key :
       {"fileVersion", "headerString", "minimumHardwareVersion", "maximumHardwareVersion"}) {
    json.key((key + suffix).c_str());
    headerFieldJson(json, otaHeaderField(info, key), info.header);
  }
}

std::string reportJson(const RestampOptions& options, const std::string& path, const Stamped& s) {
  JsonWriter json;
  json.beginObject();
  json.stringMember("file", options.path);
  json.stringMember("output", path);
  headerMembers(json, s.before, "Before");
  headerMembers(json, s.after, "");
  json.booleanMember("preambleStamped", s.preambleStamped);
  json.stringMember("sealBefore", s.sealBefore);
  json.stringMember("seal", s.seal);
  json.stringMember("signerBefore", s.signerBefore);
  json.stringMember("signer", s.signer);
  json.numberMember("otaFileSize", s.size);
  json.endObject();
  return json.text() + "\n";
}

int runRestamp(const RestampOptions& options, const Console& console) {
  OtaInput input;
  Problem problem{Failure::usage, "", "", 0};
  if (!openSoundOtaInput(options.path, options.input, input, problem)) {
    return reportFailure(problem, console);
  }
  const OtaFileInfo& info = input.info;
  SignerCredentials credentials;
  ExternalSigner external;
  const bool signing = signerGiven(options.file);
  if (signing && !loadSigner(options.file, credentials, external, problem)) {
    return reportFailure(problem, console);
  }
  const std::uint8_t* file = input.file();
  std::vector<std::uint8_t> out;
  const OtaRestampResult result =
      otaRestamp(file, info, requestFrom(options, signing ? &credentials : nullptr), out);
  if (result.status == OtaRestampStatus::signerFailed ||
      result.status == OtaRestampStatus::signatureFailed) {
    return reportFailure(sealProblem(result.status == OtaRestampStatus::signerFailed
                                         ? OtaBuildStatus::signerFailed
                                         : OtaBuildStatus::signatureFailed,
                                     external),
                         console);
  }
  if (result.status != OtaRestampStatus::ok) {
    const std::string detail = result.status == OtaRestampStatus::checkFails
                                   ? failedCheckText(result.after, result.failedCheck)
                                   : "";
    return reportFailure({restampFailure(result.status), detail, options.path, 0}, console);
  }

  const OtaHeader& header = result.after.header;
  const HeaderFieldSettings& given = options.file.headerFields;
  const Stamped stamped{info,
                        result.after,
                        given.headerStringGiven,
                        given.minimumHardwareVersionGiven || given.maximumHardwareVersionGiven,
                        result.preambleStamped,
                        result.imageCrc,
                        sealName(result.sealBefore, file, info),
                        sealName(result.sealAfter, out.data(), result.after),
                        addressText(otaSignerAddressBytes(file, info)),
                        addressText(otaSignerAddressBytes(out.data(), result.after)),
                        out.size()};
  const OutputReport report = [&](const std::string& path) {
    if (options.report.json) return reportJson(options, path, stamped);
    return options.report.quiet ? std::string() : reportText(path, stamped);
  };
  return writeOutputAndReport(
      options.output, outputFileName(header.manufacturerCode, header.imageType, header.fileVersion),
      out.data(), out.size(), report, console);
}

std::string finishRestamp(const std::vector<std::string>& operands, RestampOptions& options) {
  options.path = operands[0];
  if (!options.file.identifiers.fileVersionGiven) return "missing --file-version HEX";
  if (options.output.file.empty() && options.output.directory.empty()) {
    return "missing --output FILE or --output-dir DIR";
  }
  std::string signer = signerOptionsIncomplete(options.file);
  if (!signer.empty()) return signer;
  return standardOutputConflict(options.output, options.report);
}

}  // namespace

const CommandDefinition<RestampOptions>& restampDefinition() {
  using O = RestampOptions;
  constexpr auto field = toFile<O, storeHeaderField>;
  static const CommandDefinition<O> definition = {
      {"restamp", nullptr, CommandKind::makes, "FILE --file-version HEX [options]",
       "new header fields for an OTA file, sealed again",
       "FILE --file-version HEX [--header-string TEXT]\n"
       "                      [--min-hw-version HEX] [--max-hw-version HEX]\n"
       "                      (--output OUT | --output-dir DIR)\n"
       "                      [--credentials FILE | --signer-command CMD --certificate FILE\n"
       "                      | --drop-signature] [--json | --quiet]",
       "Reads FILE as info does and, when every check passes, writes it as a plain\n"
       "OTA file with the new header fields; the sub-elements between the header and\n"
       "the seal are kept byte for byte. An integrity code is computed again; a\n"
       "signature of either crypto suite is made again with --credentials or\n"
       "--signer-command (any signer, the signer's suite) or left out with\n"
       "--drop-signature, and a signed file without either is refused. An image of\n"
       "otawrap's gets its preamble and CRC stamped again as convert stamps them.\n"
       "The new file must pass every check.\n",
       "Options:", "otawrap restamp app.zigbee --file-version 00010204 --output new.zigbee"},
      joinRows<O>({
          {
              {{'v', "file-version", "HEX", "the new file version, 1 to 8 hex digits (required)"},
               toFile<O, storeFileVersion>},
              {{'\0', "header-string", "TEXT", "the new OTA header string, at most 32 bytes"},
               field},
              {{'\0', "min-hw-version", "HEX", "the new minimum hardware version"}, field},
              {{'\0', "max-hw-version", "HEX", "the new maximum hardware version"}, field},
              {{'s', "credentials", "FILE", "sign again with the signer credentials in FILE"},
               setFile<O, &O::file, &OtaFileSettings::credentialsPath>},
          },
          signerRows<O>(),
          {
              {{'\0', "drop-signature", nullptr, "write the file without its signature", true},
               setFlag<O, &O::dropSignature>},
              payloadCheckRow<O>("identify FILE's payloads but skip their checks"),
          },
          outputRows<O>(),
          reportRows<O>(),
      }),
      {{{"output", "output-dir"}},
       {{"credentials", "drop-signature"}},
       {{"signer-command", "drop-signature"}},
       {{"credentials", "signer-command"}}},
      {1, 1, "FILE"},
      finishRestamp,
      runRestamp,
  };
  return definition;
}

const Command& restampCommand() {
  static const DefinedCommand<RestampOptions> command(restampDefinition());
  return command;
}

}  // namespace otawrap
