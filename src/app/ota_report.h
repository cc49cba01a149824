// The run of the commands that report on OTA files (info, verify): each FILE
// read through the OTA input service, judged, and reported as info's text or
// JSON; several files (or --recursive) as a batch (app/batch.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/file_options.h"
#include "app/ota_input.h"
#include "cli/command_definition.h"
#include "cli/values.h"
#include "report/json_writer.h"

namespace otawrap {

// FILE... [--recursive] [--platform NAME] [--no-payload-check] [--json].
struct OtaFilesChoice {
  std::vector<std::string> files;  // one report each, in order
  bool json = false;
  bool recursive = false;  // a directory operand stands for the files below it
  OtaInputOptions input{{}, true, DashInput::standardInput};
};

// What a command adds to the report of a file read: lines for the text
// report, members for the JSON object.
struct ExtraReport {
  std::string text;
  std::function<void(JsonWriter&)> json;
};

// What a command adds to the judgement of a file read (verify: the
// signature): it may set checks of input.info, returns whether its own
// verdict passes and fills the report's additions.
using ExtraJudgement = std::function<bool(OtaInput& input, ExtraReport& report)>;

// Judges every file of choice and prints its report. The exit code: 0 when
// every check (and extra) passes, 1 when one fails or a file is not an OTA
// file, 2 when a file cannot be read or the report is lost; of several files
// the worst.
int judgeOtaFiles(const OtaFilesChoice& choice, const Console& console,
                  const ExtraJudgement& extra = nullptr);

template <typename Options>
std::string storeCheckPlatform(const ParsedOption& given, Options& options) {
  options.input.read.platformGiven = true;
  return parsePlatform(given.name, given.value, options.input.read.platform);
}

// The rows of --platform (its help line given), --no-payload-check, --json
// and --recursive.
template <typename Options>
std::vector<OptionRow<Options>> otaFilesRows(const char* platformHelp) {
  using O = Options;
  return {
      {{'p', "platform", "NAME", platformHelp, false, kPlatformChoices}, storeCheckPlatform<O>},
      payloadCheckRow<O>(),
      {{'\0', "json", nullptr, "one JSON object instead of text", true}, setFlag<O, &O::json>},
      {{'r', "recursive", nullptr, "read every regular file below a directory FILE", true},
       setFlag<O, &O::recursive>},
  };
}

}  // namespace otawrap
