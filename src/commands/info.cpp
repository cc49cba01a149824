#include "commands/info.h"

#include <vector>

#include "commands/input_file.h"
#include "ota/reader.h"
#include "report/info_report.h"

namespace otawrap {

int runInfoCommand(const InfoOptions& options, Console console) {
  std::vector<std::uint8_t> bytes;
  Problem problem{Failure::cannotOpenInput, "", options.file, 0};
  if (!readOtaFile(options.file, bytes, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  const OtaFileInfo info = otaFileLocateAndRead(bytes.data(), bytes.size(), options.read);
  console.out << (options.json ? infoFormatJson(info, options.file)
                               : infoFormatText(info, options.file));
  return finishOutput(console, otaFileChecksPass(info) ? kExitSuccess : kExitCheckFailed);
}

}  // namespace otawrap
