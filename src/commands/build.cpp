#include "commands/build.h"

#include "commands/conversion.h"
#include "commands/file_summary.h"
#include "driver/file_system.h"
#include "driver/output.h"
#include "ota/builder.h"

namespace otawrap {

namespace {

bool build(const BuildOptions& options, std::vector<std::uint8_t>& file, std::string& path,
           Problem& problem) {
  SignerCredentials credentials{};
  const bool signing = !options.credentialsPath.empty();
  if (signing && !loadCredentials(options.credentialsPath, credentials, problem)) return false;
  PayloadFiles payloads;
  if (!readPayloadFiles(options.tags, kOtaFileSizeLimit, payloads, problem)) return false;

  OtaBuildRequest request;
  otaHeaderDefaults(request.header);
  runApplyHeaderFields(options.headerFields, request.header);
  request.header.manufacturerCode = options.identifiers.manufacturerCode;
  request.header.imageType = options.identifiers.imageType;
  request.header.fileVersion = options.identifiers.fileVersion;
  request.header.stackVersion = options.stackVersion;
  request.payloads = payloads.payloads;
  request.seal = signing                  ? OtaSeal::signature
                 : options.integrityCode ? OtaSeal::integrityCode
                                         : OtaSeal::none;
  request.credentials = &credentials;
  const OtaBuildResult result = otaBuildFile(request, file);
  if (result.status != OtaBuildStatus::ok) {
    problem = {buildFailure(result.status), "a tag otawrap does not take from the user", "", 0};
    return false;
  }

  const std::string name =
      outputFileName(options.identifiers.manufacturerCode, options.identifiers.imageType, options.identifiers.fileVersion);
  path = options.outputFile.empty() ? options.outputDirectory + name : options.outputFile;
  if (options.outputFile.empty() && !fsNameAllowed(name)) {
    problem = {Failure::nameNotCreatable, "", name, 0};
    return false;
  }
  int osError = 0;
  if (!options.outputDirectory.empty() &&
      !fsCreateDirectories(options.outputDirectory, osError)) {
    problem = {Failure::cannotCreateDirectory, "", options.outputDirectory, osError};
    return false;
  }
  return writeOutputFile(path, options.outputFile, options.outputDirectory, file.data(),
                         file.size(), problem);
}

}  // namespace

int runBuildCommand(const BuildOptions& options, Console console) {
  std::vector<std::uint8_t> file;
  std::string path;
  Problem problem{Failure::usage, "", "", 0};
  if (!build(options, file, path, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  if (options.json) {
    console.out << writtenFileJson(path, file.data(), file.size(), nullptr,
                                   !options.credentialsPath.empty(), options.integrityCode);
  } else if (!options.quiet) {
    console.out << path << '\n';
  }
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
