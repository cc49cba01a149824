// The one place the tool starts another program: a command through the
// system's shell, input given up front, output collected under a deadline.
#include "io/file_system.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <iterator>

#if defined(__EMSCRIPTEN__)
// No processes in a WebAssembly build.
#elif defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

// POSIX defines it; not every C library declares it (glibc does, macOS does not).
extern char** environ;  // NOLINT(readability-redundant-declaration)
#endif

namespace otawrap {

#if !defined(__EMSCRIPTEN__)
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, 0 once it has passed.
long long remainingMilliseconds(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? left : 0;
}

}  // namespace
#endif

#if defined(__EMSCRIPTEN__)

FsProcessResult fsRunCommand(const std::string&, const std::string&, unsigned, std::size_t) {
  FsProcessResult result;
  result.status = FsProcessStatus::unsupported;
  return result;
}

#elif defined(_WIN32)

namespace {

struct OwnedHandle {
  HANDLE handle = nullptr;
  OwnedHandle() = default;
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() { reset(); }
  void reset() {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
  }
};

FsProcessResult cannotStart(FsProcessResult result) {
  result.status = FsProcessStatus::cannotStart;
  result.osError = EIO;
  return result;
}

}  // namespace

FsProcessResult fsRunCommand(const std::string& command, const std::string& input,
                             unsigned timeoutSeconds, std::size_t outputLimit) {
  FsProcessResult result;
  if (input.size() > kFsCommandInputLimit) return cannotStart(result);
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  OwnedHandle inRead, inWrite, outRead, outWrite;
  if (!CreatePipe(&inRead.handle, &inWrite.handle, &inherit, 4096) ||
      !SetHandleInformation(inWrite.handle, HANDLE_FLAG_INHERIT, 0) ||
      !CreatePipe(&outRead.handle, &outWrite.handle, &inherit, 0) ||
      !SetHandleInformation(outRead.handle, HANDLE_FLAG_INHERIT, 0)) {
    return cannotStart(result);
  }
  DWORD written = 0;
  if (!input.empty() &&
      (!WriteFile(inWrite.handle, input.data(), static_cast<DWORD>(input.size()), &written,
                  nullptr) ||
       written != input.size())) {
    return cannotStart(result);
  }
  inWrite.reset();

  // The job's processes die with its last handle: when this process ends
  // before the command does (Ctrl-C), so does the command.
  OwnedHandle job;
  job.handle = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job.handle != nullptr &&
      !SetInformationJobObject(job.handle, JobObjectExtendedLimitInformation, &limits,
                               sizeof limits)) {
    job.reset();
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead.handle;
  startup.hStdOutput = outWrite.handle;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::string line = "cmd.exe /d /s /c \"" + command + "\"";
  PROCESS_INFORMATION process{};
  if (job.handle == nullptr ||
      !CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
    return cannotStart(result);
  }
  OwnedHandle processHandle, threadHandle;
  processHandle.handle = process.hProcess;
  threadHandle.handle = process.hThread;
  AssignProcessToJobObject(job.handle, process.hProcess);
  ResumeThread(process.hThread);
  inRead.reset();
  outWrite.reset();

  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  result.status = FsProcessStatus::exited;
  char buffer[4096];
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(outRead.handle, nullptr, 0, nullptr, &available, nullptr)) break;  // closed
    if (available == 0) {
      if (remainingMilliseconds(deadline) == 0) {
        result.status = FsProcessStatus::timedOut;
        break;
      }
      Sleep(10);
      continue;
    }
    DWORD got = 0;
    if (!ReadFile(outRead.handle, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
    result.output.append(buffer, got);
    if (result.output.size() > outputLimit) {
      result.output.resize(outputLimit);
      result.status = FsProcessStatus::outputTooLong;
      break;
    }
  }
  if (result.status == FsProcessStatus::exited &&
      WaitForSingleObject(process.hProcess, static_cast<DWORD>(remainingMilliseconds(deadline))) !=
          WAIT_OBJECT_0) {
    result.status = FsProcessStatus::timedOut;
  }
  if (result.status != FsProcessStatus::exited) {
    TerminateJobObject(job.handle, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    return result;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.exitCode = static_cast<int>(code);
  return result;
}

#else

namespace {

struct OwnedDescriptor {
  int fd = -1;
  OwnedDescriptor() = default;
  OwnedDescriptor(const OwnedDescriptor&) = delete;
  OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
  ~OwnedDescriptor() { reset(); }
  void reset() {
    if (fd >= 0) static_cast<void>(close(fd));
    fd = -1;
  }
};

// A pipe whose ends are closed on exec: the command gets only the ends
// duplicated onto its standard input and output.
bool makePipe(OwnedDescriptor& readEnd, OwnedDescriptor& writeEnd) {
  int ends[2];
  if (pipe(ends) != 0) return false;
  readEnd.fd = ends[0];
  writeEnd.fd = ends[1];
  return fcntl(ends[0], F_SETFD, FD_CLOEXEC) == 0 && fcntl(ends[1], F_SETFD, FD_CLOEXEC) == 0;
}

FsProcessResult cannotStart(FsProcessResult result, int error) {
  result.status = FsProcessStatus::cannotStart;
  result.osError = error != 0 ? error : EIO;
  return result;
}

// Starts /bin/sh -c command in a process group of its own.
int spawnShell(const std::string& command, int input, int output, pid_t& pid) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return EIO;
  int error = posix_spawnattr_init(&attributes);
  if (error == 0) {
    sigset_t none;
    sigemptyset(&none);
    error = posix_spawn_file_actions_adddup2(&actions, input, 0);
    if (error == 0) error = posix_spawn_file_actions_adddup2(&actions, output, 1);
    if (error == 0) {
      error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    }
    if (error == 0) error = posix_spawnattr_setpgroup(&attributes, 0);
    if (error == 0) error = posix_spawnattr_setsigmask(&attributes, &none);
    if (error == 0) {
      char shell[] = "sh";
      char flag[] = "-c";
      std::string text = command;
      char* arguments[] = {shell, flag, text.data(), nullptr};
      error = posix_spawn(&pid, "/bin/sh", &actions, &attributes, arguments, environ);
    }
    posix_spawnattr_destroy(&attributes);
  }
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

// The signals that end a run: a terminal's Ctrl-C, a hang-up, a kill. They
// reach this process, not the command's own process group, so they are held
// while the command runs; one that arrives ends the command's group first and
// takes its usual effect on this process once the hold is lifted.
class HeldInterrupts {
 public:
  HeldInterrupts() {
    sigemptyset(&held_);
    for (const int signal : kSignals) sigaddset(&held_, signal);
    sigemptyset(&previous_);
    static_cast<void>(sigprocmask(SIG_BLOCK, &held_, &previous_));
  }
  ~HeldInterrupts() { static_cast<void>(sigprocmask(SIG_SETMASK, &previous_, nullptr)); }
  HeldInterrupts(const HeldInterrupts&) = delete;
  HeldInterrupts& operator=(const HeldInterrupts&) = delete;

  // True once a signal this hold blocked is waiting.
  bool arrived() const {
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) != 0) return false;
    return std::any_of(std::begin(kSignals), std::end(kSignals), [&](int signal) {
      return sigismember(&pending, signal) == 1 && sigismember(&previous_, signal) != 1;
    });
  }

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  sigset_t held_;
  sigset_t previous_;
};

// How often a wait looks for a held signal.
constexpr long long kInterruptPollMilliseconds = 50;

// What a wait that may end now found: the deadline passed, a held signal
// arrived, or neither.
FsProcessStatus waitVerdict(Clock::time_point deadline, const HeldInterrupts& interrupts) {
  if (interrupts.arrived()) return FsProcessStatus::interrupted;
  if (remainingMilliseconds(deadline) == 0) return FsProcessStatus::timedOut;
  return FsProcessStatus::exited;
}

int pollMilliseconds(Clock::time_point deadline) {
  const long long left = remainingMilliseconds(deadline);
  return static_cast<int>(left < kInterruptPollMilliseconds ? left : kInterruptPollMilliseconds);
}

// Waits for pid until deadline; exited once it has ended, else why the wait
// stopped.
FsProcessStatus waitUntil(pid_t pid, Clock::time_point deadline,
                          const HeldInterrupts& interrupts, int& status) {
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) return FsProcessStatus::exited;
    const FsProcessStatus verdict = waitVerdict(deadline, interrupts);
    if (verdict != FsProcessStatus::exited) return verdict;
    static_cast<void>(poll(nullptr, 0, 10));
  }
}

}  // namespace

