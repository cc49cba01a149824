#include "commands/extract.h"

#include <cstdio>
#include <vector>

#include "codec/hex.h"
#include "commands/conversion.h"
#include "commands/ota_input.h"
#include "driver/file_system.h"
#include "ota/file_entries.h"

namespace otawrap {

namespace {

// The checks extraction depends on: where the sub-elements are.
constexpr OtaCheckId kStructure[] = {OtaCheckId::headerLength, OtaCheckId::subElementChain};

const std::uint8_t* dataOf(const OtaInput& input, const OtaSubElement& element) {
  return input.file() + element.dataOffset();
}

bool fileExists(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  static_cast<void>(std::fclose(file));  // opened for reading only
  return true;
}

// Writes every sub-element into new files; on failure removes what this run
// wrote. A name that is taken already stops the run before anything is
// written, so a failure never costs an existing file.
bool extractAll(const ExtractOptions& options, const OtaInput& input,
                std::vector<std::string>& written, Problem& problem) {
  const OtaFileInfo& info = input.info;
  if (info.subElementCount > info.subElements.size()) {
    problem = {Failure::tooManySubElements, "", options.file, 0};
    return false;
  }
  int osError = 0;
  if (!fsCreateDirectories(options.outputDirectory, osError)) {
    problem = {Failure::cannotCreateDirectory, "", options.outputDirectory, osError};
    return false;
  }
  for (std::size_t i = 0; i < info.subElements.size(); ++i) {
    const std::string path =
        options.outputDirectory + otaSubElementFileName(i, info.subElements[i].tag);
    if (fileExists(path)) {
      problem = {Failure::outputExists, "", path, 0};
      return false;
    }
  }
  for (std::size_t i = 0; i < info.subElements.size(); ++i) {
    const OtaSubElement& element = info.subElements[i];
    const std::string path = options.outputDirectory + otaSubElementFileName(i, element.tag);
    if (!writeOutputFile(path, "", options.outputDirectory, dataOf(input, element),
                         element.length, problem)) {
      for (const std::string& done : written) fsRemove(done);
      written.clear();
      return false;
    }
    written.push_back(path);
  }
  return true;
}

}  // namespace

int runExtractCommand(const ExtractOptions& options, Console console) {
  const auto fail = [&](const Problem& problem, int exitCode) {
    reportFailure(problem, MessageStyle::command, console);
    return exitCode;
  };
  OtaInput input;
  Problem problem{Failure::usage, "", "", 0};
  if (!readOtaInput(options.file, input, problem)) return fail(problem, kExitError);
  const OtaCheckId* failed = firstFailedCheck(input.info, kStructure, std::size(kStructure));
  if (failed != nullptr) {
    return fail({Failure::unsoundOtaFile, failedCheckText(options.file, input.info, *failed),
                 options.file, 0},
                kExitCheckFailed);
  }
  std::vector<std::string> written;
  if (options.tagGiven) {
    const OtaSubElement* element = otaFindSubElement(input.info, options.tag);
    if (element == nullptr) {
      return fail({Failure::tagNotFound,
                   "file '" + options.file + "' has no sub-element with tag 0x" +
                       hexUpper(options.tag, 4),
                   options.file, 0},
                  kExitCheckFailed);
    }
    if (!writeOutputFile(options.outputFile, options.outputFile, "", dataOf(input, *element),
                         element->length, problem)) {
      return fail(problem, kExitError);
    }
    written.push_back(options.outputFile);
  } else if (!extractAll(options, input, written, problem)) {
    return fail(problem, kExitError);
  }
  if (!options.quiet) {
    for (const std::string& path : written) console.out << path << '\n';
  }
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
