#include "app/module_failures.h"
#include "commands/convert.h"

#include <cerrno>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "cli/values.h"
#include "app/batch.h"
#include "app/file_options.h"
#include "app/file_summary.h"
#include "app/input_file.h"
#include "app/input_lookalike.h"
#include "app/output_files.h"
#include "app/payload_files.h"
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

// What every input of a run shares: the credentials and the --tag payloads,
// checked once.
bool prepare(const ConvertOptions& settings, RunContext& context, PayloadFiles& payloads,
             Problem& problem) {
  if (signerGiven(settings.file) &&
      !loadSigner(settings.file, context.credentials, context.external, problem)) {
    return false;
  }
  if (!readPayloadFiles(settings.file.tags, kOtaFileSizeLimit - kImageBufferSize, payloads,
                        problem)) {
    return false;
  }
  if (!settings.file.force &&
      !checkUpgradeImages(settings.file.tags, payloads.payloads, OtaHeader{}, problem)) {
    return false;
  }
  context.extraPayloads = payloads.payloads;
  return true;
}

// The path or JSON line printed for the file built in context.
std::string reportOf(const ConvertOptions& options, const RunContext& built,
                     const std::string& path, const std::string& batchInput) {
  if (options.report.json) {
    return writtenFileJson(path, otaFileRead(built.image.data(), built.position), built.position,
                           options.noImage ? nullptr : platformName(options.platform),
                           signerGiven(options.file), options.file.integrityCode,
                           batchInput);
  }
  return options.report.quiet ? std::string() : path + "\n";
}

std::string nameOf(const OtaHeader& header) {
  return outputFileName(header.manufacturerCode, header.imageType, header.fileVersion);
}

int runOne(const ConvertOptions& options, const Console& console) {
  const auto context = std::make_unique<RunContext>();
  otaHeaderDefaults(context->header);
  Problem problem{Failure::usage, "", "", 0};
  PayloadFiles payloads;
  if (!prepare(options, *context, payloads, problem) ||
      !buildFromInput(options, *context, problem)) {
    return reportFailure(problem, console);
  }
  const RunContext& built = *context;
  const OutputReport report = [&](const std::string& path) {
    return reportOf(options, built, path, "");
  };
  return writeOutputAndReport(options.output, nameOf(built.header), built.image.data(),
                              built.header.totalImageSize, report, console);
}

// One input of a batch as it ended: staged with its report, or its failure.
struct BatchInput {
  const std::string* input;
  bool staged;
  std::string report;
  Problem problem;
};

// Converts and stages each input in turn; a failed input leaves nothing and
// the others go on. False with problem set when two inputs would get one
// name: the caller then publishes nothing.
bool stageInputs(const ConvertOptions& options, RunContext& context, OutputRun& run,
                 std::vector<BatchInput>& inputs, Problem& problem, const Console& console) {
  std::map<std::string, const std::string*> built;  // output path -> its input
  ConvertOptions each = options;
  BatchProgress progress = standardErrorProgress();
  for (const std::string& input : options.inputs) {
    each.inputFileName = input;
    otaHeaderDefaults(context.header);
    context.position = 0;
    BatchInput result{&input, false, "", {Failure::usage, "", "", 0}};
    if (buildFromInput(each, context, result.problem)) {
      const std::string name = nameOf(context.header);
      const auto [earlier, fresh] = built.emplace(options.output.directory + name, &input);
      if (!fresh) {
        problem = {Failure::outputNameClash, "'" + *earlier->second + "' and '" + input + "'",
                   earlier->first, 0};
        showProgress(console, progress.end());
        return false;
      }
      std::string path;
      result.staged = stageOutput(run, options.output, name, context.image.data(),
                                  context.header.totalImageSize, path, result.problem);
      if (result.staged) result.report = reportOf(options, context, path, input);
    }
    inputs.push_back(std::move(result));
    showProgress(console, progress.afterFile(inputs.size(), options.inputs.size()));
  }
  showProgress(console, progress.end());
  return true;
}

