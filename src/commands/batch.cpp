#include "commands/batch.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <ostream>

#include "report/json_writer.h"

namespace otawrap {

std::string batchSummaryText(const BatchTally& tally) {
  const std::size_t files = tally.passed + tally.failed + tally.unreadable;
  return std::to_string(files) + (files == 1 ? " file: " : " files: ") +
         std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) +
         " failed, " + std::to_string(tally.unreadable) + " unreadable";
}

namespace {

// Appends every regular file below directory, sorted, or the directory
// itself with the error that stopped the walk.
void addDirectory(const std::string& directory, std::vector<BatchFile>& files) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  std::error_code error;
  fs::recursive_directory_iterator walk(directory, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    std::error_code statusError;
    if (walk->is_regular_file(statusError)) found.push_back(walk->path().string());
  }
  std::sort(found.begin(), found.end());
  for (std::string& path : found) files.push_back({std::move(path), 0});
  if (error) files.push_back({directory, error.value()});
}

}  // namespace

std::vector<BatchFile> batchFiles(const std::vector<std::string>& operands, bool recursive) {
  std::vector<BatchFile> files;
  for (const std::string& operand : operands) {
    std::error_code error;
    if (recursive && std::filesystem::is_directory(operand, error)) {
      addDirectory(operand, files);
    } else {
      files.push_back({operand, 0});
    }
  }
  return files;
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

int runBatch(const std::vector<BatchFile>& files, bool json, Console console,
             const std::function<int(const std::string& path)>& runFile) {
  BatchTally tally;
  for (const BatchFile& file : files) {
    int code = kExitError;
    if (file.listError == 0) {
      code = runFile(file.path);
    } else {
      const Problem problem{Failure::cannotOpenInput, "", file.path, file.listError};
      if (json) console.out << batchErrorJson(file.path, problem);
      reportFailure(problem, MessageStyle::command, console);
    }
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