FsProcessResult fsRunCommand(const std::string& command, const std::string& input,
                             unsigned timeoutSeconds, std::size_t outputLimit) {
  FsProcessResult result;
  if (input.size() > kFsCommandInputLimit) return cannotStart(result, E2BIG);
  OwnedDescriptor inRead, inWrite, outRead, outWrite;
  if (!makePipe(inRead, inWrite) || !makePipe(outRead, outWrite)) {
    return cannotStart(result, errno);
  }
  // The empty pipe takes the whole input at once; with its write end closed
  // before the command starts, nothing is ever written to a closed reader.
  if (!input.empty() &&
      write(inWrite.fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    return cannotStart(result, errno);
  }
  inWrite.reset();
  const HeldInterrupts interrupts;
  pid_t pid = -1;
  const int error = spawnShell(command, inRead.fd, outWrite.fd, pid);
  if (error != 0) return cannotStart(result, error);
  inRead.reset();
  outWrite.reset();

  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
  result.status = FsProcessStatus::exited;
  char buffer[4096];
  for (;;) {
    pollfd readable{outRead.fd, POLLIN, 0};
    const int ready = poll(&readable, 1, pollMilliseconds(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      result.status = waitVerdict(deadline, interrupts);
      if (result.status != FsProcessStatus::exited) break;
      continue;
    }
    const ssize_t got = read(outRead.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(got));
    if (result.output.size() > outputLimit) {
      result.output.resize(outputLimit);
      result.status = FsProcessStatus::outputTooLong;
      break;
    }
  }
  outRead.reset();
  int status = 0;
  if (result.status == FsProcessStatus::exited) {
    result.status = waitUntil(pid, deadline, interrupts, status);
  }
  if (result.status != FsProcessStatus::exited) {
    static_cast<void>(kill(-pid, SIGKILL));
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return result;
  }
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

#endif

}  // namespace otawrap
