#include "commands/convert.h"

#include <cerrno>
#include <memory>

#include "cli/values.h"
#include "driver/file_system.h"
#include "image/input_format.h"
#include "image/intel_hex.h"
#include "ota/reader.h"
#include "report/json_writer.h"

namespace otawrap {

namespace {

// The summary of a written file: where, how large, its identifiers and the
// sub-elements it holds.
std::string summaryJson(const RunContext& context, const std::string& path) {
  const OtaHeader& h = context.header;
  const OtaFileInfo info = otaFileRead(context.image.data(), h.totalImageSize);
  JsonWriter json;
  json.beginObject();
  json.key("path");
  json.string(path);
  json.key("size");
  json.number(h.totalImageSize);
  json.key("manufacturerCode");
  json.number(h.manufacturerCode);
  json.key("imageType");
  json.number(h.imageType);
  json.key("fileVersion");
  json.number(h.fileVersion);
  json.key("headerLength");
  json.number(h.headerLength);
  json.key("platform");
  if (context.settings.noImage) {
    json.null();
  } else {
    json.string(platformName(context.settings.platform));
  }
  json.key("signed");
  json.boolean(context.settings.signing);
  json.key("integrityCode");
  json.boolean(context.settings.integrityCode);
  json.key("subElements");
  json.beginArray();
  for (const OtaSubElement& e : info.subElements) {
    json.beginObject();
    json.key("tag");
    json.number(e.tag);
    json.key("offset");
    json.number(e.offset);
    json.key("length");
    json.number(e.length);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  return json.text() + "\n";
}

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
  if (!readPayloadFiles(options.tags, kOtaBuildMaxFileSize - kImageBufferSize, payloads,
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
    console.out << summaryJson(*context, path);
  } else if (!options.quiet) {
    console.out << path << '\n';
  }
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
