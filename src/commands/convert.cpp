#include "commands/convert.h"

#include <cerrno>
#include <memory>

#include "cli/values.h"
#include "commands/file_summary.h"
#include "driver/file_system.h"
#include "image/input_format.h"
#include "image/intel_hex.h"

namespace otawrap {

namespace {

// The input format chosen for the bytes in source's head, or a refusal.
bool chooseFormat(InputFormatChoice choice, const PeekedSource& source, const std::string& file,
                  bool& intelHex, Problem& problem) {
  if (choice != InputFormatChoice::detect) {
    intelHex = choice == InputFormatChoice::intelHex;
    return true;
  }
  switch (detectInputFormat(source.head(), source.headSize())) {
    case InputFormat::otaFile:
      problem = {Failure::inputIsOtaFile, "", file, 0};
      return false;
    case InputFormat::elf:
      problem = {Failure::inputIsElf, "", file, 0};
      return false;
    case InputFormat::intelHex:
      intelHex = true;
      return true;
    case InputFormat::raw:
      break;
  }
  intelHex = false;
  return true;
}

// Opens the input and builds the file from it (or without it in no-image mode).
bool buildFromInput(RunContext& context, InputFormatChoice choice, Problem& problem) {
  const RunSettings& settings = context.settings;
  if (settings.noImage) return runBuildFile(context, nullptr, problem);
  FileSource file;
  // A directory is refused here on every platform (POSIX would open it and
  // fail on the first read).
  if (fsIsDirectory(settings.inputFileName)) {
    problem = {Failure::cannotOpenInput, "", settings.inputFileName, EISDIR};
    return false;
  }
  errno = 0;
  if (!file.open(settings.inputFileName.c_str())) {
    problem = {Failure::cannotOpenInput, "", settings.inputFileName, errno};
    return false;
  }
  PeekedSource peeked(file);
  bool intelHex = false;
  if (!chooseFormat(choice, peeked, settings.inputFileName, intelHex, problem)) return false;
  if (!intelHex) return runBuildFile(context, &peeked, problem);
  IntelHexSource hex(peeked);
  if (runBuildFile(context, &hex, problem)) return true;
  // A malformed line shows up as a failed read; name the line instead.
  if (hex.failed() && hex.failure().error != IntelHexError::readFailed) {
    const IntelHexFailure failure = hex.failure();
    problem = {Failure::intelHexInvalid,
               settings.inputFileName + ":" + std::to_string(failure.line) + ": " +
                   intelHexErrorText(failure.error),
               settings.inputFileName, 0};
  }
  return false;
}

bool convert(RunContext& context, const ConvertOptions& options, PayloadFiles& payloads,
             Problem& problem) {
  RunSettings& settings = context.settings;
  if (settings.signing && !runLoadCredentials(settings.credentialsPath, settings, problem)) {
    return false;
  }
  if (!readPayloadFiles(options.tags, kOtaFileSizeLimit - kImageBufferSize, payloads,
                        problem)) {
    return false;
  }
  context.extraPayloads = payloads.payloads;
  if (!buildFromInput(context, options.inputFormat, problem)) return false;
  if (settings.outputFile.empty()) {
    const std::string path = runOutputPath(context);
    const std::string name = path.substr(settings.outputDirectory.size());
    if (!fsNameAllowed(name)) {
      problem = {Failure::nameNotCreatable, "", name, 0};
      return false;
    }
  }
  int osError = 0;
  if (options.createOutputDirectory && !fsCreateDirectories(settings.outputDirectory, osError)) {
    problem = {Failure::cannotCreateDirectory, "", settings.outputDirectory, osError};
    return false;
  }
  return runWriteOutput(context, problem);
}

}  // namespace

int runConvertCommand(const ConvertOptions& options, Console console) {
  const auto context = std::make_unique<RunContext>();
  otaHeaderDefaults(context->header);
  context->settings = options.settings;
  Problem problem{Failure::usage, "", "", 0};
  PayloadFiles payloads;
  if (!convert(*context, options, payloads, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  const std::string path = runOutputPath(*context);
  if (options.json) {
    const RunSettings& s = context->settings;
    console.out << writtenFileJson(path, context->image.data(), context->position,
                                   s.noImage ? nullptr : platformName(s.platform), s.signing,
                                   s.integrityCode);
  } else if (!options.quiet) {
    console.out << path << '\n';
  }
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
