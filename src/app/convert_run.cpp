#include "app/module_failures.h"
#include "app/convert_run.h"

#include <cerrno>

#include "ota/raw_to_ota.h"
#include "ota/signed_file.h"

namespace otawrap {

OtaSeal runSeal(const OtaFileSettings& file) {
  if (signerGiven(file)) return OtaSeal::signature;
  return file.integrityCode ? OtaSeal::integrityCode : OtaSeal::none;
}

std::size_t runImageLimit(const OtaFileSettings& file, const SignerCredentials& credentials) {
  return kImageBufferSize - otaSealSize(runSeal(file), &credentials);
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

bool runLoadCredentials(const std::string& path, OtaFileSettings& file,
                        SignerCredentials& credentials, Problem& problem) {
  file.credentialsPath = path;
  if (!loadCredentials(path, credentials, problem)) return false;
  // The legacy form stays what it was: suite 1, three labels.
  if (credentials.curve != SigningCurve::sect163k1 ||
      credentials.format != CredentialsFormat::signer) {
    problem = {Failure::invalidCredentials, "only crypto suite 1 credentials of three labels",
               path, 0};
    return false;
  }
  return true;
}

bool runBuildFile(const RunSettings& settings, RunContext& context, ByteSource* input,
                  Problem& problem) {
  OtaConversionRequest request;
  request.header = context.header;
  runApplyHeaderFields(settings.file.headerFields, request.header);
  request.header.stackVersion = settings.file.stackVersion;
  request.identifiers = settings.file.identifiers;
  request.platform = settings.platform;
  request.noImage = settings.noImage;
  request.extraPayloads = context.extraPayloads;
  request.seal = runSeal(settings.file);
  request.credentials = &context.credentials;

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
    problem = sealProblem(result.build.status, context.external);
    return false;
  }
  context.header = request.header;
  context.position = size;
  return true;
}

bool runConversion(const RunSettings& settings, RunContext& context, Problem& problem) {
  FileSource input;
  if (!settings.noImage) {
    errno = 0;
    if (!input.open(settings.inputFileName.c_str())) {
      problem = {Failure::cannotOpenInput, "", settings.inputFileName, errno};
      return false;
    }
  }
  return runBuildFile(settings, context, &input, problem);
}

}  // namespace otawrap
