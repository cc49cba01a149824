#include "commands/module_failures.h"
#include "commands/convert.h"

#include <cerrno>
#include <memory>

#include "cli/values.h"
#include "commands/file_options.h"
#include "commands/file_summary.h"
#include "commands/input_file.h"
#include "commands/input_lookalike.h"
#include "commands/output_files.h"
#include "commands/payload_files.h"
#include "commands/registry.h"
#include "io/file_system.h"
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
bool buildFromInput(const ConvertOptions& settings, RunContext& context, Problem& problem) {
  if (settings.noImage) return runBuildFile(settings, context, nullptr, problem);
  FileSource file;
  if (settings.inputFileName == kStandardInputName) {
    file.borrow(fsStandardInput());
  } else {
    // A directory is refused here on every platform (POSIX would open it
    // and fail on the first read).
    if (fsIsDirectory(settings.inputFileName)) {
      problem = {Failure::cannotOpenInput, "", settings.inputFileName, EISDIR};
      return false;
    }
    errno = 0;
    if (!file.open(settings.inputFileName.c_str())) {
      problem = {Failure::cannotOpenInput, "", settings.inputFileName, errno};
      return false;
    }
  }
  PeekedSource peeked(file);
  bool intelHex = false;
  if (!chooseFormat(settings.inputFormat, peeked, settings.inputFileName, intelHex, problem)) {
    return false;
  }
  if (!intelHex) {
    if (runBuildFile(settings, context, &peeked, problem)) return true;
    // The raw walk gave up: say what the input looks like and how to wrap it.
    // (A cut raw file that looks like nothing else stays "truncated".)
    const std::string kind = inputLookalike(peeked.head(), peeked.headSize());
    const bool small = problem.failure == Failure::imageTooSmall;
    if (small || (problem.failure == Failure::inputTruncated && !kind.empty())) {
      problem = notFirmwareProblem(settings.inputFileName, kind);
    }
    return false;
  }
  IntelHexSource hex(peeked);
  if (runBuildFile(settings, context, &hex, problem)) return true;
  // A malformed line shows up as a failed read; name the line instead.
  if (hex.failed() && hex.failure().error != IntelHexError::readFailed) {
    problem = intelHexProblem(settings.inputFileName, hex.failure());
  }
  return false;
}

bool convert(const ConvertOptions& settings, RunContext& context, PayloadFiles& payloads,
             Problem& problem) {
  const std::string& credentials = settings.file.credentialsPath;
  if (!credentials.empty() && !loadCredentials(credentials, context.credentials, problem)) {
    return false;
  }
  if (!readPayloadFiles(settings.file.tags, kOtaFileSizeLimit - kImageBufferSize, payloads,
                        problem)) {
    return false;
  }
  if (!settings.file.force &&
      !checkUpgradeImagePayloads(settings.file.tags, payloads, OtaHeader{}, problem)) {
    return false;
  }
  context.extraPayloads = payloads.payloads;
  return buildFromInput(settings, context, problem);
}

int runConvert(const ConvertOptions& options, Console console) {
  const auto context = std::make_unique<RunContext>();
  otaHeaderDefaults(context->header);
  Problem problem{Failure::usage, "", "", 0};
  PayloadFiles payloads;
  if (!convert(options, *context, payloads, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  const RunContext& built = *context;
  const OutputReport report = [&](const std::string& path) {
    if (options.report.json) {
      return writtenFileJson(path, built.image.data(), built.position,
                             options.noImage ? nullptr : platformName(options.platform),
                             !options.file.credentialsPath.empty(), options.file.integrityCode);
    }
    return options.report.quiet ? std::string() : path + "\n";
  };
  const OtaHeader& header = built.header;
  return writeOutputAndReport(
      options.output, outputFileName(header.manufacturerCode, header.imageType, header.fileVersion),
      built.image.data(), header.totalImageSize, report, console, MessageStyle::command);
}

std::string storePlatform(const ParsedOption& given, ConvertOptions& options) {
  return parsePlatform(given.name, given.value, options.platform);
}

std::string storeNoImage(const ParsedOption&, ConvertOptions& options) {
  options.noImage = true;
  return "";
}

std::string storeInputFormat(const ParsedOption& given, ConvertOptions& options) {
  if (given.value == "raw") {
    options.inputFormat = InputFormatChoice::raw;
  } else if (given.value == "ihex") {
    options.inputFormat = InputFormatChoice::intelHex;
  } else {
    return "invalid value '" + given.value + "' for " + given.name + ": raw or ihex expected";
  }
  return "";
}

std::string finishConvert(const std::vector<std::string>& operands, ConvertOptions& options) {
  const char* fields = headerFieldsComplete(options.file.headerFields);
  if (fields != nullptr) return fields;
  // Without an image nothing else supplies the identifiers.
  const ImageIdentifiers& ids = options.file.identifiers;
  if (options.noImage && !(ids.manufacturerGiven && ids.imageTypeGiven && ids.fileVersionGiven)) {
    return "--no-image needs -m, -t and -v: there is no image to take them from";
  }
  options.inputFileName = operands[0];
  if (options.inputFileName.size() >= kPathBufferSize) return "input file name too long";
  return "";
}

}  // namespace

const CommandDefinition<ConvertOptions>& convertDefinition() {
  using O = ConvertOptions;
  static const CommandDefinition<O> definition = {
      {"convert", nullptr, "convert INPUT [options]", "raw firmware or Intel HEX file -> OTA file",
       "convert INPUT [options]",
       "Converts the raw firmware file or Intel HEX file INPUT (told by its content)\n"
       "into an OTA file named MMMM-TTTT-VVVVVVVV.zigbee and prints the path it wrote.\n",
       "Options:", "otawrap convert app.raw -o out -m 100B -t 100A -v 00000001",
       "0 written, 2 usage error, unreadable or invalid input, failed write.\n"},
      joinRows<O>({
          outputRows<O>(),
          identifierRows<O>(false),
          {{{'p', "platform", "NAME", "QUILLDEV (default), MARSHDEV or FENBOARD, any case"},
            storePlatform}},
          sealRows<O>(),
          tagRows<O>("add FILE's bytes as sub-element TAG (1 to 4 hex\n"
                     "digits) behind the image; repeatable, in order"),
          {{{'\0', "input-format", "FORMAT", "raw or ihex instead of telling by content"},
            storeInputFormat},
           {{'n', "no-image", nullptr, "write the header only, without reading INPUT's image",
             true},
            storeNoImage}},
          stackVersionRows<O>(),
          headerFieldRows<O>(),
          reportRows<O>(),
      }),
      fileExclusions(),
      {1, 1, "INPUT"},
      finishConvert,
      runConvert,
  };
  return definition;
}

const Command& convertCommand() {
  static const DefinedCommand<ConvertOptions> command(convertDefinition());
  return command;
}

}  // namespace otawrap
