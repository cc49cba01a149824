// Process control for the fault-injection tests (POSIX): start the built tool
// and stop it with a signal at a chosen moment, run it as an unprivileged user,
// and give it a private, deliberately small or read-only file system.
#pragma once

#include <string>
#include <vector>

#include "support/process_runner.h"

namespace otawrap::test {

// A started child process, its standard output discarded.
struct RunningProcess {
  int pid = -1;
};

// Starts program with arguments in workingDirectory; pid -1 on failure.
RunningProcess startProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& workingDirectory);
// Sends signal to the child (it may have ended already).
void signalProcess(const RunningProcess& process, int signal);
// Waits for the child: its exit status, or -signal if a signal ended it.
int waitProcess(const RunningProcess& process);

// Watches a directory for new entries (inotify), so a test can act the
// moment a process creates a file there.
class DirectoryWatch {
 public:
  explicit DirectoryWatch(const std::string& directory);
  ~DirectoryWatch();
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;

  bool valid() const { return descriptor_ >= 0; }
  // Waits up to timeoutMilliseconds for an entry created since the last call;
  // true if one was.
  bool waitForCreation(int timeoutMilliseconds);

 private:
  int descriptor_ = -1;
};

// True when this process may switch a child to another user (it runs as root).
bool canDropPrivileges();

// Like runProcess, but the child runs as the user and group "nobody" (65534)
// when this process is root, and unchanged otherwise. Exit code 126 with no
// output means the switch was refused.
ProcessResult runProcessUnprivileged(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::string& workingDirectory);

// Gives this process its own mount namespace (once) and mounts a fresh tmpfs
// of the given size on directory, read-only if asked. Returns "" on success,
// else why it could not (no privilege, no namespace support).
std::string mountPrivateTmpfs(const std::string& directory, unsigned long bytes, bool readOnly);
// Unmounts what mountPrivateTmpfs mounted.
void unmountPrivateTmpfs(const std::string& directory);

}  // namespace otawrap::test
