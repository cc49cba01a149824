#include "support/process_control.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace otawrap::test {

namespace {

std::vector<char*> argumentVector(const std::string& program,
                                  const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  return argv;
}

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status); }

}  // namespace

RunningProcess startProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingDirectory) {
  std::vector<char*> argv = argumentVector(program, arguments);
  const pid_t child = fork();
  if (child == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, STDOUT_FILENO);
    if (chdir(workingDirectory.c_str()) != 0) _exit(127);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return {child < 0 ? -1 : static_cast<int>(child)};
}

void signalProcess(const RunningProcess& process, int signal) {
  if (process.pid > 0) kill(process.pid, signal);
}

int waitProcess(const RunningProcess& process) {
  int status = 0;
  if (process.pid <= 0 || waitpid(process.pid, &status, 0) != process.pid) return -1000;
  return exitCodeOf(status);
}

DirectoryWatch::DirectoryWatch(const std::string& directory)
    : descriptor_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (descriptor_ >= 0 && inotify_add_watch(descriptor_, directory.c_str(), IN_CREATE) < 0) {
    close(descriptor_);
    descriptor_ = -1;
  }
}

DirectoryWatch::~DirectoryWatch() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool DirectoryWatch::waitForCreation(int timeoutMilliseconds) {
  pollfd watched{descriptor_, POLLIN, 0};
  if (poll(&watched, 1, timeoutMilliseconds) <= 0) return false;
  alignas(inotify_event) char events[4096];
  while (read(descriptor_, events, sizeof events) > 0) {
  }
  return true;
}

bool canDropPrivileges() { return geteuid() == 0; }

ProcessResult runProcessUnprivileged(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::string& workingDirectory) {
  ProcessOptions options;
  options.unprivileged = true;
  return runProcess(program, arguments, workingDirectory, options);
}

std::string mountPrivateTmpfs(const std::string& directory, unsigned long bytes, bool readOnly) {
  static std::string namespaceError = [] {
    if (unshare(CLONE_NEWNS) != 0) return std::string("unshare: ") + std::strerror(errno);
    // Keep the new mounts out of the parent namespace.
    if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      return std::string("private mounts: ") + std::strerror(errno);
    }
    return std::string();
  }();
  if (!namespaceError.empty()) return namespaceError;
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  const unsigned long flags = readOnly ? MS_RDONLY : 0;
  if (mount("tmpfs", directory.c_str(), "tmpfs", flags, options.c_str()) != 0) {
    return std::string("mount tmpfs: ") + std::strerror(errno);
  }
  return std::string();
}

void unmountPrivateTmpfs(const std::string& directory) { umount2(directory.c_str(), MNT_DETACH); }

}  // namespace otawrap::test
