#include "commands/batch.h"

#include <algorithm>

#include "io/file_system.h"
#include "report/json_writer.h"

namespace otawrap {

std::string batchSummaryText(const BatchTally& tally) {
  const std::size_t files = tally.passed + tally.failed + tally.unreadable;
  return std::to_string(files) + (files == 1 ? " file: " : " files: ") +
         std::to_string(tally.passed) + " passed, " + std::to_string(tally.failed) +
         " failed, " + std::to_string(tally.unreadable) + " unreadable";
}

namespace {

// Collects every regular file below directory (links to files included,
// links to directories not followed); a directory that cannot be read is
// kept with its error and the walk goes on with the rest.
void walkDirectory(const std::string& directory, std::vector<BatchFile>& found) {
  std::vector<FsDirectoryEntry> entries;
  const int error = fsListDirectory(directory, entries);
  if (error != 0) {
    found.push_back({directory, error});
    return;
  }
  for (const FsDirectoryEntry& entry : entries) {
    if (entry.directory) {
      walkDirectory(fsJoinPath(directory, entry.name), found);
    } else if (entry.regular) {
      found.push_back({fsJoinPath(directory, entry.name), 0});
    }
  }
}

// Appends every file below directory, sorted by path.
void addDirectory(const std::string& directory, std::vector<BatchFile>& files) {
  std::vector<BatchFile> found;
  walkDirectory(directory, found);
  std::sort(found.begin(), found.end(),
            [](const BatchFile& a, const BatchFile& b) { return a.path < b.path; });
  for (BatchFile& file : found) files.push_back(std::move(file));
}

}  // namespace

std::vector<BatchFile> batchFiles(const std::vector<std::string>& operands, bool recursive) {
  std::vector<BatchFile> files;
  for (const std::string& operand : operands) {
    if (recursive && fsIsDirectory(operand)) {
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
