// Platform-specific file operations (Windows and POSIX), kept to this file.
#include "io/file_system.h"

#include <cstdint>
#include <cstring>
#include <random>

#include <cerrno>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#endif

namespace otawrap {

namespace {

unsigned long processId() {
#ifdef _WIN32
  return static_cast<unsigned long>(_getpid());
#else
  return static_cast<unsigned long>(getpid());
#endif
}

#ifdef _WIN32

// No signal cleanup on Windows.
class PendingGuard {
 public:
  PendingGuard() {}
  ~PendingGuard() {}
  PendingGuard(const PendingGuard&) = delete;
  PendingGuard& operator=(const PendingGuard&) = delete;
};

void setPending(const std::string&) {}
void clearPending(const std::string&) {}
bool pendingFits(const std::string&) { return true; }

#else

// The pending temporary's path for the signal handler: the process's one
// piece of global state, as a handler has no other way to reach it. It is
// only written while the three signals are blocked; "" when there is none.
char pendingPath[4096 + 64];

const int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t cleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kCleanupSignals) {
    sigaddset(&set, signal);
  }
  return set;
}

// Async-signal-safe: unlink, sigaction and raise only. The re-raised signal
// stays blocked until the handler returns, then ends the process by default.
extern "C" void removePendingAndDie(int signal) {
  if (pendingPath[0] != '\0') {
    static_cast<void>(unlink(pendingPath));
  }
  struct sigaction restore;
  std::memset(&restore, 0, sizeof restore);
  restore.sa_handler = SIG_DFL;
  sigemptyset(&restore.sa_mask);
  static_cast<void>(sigaction(signal, &restore, nullptr));
  static_cast<void>(raise(signal));
}

// Installs the handler once per process, keeping signals that are ignored.
void installHandlers() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  for (const int signal : kCleanupSignals) {
    struct sigaction previous;
    if (sigaction(signal, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction handler;
    std::memset(&handler, 0, sizeof handler);
    handler.sa_handler = removePendingAndDie;
    handler.sa_mask = cleanupSignalSet();
    static_cast<void>(sigaction(signal, &handler, nullptr));
  }
}

// Blocks the cleanup signals for its lifetime, so the file and the pending
// path change together.
class PendingGuard {
 public:
  PendingGuard() {
    const sigset_t set = cleanupSignalSet();
    static_cast<void>(sigprocmask(SIG_BLOCK, &set, &saved_));
  }
  ~PendingGuard() { static_cast<void>(sigprocmask(SIG_SETMASK, &saved_, nullptr)); }
  PendingGuard(const PendingGuard&) = delete;
  PendingGuard& operator=(const PendingGuard&) = delete;

 private:
  sigset_t saved_;
};

bool pendingFits(const std::string& path) { return path.size() < sizeof pendingPath; }

void setPending(const std::string& path) {
  installHandlers();
  std::memcpy(pendingPath, path.c_str(), path.size() + 1);
}

void clearPending(const std::string& path) {
  if (path == pendingPath) {
    pendingPath[0] = '\0';
  }
}

#endif

}  // namespace

std::FILE* fsCreateTemporary(const std::string& directory, std::string& path) {
  std::random_device entropy;
  std::mt19937 random(entropy());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    // At most 9 + 20 + 1 + 8 + 4 characters: always fits.
    static_cast<void>(std::snprintf(name, sizeof name, ".otawrap-%lu-%08lx.tmp", processId(),
                                    static_cast<unsigned long>(random() & 0xFFFFFFFFUL)));
    path = directory + name;
    if (!pendingFits(path)) {
      errno = ENAMETOOLONG;
      break;
    }
    std::FILE* file = nullptr;
    {
      const PendingGuard guard;
      // "x": fail rather than open a file that already exists.
      file = std::fopen(path.c_str(), "wbx");
      if (file != nullptr) {
        setPending(path);
      }
    }
    if (file != nullptr) {
      return file;
    }
    // Only a name taken meanwhile is worth another try; any other reason
    // (EACCES, ENOTDIR, ENOSPC) is the caller's to report, errno intact.
    if (errno != EEXIST) {
      break;
    }
  }
  const int reason = errno;
  path.clear();
  errno = reason;
  return nullptr;
}

