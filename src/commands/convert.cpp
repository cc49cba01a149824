#include "commands/convert.h"

#include <cerrno>
#include <memory>

#include "cli/values.h"
#include "driver/file_system.h"
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

bool convert(RunContext& context, bool createDirectory, Problem& problem) {
  RunSettings& settings = context.settings;
  if (settings.signing && !runLoadCredentials(settings.credentialsPath, settings, problem)) {
    return false;
  }
  FileSource input;
  if (!settings.noImage) {
    errno = 0;
    // A directory is refused here on every platform (POSIX would open it and
    // fail on the first read).
    if (fsIsDirectory(settings.inputFileName) || !input.open(settings.inputFileName.c_str())) {
      problem = {Failure::cannotOpenInput, "", settings.inputFileName, errno};
      return false;
    }
  }
  if (!runBuildFile(context, &input, problem)) return false;
  if (settings.outputFile.empty()) {
    const std::string path = runOutputPath(context);
    const std::string name = path.substr(settings.outputDirectory.size());
    if (!fsNameAllowed(name)) {
      problem = {Failure::nameNotCreatable, "", name, 0};
      return false;
    }
  }
  int osError = 0;
  if (createDirectory && !fsCreateDirectories(settings.outputDirectory, osError)) {
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
  if (!convert(*context, options.createOutputDirectory, problem)) {
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
