#include "app/batch.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "io/file_system.h"
#include "report/json_writer.h"

namespace otawrap {

void BatchTally::add(int exitCode) {
  if (exitCode == kExitSuccess) {
    ++passed;
  } else if (exitCode == kExitCheckFailed) {
    ++failed;
  } else {
    ++unreadable;
  }
  worst = std::max(worst, exitCode);
}

std::string batchSummaryText(const BatchTally& tally, const BatchWords& words) {
  const std::size_t files = tally.passed + tally.failed + tally.unreadable;
  std::string text = std::to_string(files) + (files == 1 ? " file: " : " files: ");
  const char* separator = "";
  for (const auto& [count, word] : {std::pair{tally.passed, words.passed},
                                    std::pair{tally.failed, words.failed},
                                    std::pair{tally.unreadable, words.unreadable}}) {
    if (word == nullptr) continue;
    text += separator + std::to_string(count) + " " + word;
    separator = ", ";
  }
  return text;
}

BatchProgress::BatchProgress(bool terminal, Clock clock)
    : terminal_(terminal), clock_(std::move(clock)), start_(terminal_ ? clock_() : 0) {}

std::string BatchProgress::beforeFile() {
  if (shownWidth_ == 0) return "";
  std::string text = "\r" + std::string(shownWidth_, ' ') + "\r";
  shownWidth_ = 0;
  return text;
}

std::string BatchProgress::afterFile(std::size_t done, std::size_t total) {
  if (!terminal_ || clock_() - start_ < kBatchProgressDelayMs) return "";
  // Drawn over the line before, if any: done only grows, so it never shrinks.
  const std::string line =
      "otawrap: " + std::to_string(done) + "/" + std::to_string(total) + " files";
  shownWidth_ = line.size();
  return "\r" + line;
}

BatchProgress standardErrorProgress() {
  return BatchProgress(fsStandardErrorIsTerminal(), [] {
    using std::chrono::milliseconds;
    using std::chrono::steady_clock;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  });
}

void showProgress(const Console& console, const std::string& text) {
  if (text.empty()) return;
  console.out.flush();
  console.err << text;
  console.err.flush();
}

namespace {

// Collects every regular file below directory and every entry that cannot
// be read; relative is directory's path below the walk's start.
void walkDirectory(const std::string& directory, const std::string& relative,
                   std::vector<BatchFile>& found) {
  std::vector<FsDirectoryEntry> entries;
  const int error = fsListDirectory(directory, entries);
  if (error != 0) {
    found.push_back({directory, error, relative});
    return;
  }
  for (const FsDirectoryEntry& entry : entries) {
    const std::string path = fsJoinPath(directory, entry.name);
    const std::string below = relative.empty() ? entry.name : relative + "/" + entry.name;
    if (entry.error != 0) {
      found.push_back({path, entry.error, below});
    } else if (entry.directory) {
      walkDirectory(path, below, found);
    } else if (entry.regular) {
      found.push_back({path, 0, below});
    }
  }
}

// Appends every file below directory, sorted by path.
void addDirectory(const std::string& directory, std::vector<BatchFile>& files) {
  std::vector<BatchFile> found;
  walkDirectory(directory, "", found);
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

Problem walkProblem(const BatchFile& file) {
  return {Failure::cannotReadEntry, "", file.path, file.walkError};
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

int runBatch(const std::vector<BatchFile>& files, bool json, const Console& console,
             const std::function<int(const std::string& path)>& runFile) {
  BatchTally tally;
  BatchProgress progress = standardErrorProgress();
  for (const BatchFile& file : files) {
    showProgress(console, progress.beforeFile());
    int code = kExitError;
    if (file.walkError == 0) {
      code = runFile(file.path);
    } else {
      const Problem problem = walkProblem(file);
      if (json) console.out << batchErrorJson(file.path, problem);
      reportFailure(problem, console);
    }
    tally.add(code);
    if (!console.out) {  // the rest of the report would be lost as well
      showProgress(console, progress.end());
      return finishOutput(console, kExitError);
    }
    showProgress(console, progress.afterFile(tally.passed + tally.failed + tally.unreadable,
                                             files.size()));
  }
  showProgress(console, progress.end());
  (json ? console.err : console.out) << batchSummaryText(tally) << '\n';
  return finishOutput(console, tally.worst);
}

}  // namespace otawrap
