#include "driver/run.h"

#include <memory>
#include <string>

#include "driver/failure_messages.h"
#include "driver/info_command.h"
#include "driver/long_options.h"
#include "driver/output.h"
#include "driver/verify_command.h"
#include "image/assembly.h"
#include "image/raw_reader.h"
#include "ota/signed_file.h"

namespace otawrap {

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitError = 2;

int errorExit(const char* message, std::ostream& out) {
  out << "Error: " << message << std::flush;
  return kExitError;
}

// otawrap --help, --version, --info, --verify.
int runLongOptionMode(LongOptionMode mode, int argc, const char* const* argv,
                      std::ostream& out) {
  if (mode == LongOptionMode::help) {
    out << usageText() << longOptionsHelpText() << std::flush;
    return kExitSuccess;
  }
  if (mode == LongOptionMode::version) {
    out << versionText() << std::flush;
    return kExitSuccess;
  }
  LongOptionArguments arguments;
  const char* error = parseLongOptionArguments(mode, argc, argv, arguments);
  if (error != nullptr) {
    return errorExit(error, out);
  }
  return mode == LongOptionMode::info ? runInfoCommand(arguments, out)
                                      : runVerifyCommand(arguments, out);
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

const char* runBuildFile(RunContext& context, ByteSource* input) {
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
      return failureMessage(status);
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
    return status == SignStatus::ok ? nullptr : failureMessage(status);
  }
  // An unsigned file only needs its header brought up to date.
  otaHeaderPatch(header, context.image.data());
  return nullptr;
}

const char* runWriteOutput(const RunContext& context) {
  const OtaHeader& header = context.header;
  const std::string name =
      outputFileName(header.manufacturerCode, header.imageType, header.fileVersion);
  if (context.settings.outputDirectory.size() + name.size() >= kPathBufferSize) {
    return "Output path too long";
  }
  return outputWriteFile(context.settings.outputDirectory, name, context.image.data(),
                         header.totalImageSize);
}

int runOtawrap(int argc, const char* const* argv, std::ostream& out) {
  if (argc >= 2) {
    const LongOptionMode mode = longOptionMode(argv[1]);
    if (mode != LongOptionMode::none) {
      return runLongOptionMode(mode, argc, argv, out);
    }
  }
  const auto context = std::make_unique<RunContext>();
  otaHeaderDefaults(context->header);
  context->position = 0;

  const CommandLineResult parsed = parseCommandLine(argc, argv, context->settings);
  if (parsed.outcome == CommandLineOutcome::usage) {
    out << usageText() << std::flush;
    return kExitSuccess;
  }
  if (parsed.outcome == CommandLineOutcome::error) {
    return errorExit(parsed.message, out);
  }

  FileSource input;
  if (!context->settings.noImage && !input.open(context->settings.inputFileName.c_str())) {
    return errorExit("Unable to open input file", out);
  }
  const char* error = runBuildFile(*context, &input);
  if (error == nullptr) {
    error = runWriteOutput(*context);
  }
  if (error != nullptr) {
    return errorExit(error, out);
  }
  return kExitSuccess;
}

}  // namespace otawrap
