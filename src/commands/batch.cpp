#include "commands/batch.h"

#include <algorithm>
#include <ostream>

#include "report/json_writer.h"

namespace otawrap {

std::string batchSummaryText(const BatchTally& tally) {
  const std::size_t files = tally.passed + tally.failed + tally.unreadable;
  return std::to_string(files) + (files == 1 ? " file: " : " files: ") +
         std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) +
         " failed, " + std::to_string(tally.unreadable) + " unreadable";
}

std::string batchErrorJson(const std::string& path, const Problem& problem) {
  JsonWriter json;
  json.beginObject();
  json.stringMember("file", path);
  json.booleanMember("ok", false);
  json.stringMember("error", commandMessage(problem));
  json.endObject();
  return json.text() + "\n";
}

int runBatch(const std::vector<std::string>& paths, bool json, Console console,
             const std::function<int(const std::string& path)>& runFile) {
  BatchTally tally;
  for (const std::string& path : paths) {
    const int code = runFile(path);
    // An empty line after each text report sets it apart from the next one
    // and from the summary; a file not read printed nothing there.
    if (!json && code != kExitError) console.out << '\n';
    if (code == kExitSuccess) {
      ++tally.passed;
    } else if (code == kExitCheckFailed) {
      ++tally.failed;
    } else {
      ++tally.unreadable;
    }
    tally.worst = std::max(tally.worst, code);
  }
  (json ? console.err : console.out) << batchSummaryText(tally) << '\n';
  return finishOutput(console, tally.worst);
}

}  // namespace otawrap
