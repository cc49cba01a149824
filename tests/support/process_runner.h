// Runs a program as a child process and captures its standard output and exit
// code (POSIX: fork and exec).
#pragma once

#include <string>
#include <vector>

namespace otawrap::test {

struct ProcessOptions {
  // When positive, the child may not grow any file beyond this many bytes
  // (RLIMIT_FSIZE, with SIGXFSZ ignored so writes fail instead of killing it).
  long fileSizeLimit = 0;
  // When set and this process is root, the child runs as user and group
  // "nobody" (65534); exit code 126 with no output means the switch was refused.
  bool unprivileged = false;
};

struct ProcessResult {
  int exitCode;        // the exit status, or -signal if the child was killed
  std::string output;  // everything written to standard output
};

// Runs program with arguments (argv[0] is program) in workingDirectory.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const ProcessOptions& options = {});

}  // namespace otawrap::test