// Several inputs into -o DIR: all converted and staged first, then every
// report in order with the summary, then one publish, which syncs the
// directory once for the whole batch.
int runSeveral(const ConvertOptions& options, const Console& console) {
  const auto context = std::make_unique<RunContext>();
  PayloadFiles payloads;
  Problem problem{Failure::usage, "", "", 0};
  if (!prepare(options, *context, payloads, problem)) {
    return reportFailure(problem, console);
  }
  OutputRun run(options.output.noClobber ? FsPublish::exclusive : FsPublish::replace);
  const OutputResult directory = run.makeDirectory(options.output.directory);
  if (directory.status != OutputStatus::ok) {
    return reportFailure(outputProblem(directory), console);
  }
  std::vector<BatchInput> inputs;
  if (!stageInputs(options, *context, run, inputs, problem, console)) {
    return reportFailure(problem, console);
  }
  BatchTally tally;
  for (const BatchInput& input : inputs) {
    if (input.staged) {
      console.out << input.report;
      tally.add(kExitSuccess);
      continue;
    }
    if (options.report.json) console.out << batchErrorJson(*input.input, input.problem);
    tally.add(reportFailure(input.problem, console));
  }
  const std::string summary = batchSummaryText(tally, kWriteWords) + "\n";
  if (options.report.json) {
    console.err << summary;
  } else if (!options.report.quiet) {
    console.out << summary;
  }
  // A lost report publishes nothing, as for one file.
  if (finishOutput(console, kExitSuccess) != kExitSuccess) return kExitError;
  if (!run.hasStaged()) return tally.worst;  // the run removes the directory it made
  const OutputResult published = run.publish();
  if (published.status != OutputStatus::ok) {
    return reportFailure(outputProblem(published, Failure::outputKept), console);
  }
  return tally.worst;
}

int runConvert(const ConvertOptions& options, const Console& console) {
  return options.inputs.size() > 1 ? runSeveral(options, console) : runOne(options, console);
}

std::string storePlatform(const ParsedOption& given, ConvertOptions& options) {
  return parsePlatform(given.name, given.value, options.platform);
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
  if (operands.size() > 1) {
    if (!options.output.file.empty()) return "several inputs need --output-dir DIR, not --output";
    if (options.output.directory.empty()) return "several inputs need --output-dir DIR";
    if (options.noImage) return "--no-image writes one file: give one INPUT";
  }
  for (const std::string& input : operands) {
    if (input.size() >= kPathBufferSize) return "input file name too long";
  }
  options.inputs = operands;
  options.inputFileName = operands[0];
  std::string signer = signerOptionsIncomplete(options.file);
  if (!signer.empty()) return signer;
  return standardOutputConflict(options.output, options.report);
}

}  // namespace

const CommandDefinition<ConvertOptions>& convertDefinition() {
  using O = ConvertOptions;
  static const CommandDefinition<O> definition = {
      {"convert", nullptr, CommandKind::makes, "INPUT... [options]",
       "raw firmware or Intel HEX file -> OTA file", "INPUT... [options]",
       "Converts the raw firmware file or Intel HEX file INPUT (told by its content)\n"
       "into an OTA file named MMMM-TTTT-VVVVVVVV.zigbee and prints the path it wrote.\n"
       "Several INPUTs need -o DIR: each is converted with the same options, one\n"
       "report each, then a summary line (with --json one JSON object per line, the\n"
       "summary on standard error); a failed INPUT writes nothing, the others are\n"
       "written, and two INPUTs that would get one name stop the run before any\n"
       "file is written. --output - writes the file to standard output.\n",
       "Options:", "otawrap convert app.raw -o out -m 100B -t 100A -v 00000001"},
      joinRows<O>({
          outputRows<O>(),
          identifierRows<O>(false),
          {{{'p', "platform", "NAME", "QUILLDEV (default), MARSHDEV or FENBOARD, any case", false,
             kPlatformChoices},
            storePlatform}},
          sealRows<O>(),
          tagRows<O>("add FILE's bytes as sub-element TAG (1 to 4 hex\n"
                     "digits) behind the image; repeatable, in order"),
          {{{'\0', "input-format", "FORMAT", "raw or ihex instead of telling by content", false,
             "raw ihex"},
            storeInputFormat},
           {{'n', "no-image", nullptr, "write the header only, without reading INPUT's image",
             true},
            setFlag<O, &O::noImage>}},
          stackVersionRows<O>(),
          headerFieldRows<O>(),
          reportRows<O>(),
      }),
      fileExclusions(),
      {1, kAnyNumber, "INPUT"},
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
