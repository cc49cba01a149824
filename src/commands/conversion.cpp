#include "commands/conversion.h"

#include <cerrno>

#include "driver/file_system.h"
#include "driver/output.h"
#include "ota/conversion.h"
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

OtaSeal runSeal(const RunSettings& settings) {
  if (settings.signing) return OtaSeal::signature;
  return settings.integrityCode ? OtaSeal::integrityCode : OtaSeal::none;
}

std::size_t runImageLimit(const RunSettings& settings) {
  return kImageBufferSize - otaSealSize(runSeal(settings));
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
  const RunSettings& settings = context.settings;
  OtaConversionRequest request;
  request.header = context.header;
  runApplyHeaderFields(settings.headerFields, request.header);
  request.header.stackVersion = settings.stackVersion;
  request.identifiers = settings.identifiers;
  request.platform = settings.platform;
  request.noImage = settings.noImage;
  request.extraPayloads = context.extraPayloads;
  request.seal = runSeal(settings);
  request.credentials = &settings.credentials;

  // Each extra sub-element adds its own room, so the image keeps the room it
  // has always had. The builder's limit bounds the sum.
  std::size_t capacity = kImageBufferSize;
  for (const OtaPayload& payload : context.extraPayloads) {
    if (payload.size > kOtaFileSizeLimit - kOtaSubElementHeadSize - capacity) {
      problem = {Failure::fileTooLarge, "", "", 0};
      return false;
    }
    capacity += kOtaSubElementHeadSize + payload.size;
  }
  context.image.resize(capacity);

  std::size_t size = 0;
  const OtaConversionResult result =
      otaConvert(request, input, context.image.data(), capacity, size);
  if (result.image != ImageStatus::ok) {
    problem = {imageFailure(result.image), "", settings.inputFileName, 0};
    return false;
  }
  if (result.build.status != OtaBuildStatus::ok) {
    problem = {buildFailure(result.build.status), "a tag otawrap does not take from the user",
               "", 0};
    return false;
  }
  context.header = request.header;
  context.settings.identifiers = request.identifiers;
  context.position = size;
  return true;
}

std::string runOutputPath(const RunContext& context) {
  if (!context.settings.outputFile.empty()) return context.settings.outputFile;
  const OtaHeader& header = context.header;
  return context.settings.outputDirectory +
         outputFileName(header.manufacturerCode, header.imageType, header.fileVersion);
}

bool writeOutputFile(const std::string& path, const std::string& outputFile,
                     const std::string& outputDirectory, const std::uint8_t* data,
                     std::size_t size, Problem& problem) {
  if (path.size() >= kPathBufferSize) {
    problem = {Failure::outputPathTooLong, "", path, 0};
    return false;
  }
  const std::string directory = outputFile.empty() ? outputDirectory : directoryOf(path);
  const std::string name = path.substr(directory.size());
  errno = 0;
  const char* error = outputWriteFile(directory, name, data, size);
  if (error == nullptr) return true;
  const int reason = errno;
  const bool opening = std::string(error) == "Unable to open output file";
  problem = {opening ? Failure::cannotOpenOutput : Failure::cannotWriteOutput, "", path, reason};
  return false;
}

bool runWriteOutput(const RunContext& context, Problem& problem) {
  return writeOutputFile(runOutputPath(context), context.settings.outputFile,
                         context.settings.outputDirectory, context.image.data(),
                         context.header.totalImageSize, problem);
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
