// The shim's process call: input handed over, output and exit status
// collected, and a command that overstays or overwrites killed with
// everything it started.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "io/file_system.h"

namespace otawrap {
namespace {

#ifndef _WIN32
TEST(FsRunCommand, InputOutputStatusDeadlineAndLimit) {
  struct Row {
    const char* name;
    const char* command;
    const char* input;
    FsProcessStatus status;
    int exitCode;
    int signal;
    const char* output;
  } const rows[] = {
      {"input back", "cat; echo done", "digest\n", FsProcessStatus::exited, 0, 0, "digest\ndone\n"},
      {"exit status", "printf x; exit 7", "", FsProcessStatus::exited, 7, 0, "x"},
      {"a signal", "kill -9 $$", "", FsProcessStatus::exited, -1, 9, ""},
      {"input never read", "exit 0", "unread\n", FsProcessStatus::exited, 0, 0, ""},
      // A child that keeps the output open is killed with the shell.
      {"overstays", "sleep 30 & wait", "", FsProcessStatus::timedOut, -1, 0, ""},
      {"output closed, still running", "exec >&-; sleep 30", "", FsProcessStatus::timedOut, -1, 0,
       ""},
      {"writes too much", "yes", "", FsProcessStatus::outputTooLong, -1, 0, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const auto start = std::chrono::steady_clock::now();
    const FsProcessResult run = fsRunCommand(row.command, row.input, 1, 64);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(run.status, row.status);
    if (row.status != FsProcessStatus::exited) continue;
    EXPECT_EQ(run.exitCode, row.exitCode);
    EXPECT_EQ(run.signal, row.signal);
    EXPECT_EQ(run.output, row.output);
  }
  EXPECT_EQ(fsRunCommand("cat", std::string(kFsCommandInputLimit + 1, 'x'), 1, 64).status,
            FsProcessStatus::cannotStart);
}
#endif

}  // namespace
}  // namespace otawrap
