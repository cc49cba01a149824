#include "support/process_runner.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>

namespace otawrap::test {

namespace {

constexpr uid_t kNobody = 65534;

// Reads both pipes until both are closed, so neither can fill up and stall
// the child; past the deadline (when there is one) kills the child's group.
bool drain(int outFd, int errFd, std::string& out, std::string& err, pid_t group,
           int timeoutSeconds) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  char buffer[4096];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  bool killed = false;
  while (open > 0) {
    int wait = -1;
    if (timeoutSeconds > 0 && !killed) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
    const int ready = poll(fds, 2, wait);
    if (ready < 0) break;
    if (ready == 0 && wait >= 0) {
      kill(-group, SIGKILL);
      killed = true;
      continue;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        sinks[i]->append(buffer, static_cast<std::size_t>(count));
      }
    }
  }
  return killed;
}

}  // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingDirectory, const ProcessOptions& options) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0) {
    return {-1000, "pipe failed"};
  }
  if (pipe(errPipe) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
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
    for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    return {-1000, "fork failed"};
  }
  if (child == 0) {
    if (options.timeoutSeconds > 0) setpgid(0, 0);
    close(outPipe[0]);
    close(errPipe[0]);
    if (options.standardOutput == StandardOutput::captured) {
      dup2(outPipe[1], STDOUT_FILENO);
    } else if (options.standardOutput == StandardOutput::closed) {
      close(STDOUT_FILENO);
    } else {
      // A pipe nobody reads, with SIGPIPE ignored: every write fails (EPIPE),
      // as on a full disk, without touching a device of the machine.
      close(outPipe[1]);
      int unread[2];
      if (pipe(unread) != 0) _exit(127);
      close(unread[0]);
      const bool gone = options.standardOutput == StandardOutput::readerGone;
      static_cast<void>(std::signal(SIGPIPE, gone ? SIG_DFL : SIG_IGN));
      dup2(unread[1], STDOUT_FILENO);
      close(unread[1]);
      outPipe[1] = -1;
    }
    if (outPipe[1] >= 0) close(outPipe[1]);
    dup2(errPipe[1], STDERR_FILENO);
    close(errPipe[1]);
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
  close(outPipe[1]);
  close(errPipe[1]);
  ProcessResult result{0, ""};
  if (options.timeoutSeconds > 0) setpgid(child, child);  // whichever runs first
  result.timedOut = drain(outPipe[0], errPipe[0], result.output, result.errors, child,
                          options.timeoutSeconds);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  result.peakMemoryKib = usage.ru_maxrss;
  return result;
}

}  // namespace otawrap::test
