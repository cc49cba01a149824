// Runs a program as a child process and captures its standard output,
// standard error, exit code and peak memory (POSIX: fork and exec).
#pragma once

#include <string>
#include <vector>

namespace otawrap::test {

enum class StandardOutput { captured, closed, unread, readerGone };

struct ProcessOptions {
  // When positive, the child may not grow any file beyond this many bytes
  // (RLIMIT_FSIZE, with SIGXFSZ ignored so writes fail instead of killing it).
  long fileSizeLimit = 0;
  // When set and this process is root, the child runs as user and group
  // "nobody" (65534); exit code 126 with no output means the switch was refused.
  bool unprivileged = false;
  // Where the child's standard output goes: the pipe read into output, no
  // descriptor at all, a pipe nobody reads (every write fails, SIGPIPE
  // ignored), or one whose reader has closed it with SIGPIPE at its default
  // action (a report piped into `head` that has ended).
  StandardOutput standardOutput = StandardOutput::captured;
  // When positive, the child runs in its own process group, which is killed
  // (SIGKILL) once it has run this long: exit code -SIGKILL, and timedOut set.
  // A test of endless input fails instead of hanging the suite.
  int timeoutSeconds = 0;
};

struct ProcessResult {
  int exitCode;        // the exit status, or -signal if the child was killed
  std::string output;  // everything written to standard output
  std::string errors = {};   // everything written to standard error
  long peakMemoryKib = 0;    // the child's maximum resident set size
  bool timedOut = false;     // killed after ProcessOptions::timeoutSeconds
};

// Runs program with arguments (argv[0] is program) in workingDirectory.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const ProcessOptions& options = {});

}  // namespace otawrap::test
