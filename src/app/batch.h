// Runs of info and verify over several files: each file's report in turn
// (text reports one after another, or one JSON object per line), then a
// summary; the exit code is the worst of the files' (0 < 1 < 2).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "app/failure.h"

namespace otawrap {

// How the files of a batch ended, counted by their exit codes.
struct BatchTally {
  std::size_t passed = 0;      // exit 0
  std::size_t failed = 0;      // exit 1: read, a check failed
  std::size_t unreadable = 0;  // exit 2: not read, or the report was lost
  int worst = kExitSuccess;

  void add(int exitCode);
};

// What the summary calls each count; nullptr leaves that count out.
struct BatchWords {
  const char* passed;
  const char* failed;
  const char* unreadable;
};

inline constexpr BatchWords kCheckWords{"passed", "failed", "unreadable"};  // info, verify
inline constexpr BatchWords kWriteWords{"written", nullptr, "failed"};      // convert

// "3 files: 1 passed, 1 failed, 1 unreadable"; "3 files: 2 written, 1 failed".
std::string batchSummaryText(const BatchTally& tally, const BatchWords& words = kCheckWords);

// The progress line of a long batch on standard error, as text to write:
// "otawrap: 12/340 files", rewritten in place with '\r' after each file
// once the batch has run for kBatchProgressDelayMs, and cleared before
// anything else is printed and at the end. Nothing at all when standard
// error is not a terminal. The clock is read only here, so a test can drive
// it.
inline constexpr std::uint64_t kBatchProgressDelayMs = 1000;

class BatchProgress {
 public:
  // Milliseconds since any fixed start, never decreasing.
  using Clock = std::function<std::uint64_t()>;

  BatchProgress(bool terminal, Clock clock);

  // Before a file that may print: clears the line if it is shown.
  std::string beforeFile();
  // After done of total files: the line, when it is due.
  std::string afterFile(std::size_t done, std::size_t total);
  // When the batch ends: clears the line if it is shown.
  std::string end() { return beforeFile(); }

 private:
  bool terminal_;
  Clock clock_;
  std::uint64_t start_ = 0;
  std::size_t shownWidth_ = 0;  // 0: nothing shown
};

// A progress for this process's standard error (the shim tells whether it is
// a terminal) on the steady clock.
BatchProgress standardErrorProgress();

// Writes a progress text to standard error, flushing standard output first
// so a report still buffered there cannot land on the progress line.
void showProgress(const Console& console, const std::string& text);

// A file of the batch, or an entry --recursive could not read: a directory
// it could not list, a name it could not look at (walkError: the system's
// error number). relative: the path below the directory operand it was
// found in, joined by '/'; "" for an operand itself.
struct BatchFile {
  std::string path;
  int walkError = 0;
  std::string relative = {};
};

// The operands in order; with recursive each directory among them gives
// every regular file below it instead, sorted by path, byte by byte (links
// to files count, links to directories are not followed, FIFOs, devices and
// sockets are left out); every entry below it that cannot be read (a
// directory that cannot be listed, a name that cannot be looked at, a
// dangling link) is listed with its error, none is dropped. On POSIX a walk
// reaches any depth, paths longer than PATH_MAX included.
std::vector<BatchFile> batchFiles(const std::vector<std::string>& operands, bool recursive);

// The failure standing for a file the walk could not read (cannotReadEntry
// with the system's reason).
Problem walkProblem(const BatchFile& file);

// The JSON line standing for a file that could not be read:
// {"file":PATH,"ok":false,"error":MESSAGE} and a newline.
std::string batchErrorJson(const std::string& path, const Problem& problem);

// Runs runFile on each file in order and counts its exit codes (runFile
// ends a text report with an empty line, setting it apart from the next). After the
// last file the summary line goes to standard output, or with json to
// standard error (standard output stays one JSON object per line). Returns
// the worst exit code; a lost standard output stops the batch with 2.
int runBatch(const std::vector<BatchFile>& files, bool json, const Console& console,
             const std::function<int(const std::string& path)>& runFile);

}  // namespace otawrap
