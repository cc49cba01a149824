#include "commands/info.h"

#include <vector>

#include "commands/input_file.h"
#include "ota/reader.h"
#include "report/info_report.h"

namespace otawrap {

bool readOtaFile(const std::string& path, std::vector<std::uint8_t>& bytes, Problem& problem) {
  int osError = 0;
  const InputFileStatus status = inputFileReadAll(path, kOtaFileReadLimit, bytes, osError);
  if (status == InputFileStatus::ok) return true;
  problem = {status == InputFileStatus::tooLarge ? Failure::inputTooLarge : Failure::cannotOpenInput,
             "", path, status == InputFileStatus::tooLarge ? 0 : osError};
  return false;
}

int runInfoCommand(const InfoOptions& options, Console console) {
  std::vector<std::uint8_t> bytes;
  Problem problem{Failure::cannotOpenInput, "", options.file, 0};
  if (!readOtaFile(options.file, bytes, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  const OtaFileInfo info = otaFileRead(bytes.data(), bytes.size());
  console.out << (options.json ? infoFormatJson(info, options.file)
                               : infoFormatText(info, options.file));
  return finishOutput(console, otaFileChecksPass(info) ? kExitSuccess : kExitCheckFailed);
}

}  // namespace otawrap
