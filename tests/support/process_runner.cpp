#include "support/process_runner.h"

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

namespace otawrap::test {

namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const ProcessOptions& options) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    return {-1000, "pipe failed"};
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  const pid_t child = fork();
  if (child < 0) {
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return {-1000, "fork failed"};
  }
  if (child == 0) {
    close(pipeEnds[0]);
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[1]);
    if (chdir(workingDirectory.c_str()) != 0) _exit(127);
    if (options.fileSizeLimit > 0) {
      static_cast<void>(std::signal(SIGXFSZ, SIG_IGN));
      const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit),
                         static_cast<rlim_t>(options.fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(126);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  ProcessResult result{0, ""};
  char buffer[4096];
  for (;;) {
    const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
    if (count <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(count));
  }
  close(pipeEnds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return result;
}

}  // namespace otawrap::test
