#include "commands/build.h"

#include "app/convert_run.h"
#include "app/file_options.h"
#include "app/file_summary.h"
#include "app/module_failures.h"
#include "app/output_files.h"
#include "app/payload_files.h"
#include "codec/escape.h"
#include "ota/builder.h"
#include "report/check_texts.h"

namespace otawrap {

namespace {

// A tag-0 payload that carries this tool's image preamble must still match
// the header it now sits under; an image of ours re-wrapped under other
// identifiers does not, and info would reject the file. Empty when it does.
std::string preambleMismatch(const OtaFileInfo& info) {
  for (const OtaCheckId id : {OtaCheckId::imagePreamble, OtaCheckId::imageCrc}) {
    if (info.check(id).state == OtaCheckState::failed) {
      std::string text = std::string("the upgrade image carries the image preamble, but ") +
                         otaCheckName(id) + " failed";
      const OtaReason reason = info.check(id).reason;
      if (reason != OtaReason::none) text += std::string(": ") + otaReasonText(reason);
      return text;
    }
  }
  return "";
}

// Builds the file and reads it as info does (info: the one parse its checks
// and its JSON summary share).
bool build(const BuildOptions& options, std::vector<std::uint8_t>& file, OtaFileInfo& info,
           Problem& problem, const Console& console) {
  const OtaFileSettings& settings = options.file;
  SignerCredentials credentials{};
  ExternalSigner external;
  if (signerGiven(settings) && !loadSigner(settings, credentials, external, problem)) return false;
  OtaBuildRequest request;
  otaHeaderDefaults(request.header);
  runApplyHeaderFields(settings.headerFields, request.header);
  request.header.manufacturerCode = settings.identifiers.manufacturerCode;
  request.header.imageType = settings.identifiers.imageType;
  request.header.fileVersion = settings.identifiers.fileVersion;
  request.header.stackVersion = settings.stackVersion;
  request.seal = runSeal(settings);
  request.credentials = &credentials;
  // The payloads are read straight into the file: it is the only copy.
  OtaFileLayout layout;
  if (!placePayloadFiles(settings.tags, request, layout, file, problem)) return false;
  if (!settings.force &&
      !checkUpgradeImages(settings.tags, request.payloads, request.header, problem)) {
    return false;
  }
  const OtaBuildStatus sealed = otaFinishFile(request, layout, file.data());
  if (sealed != OtaBuildStatus::ok) {
    problem = sealProblem(sealed, external);
    return false;
  }
  info = otaFileRead(file.data(), file.size());
  const std::string mismatch = preambleMismatch(info);
  if (!mismatch.empty()) {
    if (!settings.force) {
      problem = {Failure::preambleMismatch, mismatch, "", 0};
      return false;
    }
    console.err << "otawrap: warning: " << escapeControlCharacters(mismatch) << '\n';
    console.err.flush();
  }

  return true;
}

int runBuild(const BuildOptions& options, const Console& console) {
  std::vector<std::uint8_t> file;
  OtaFileInfo info{};
  Problem problem{Failure::usage, "", "", 0};
  if (!build(options, file, info, problem, console)) return reportFailure(problem, console);
  const OutputReport report = [&](const std::string& path) {
    if (options.report.json) {
      return writtenFileJson(path, info, file.size(), nullptr,
                             signerGiven(options.file), options.file.integrityCode);
    }
    return options.report.quiet ? std::string() : path + "\n";
  };
  const ImageIdentifiers& ids = options.file.identifiers;
  return writeOutputAndReport(options.output,
                              outputFileName(ids.manufacturerCode, ids.imageType, ids.fileVersion),
                              file.data(), file.size(), report, console);
}

std::string finishBuild(const std::vector<std::string>&, BuildOptions& options) {
  const ImageIdentifiers& ids = options.file.identifiers;
  if (!ids.manufacturerGiven) return "missing --manufacturer";
  if (!ids.imageTypeGiven) return "missing --image-type";
  if (!ids.fileVersionGiven) return "missing --file-version";
  if (options.file.tags.empty()) return "missing --tag: at least one payload is needed";
  std::string conflict = signerOptionsIncomplete(options.file);
  if (!conflict.empty()) return conflict;
  conflict = standardOutputConflict(options.output, options.report);
  if (!conflict.empty()) return conflict;
  const char* fields = headerFieldsComplete(options.file.headerFields);
  return fields != nullptr ? fields : "";
}

}  // namespace

const CommandDefinition<BuildOptions>& buildDefinition() {
  using O = BuildOptions;
  static const CommandDefinition<O> definition = {
      {"build", nullptr, CommandKind::makes, "--tag TAG=FILE ...", "OTA file from any payloads",
       "-m HEX -t HEX -v HEX (--tag TAG=FILE)... [options]",
       "Builds an OTA file holding the bytes of each FILE as a sub-element with its\n"
       "TAG, in the order given, and prints the path it wrote (by default\n"
       "MMMM-TTTT-VVVVVVVV.zigbee in the current directory). At most 64 MiB.\n",
       "Options:", "otawrap build -m 1234 -t 0101 -v 1 --tag 0=boot.bin --integrity-code"},
      joinRows<O>({
          identifierRows<O>(true),
          tagRows<O>("a sub-element; TAG 1 to 4 hex digits, 0x optional,\n"
                     "not 0001-0003, 0005 or 0006 (written by otawrap)"),
          stackVersionRows<O>(),
          sealRows<O>(),
          headerFieldRows<O>(),
          outputRows<O>(),
          reportRows<O>(),
      }),
      fileExclusions(),
      {0, 0, "FILE"},
      finishBuild,
      runBuild,
  };
  return definition;
}

const Command& buildCommand() {
  static const DefinedCommand<BuildOptions> command(buildDefinition());
  return command;
}

}  // namespace otawrap
