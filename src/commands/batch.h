// Runs of info and verify over several files: each file's report in turn
// (text reports one after another, or one JSON object per line), then a
// summary; the exit code is the worst of the files' (0 < 1 < 2).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "commands/failure.h"

namespace otawrap {

// How the files of a batch ended, counted by their exit codes.
struct BatchTally {
  std::size_t passed = 0;      // exit 0
  std::size_t failed = 0;      // exit 1: read, a check failed
  std::size_t unreadable = 0;  // exit 2: not read, or the report was lost
  int worst = kExitSuccess;
};

// "3 files: 1 passed, 1 failed, 1 unreadable".
std::string batchSummaryText(const BatchTally& tally);

// A file of the batch, or a directory --recursive could not walk (listError:
// the system's error number, reported as the file's open error).
struct BatchFile {
  std::string path;
  int listError = 0;
};

// The operands in order; with recursive each directory among them gives
// every regular file below it instead, sorted by path (links to directories
// below it are not followed; a directory below it that cannot be read is
// listed with its error).
std::vector<BatchFile> batchFiles(const std::vector<std::string>& operands, bool recursive);

// The JSON line standing for a file that could not be read:
// {"file":PATH,"ok":false,"error":MESSAGE} and a newline.
std::string batchErrorJson(const std::string& path, const Problem& problem);

// Runs runFile on each file in order and counts its exit codes. After the
// last file the summary line goes to standard output, or with json to
// standard error (standard output stays one JSON object per line). Returns
// the worst exit code.
int runBatch(const std::vector<BatchFile>& files, bool json, Console console,
             const std::function<int(const std::string& path)>& runFile);

}  // namespace otawrap
