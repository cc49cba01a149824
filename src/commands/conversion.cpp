#include "commands/conversion.h"

#include <cerrno>

#include "driver/file_system.h"
#include "driver/output.h"
#include "image/raw_reader.h"
#include "ota/signed_file.h"

namespace otawrap {

namespace {

// The directory part of a path: everything up to and including its last
// separator ("" when none).
std::string directoryOf(const std::string& path) {
  const std::size_t at = path.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

}  // namespace

std::size_t runImageLimit(const RunSettings& settings) {
  return kImageBufferSize - (settings.signing ? kOtaSignedTrailerSize : 0);
}

void runApplyHeaderFields(const HeaderFieldSettings& fields, OtaHeader& header) {
  if (fields.headerStringGiven) {
    header.headerString = fields.headerString;
  }
  header.fieldControl = fields.fieldControl;
  header.securityCredentialVersion = fields.securityCredentialVersion;
  header.upgradeFileDestination = fields.destination;
  header.minimumHardwareVersion = fields.minimumHardwareVersion;
  header.maximumHardwareVersion = fields.maximumHardwareVersion;
  header.headerLength = otaHeaderLengthFor(header.fieldControl);
  header.totalImageSize = header.headerLength;
}

bool runLoadCredentials(const std::string& path, RunSettings& settings, Problem& problem) {
  settings.signing = true;
  settings.credentialsPath = path;
  return loadCredentials(path, settings.credentials, problem);
}

bool loadCredentials(const std::string& path, SignerCredentials& credentials, Problem& problem) {
  errno = 0;
  CredentialsFault fault;
  const CredentialsStatus status = loadSignerCredentials(path.c_str(), credentials, &fault);
  if (status == CredentialsStatus::ok) return true;
  if (status == CredentialsStatus::cannotOpen) {
    problem = {Failure::cannotOpenCredentials, "", path, errno};
  } else {
    problem = {Failure::invalidCredentials, credentialsFaultText(fault), path, 0};
  }
  return false;
}

bool runBuildFile(RunContext& context, ByteSource* input, Problem& problem) {
  OtaHeader& header = context.header;
  ImageIdentifiers& ids = context.settings.identifiers;
  runApplyHeaderFields(context.settings.headerFields, header);
  header.manufacturerCode = ids.manufacturerCode;
  header.imageType = ids.imageType;
  header.fileVersion = ids.fileVersion;
  context.position = otaHeaderSerialize(header, context.image.data());

  if (!context.settings.noImage) {
    RawReader reader(*input);
    std::size_t end = 0;
    const ImageStatus status =
        imageAppendUpgradeImage(reader, context.settings.platform, ids, context.image.data(),
                                context.position, runImageLimit(context.settings), end);
    if (status != ImageStatus::ok) {
      problem = {imageFailure(status), "", context.settings.inputFileName, 0};
      return false;
    }
    header.manufacturerCode = ids.manufacturerCode;
    header.imageType = ids.imageType;
    header.fileVersion = ids.fileVersion;
    header.totalImageSize += static_cast<std::uint32_t>(end - context.position);
    context.position = end;
  }

  if (context.settings.signing) {
    const SignStatus status = otaSignedFileAppend(header, context.image.data(), context.position,
                                                  context.settings.credentials);
    if (status != SignStatus::ok) {
      problem = {Failure::signingFailed, "", "", 0};
      return false;
    }
    return true;
  }
  // An unsigned file only needs its header brought up to date.
  otaHeaderPatch(header, context.image.data());
  return true;
}

std::string runOutputPath(const RunContext& context) {
  if (!context.settings.outputFile.empty()) return context.settings.outputFile;
  const OtaHeader& header = context.header;
  return context.settings.outputDirectory +
         outputFileName(header.manufacturerCode, header.imageType, header.fileVersion);
}

bool runWriteOutput(const RunContext& context, Problem& problem) {
  const std::string path = runOutputPath(context);
  if (path.size() >= kPathBufferSize) {
    problem = {Failure::outputPathTooLong, "", path, 0};
    return false;
  }
  const std::string directory = context.settings.outputFile.empty()
                                    ? context.settings.outputDirectory
                                    : directoryOf(path);
  const std::string name = path.substr(directory.size());
  errno = 0;
  const char* error = outputWriteFile(directory, name, context.image.data(),
                                      context.header.totalImageSize);
  if (error == nullptr) return true;
  const int reason = errno;
  const bool opening = std::string(error) == "Unable to open output file";
  problem = {opening ? Failure::cannotOpenOutput : Failure::cannotWriteOutput, "", path, reason};
  return false;
}

bool runConversion(RunContext& context, Problem& problem) {
  FileSource input;
  if (!context.settings.noImage) {
    errno = 0;
    if (!input.open(context.settings.inputFileName.c_str())) {
      problem = {Failure::cannotOpenInput, "", context.settings.inputFileName, errno};
      return false;
    }
  }
  return runBuildFile(context, &input, problem) && runWriteOutput(context, problem);
}

}  // namespace otawrap