bool fsSyncFile(std::FILE* file) {
#ifdef _WIN32
  const std::intptr_t handle = _get_osfhandle(_fileno(file));
  return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

bool fsReplaceFile(const std::string& from, const std::string& to) {
  const PendingGuard guard;
#ifdef _WIN32
  const bool moved =
      MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  const bool moved = std::rename(from.c_str(), to.c_str()) == 0;
#endif
  if (moved) {
    clearPending(from);
  }
  return moved;
}

bool fsSyncDirectory(const std::string& directory) {
#ifdef _WIN32
  static_cast<void>(directory);
  return true;
#else
  const int descriptor = open(directory.empty() ? "." : directory.c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    return true;  // not readable: nothing to sync through
  }
  const bool synced = fsync(descriptor) == 0 || errno == EINVAL || errno == ENOTSUP;
  static_cast<void>(close(descriptor));
  return synced;
#endif
}

void fsRemove(const std::string& path) {
  const PendingGuard guard;
  static_cast<void>(std::remove(path.c_str()));
  clearPending(path);
}

namespace {

bool isDirectory(const std::string& path) {
#ifdef _WIN32
  struct _stat status;
  return _stat(path.c_str(), &status) == 0 && (status.st_mode & _S_IFDIR) != 0;
#else
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
#endif
}

bool makeDirectory(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return mkdir(path.c_str(), 0777) == 0;
#endif
}

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

}  // namespace

bool fsCreateDirectories(const std::string& directory, int& osError) {
  // Each prefix that ends before a separator, then the whole path.
  for (std::size_t end = 1; end <= directory.size(); ++end) {
    if (end < directory.size() && !isSeparator(directory[end])) continue;
    const std::string prefix = directory.substr(0, end);
    if (isSeparator(prefix.back()) || isDirectory(prefix)) continue;
    errno = 0;
    if (!makeDirectory(prefix) && !isDirectory(prefix)) {
      // A file where a directory should be: mkdir says EEXIST, but what is
      // wrong is that it is not a directory.
      osError = errno == EEXIST ? ENOTDIR : errno;
      return false;
    }
  }
  osError = 0;
  return directory.empty() || fsIsDirectory(directory);
}

bool fsIsDirectory(const std::string& path) {
  // Checked without its trailing separators: the Windows C runtime's stat
  // fails on a directory's path that ends in one.
  std::string whole = path;
  while (whole.size() > 1 && isSeparator(whole.back())) whole.pop_back();
  return !whole.empty() && isDirectory(whole);
}

bool fsExists(const std::string& path) {
#ifdef _WIN32
  struct _stat status;
  return !path.empty() && _stat(path.c_str(), &status) == 0;
#else
  struct stat status;
  return !path.empty() && stat(path.c_str(), &status) == 0;
#endif
}

const char* fsErrorText(int error) {
  struct ErrorText {
    int error;
    const char* text;
  };
  // The GNU C library's texts; a test in tests/io compares them with its strerror.
  static const ErrorText kTexts[] = {
      {EPERM, "Operation not permitted"},
      {ENOENT, "No such file or directory"},
      {EIO, "Input/output error"},
      {ENOMEM, "Cannot allocate memory"},
      {EACCES, "Permission denied"},
      {EBUSY, "Device or resource busy"},
      {EEXIST, "File exists"},
      {EXDEV, "Invalid cross-device link"},
      {ENOTDIR, "Not a directory"},
      {EISDIR, "Is a directory"},
      {EINVAL, "Invalid argument"},
      {EMFILE, "Too many open files"},
      {EFBIG, "File too large"},
      {ENOSPC, "No space left on device"},
      {EROFS, "Read-only file system"},
      {ENAMETOOLONG, "File name too long"},
  };
  for (const ErrorText& entry : kTexts) {
    if (entry.error == error) return entry.text;
  }
  return std::strerror(error);
}

void fsBinaryStandardStreams() {
#ifdef _WIN32
  static_cast<void>(_setmode(_fileno(stdout), _O_BINARY));
  static_cast<void>(_setmode(_fileno(stderr), _O_BINARY));
#endif
}

std::FILE* fsStandardInput() {
#ifdef _WIN32
  static_cast<void>(_setmode(_fileno(stdin), _O_BINARY));
#endif
  return stdin;
}

long long fsRegularFileSize(std::FILE* file) {
#ifdef _WIN32
  struct _stat64 status;
  if (_fstat64(_fileno(file), &status) != 0 || (status.st_mode & _S_IFREG) == 0) return -1;
#else
  struct stat status;
  if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
#endif
  return static_cast<long long>(status.st_size);
}

bool fsNameAllowed(const std::string& name) {
#ifdef _WIN32
  return name.find_first_of("*?\"<>|:") == std::string::npos;
#else
  static_cast<void>(name);
  return true;
#endif
}

}  // namespace otawrap
