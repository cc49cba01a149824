// The files and directories a run creates, and their removal when a signal
// ends it: temporaries, publishing, created directories (Windows and POSIX).
#include "io/file_system.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <stdio.h>
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

// No signal cleanup on Windows: the list is not kept.
class ListGuard {
 public:
  ListGuard() {}
  ~ListGuard() {}
  ListGuard(const ListGuard&) = delete;
  ListGuard& operator=(const ListGuard&) = delete;
};

void listAdd(const std::string&, bool) {}
void listDrop(const std::string&) {}

#else

// One entry of the cleanup list: a file, or a directory this run made.
struct CleanupEntry {
  CleanupEntry* next;
  bool directory;
  char path[1];  // allocated to the path's length, NUL-terminated
};

// The cleanup list for the signal handler: the process's one piece of global
// state, as a handler has no other way to reach it. Newest entry first, so a
// directory comes after the files made in it. Changed only while the three
// signals are blocked, so the handler never sees it half changed.
CleanupEntry* cleanupList = nullptr;

// SIGPIPE: a report pipe its reader closed, where the run did not ask for
// failed writes instead (the legacy form).
const int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

sigset_t cleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kCleanupSignals) {
    sigaddset(&set, signal);
  }
  return set;
}

// Async-signal-safe: unlink, rmdir, sigaction and raise only. The re-raised
// signal stays blocked until the handler returns, then ends the process by
// default.
extern "C" void removeListAndDie(int signal) {
  for (const CleanupEntry* entry = cleanupList; entry != nullptr; entry = entry->next) {
    static_cast<void>(entry->directory ? rmdir(entry->path) : unlink(entry->path));
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
    handler.sa_handler = removeListAndDie;
    handler.sa_mask = cleanupSignalSet();
    static_cast<void>(sigaction(signal, &handler, nullptr));
  }
}

// Blocks the cleanup signals for its lifetime, so a file and the list change
// together.
class ListGuard {
 public:
  ListGuard() {
    const sigset_t set = cleanupSignalSet();
    static_cast<void>(sigprocmask(SIG_BLOCK, &set, &saved_));
  }
  ~ListGuard() { static_cast<void>(sigprocmask(SIG_SETMASK, &saved_, nullptr)); }
  ListGuard(const ListGuard&) = delete;
  ListGuard& operator=(const ListGuard&) = delete;

 private:
  sigset_t saved_;
};

// Call with the signals blocked. An entry that cannot be allocated is not
// listed: the run then goes on without that file's signal cleanup.
void listAdd(const std::string& path, bool directory) {
  installHandlers();
  void* memory = std::malloc(sizeof(CleanupEntry) + path.size());
  if (memory == nullptr) return;
  auto* entry = static_cast<CleanupEntry*>(memory);
  entry->next = cleanupList;
  entry->directory = directory;
  std::memcpy(entry->path, path.c_str(), path.size() + 1);
  cleanupList = entry;
}

// Call with the signals blocked.
void listDrop(const std::string& path) {
  for (CleanupEntry** link = &cleanupList; *link != nullptr; link = &(*link)->next) {
    if (path == (*link)->path) {
      CleanupEntry* entry = *link;
      *link = entry->next;
      std::free(entry);
      return;
    }
  }
}

#endif

bool makeDirectory(const std::string& path) {
#ifdef _WIN32
  return _mkdir(path.c_str()) == 0;
#else
  return mkdir(path.c_str(), 0777) == 0;
#endif
}

// Moves from to to without replacing anything at to.
bool moveExclusive(const std::string& from, const std::string& to) {
#ifdef _WIN32
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return true;
  const DWORD error = GetLastError();
  errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST
          : error == ERROR_ACCESS_DENIED                              ? EACCES
                                                                      : EIO;
  return false;
#else
  // link() fails with EEXIST on any entry, a dangling symlink included.
  if (link(from.c_str(), to.c_str()) != 0) return false;
  static_cast<void>(unlink(from.c_str()));
  return true;
#endif
}

bool moveReplacing(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

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
    std::FILE* file = nullptr;
    {
      const ListGuard guard;
      // "x": fail rather than open a file that already exists.
      file = std::fopen(path.c_str(), "wbx");
      if (file != nullptr) listAdd(path, false);
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

FsResult fsPublish(const std::string& from, const std::string& to, FsPublish mode) {
  const ListGuard guard;
  errno = 0;
  if (mode == FsPublish::exclusive) {
    if (!moveExclusive(from, to)) return {errno == EEXIST ? FsStatus::exists : FsStatus::failed, errno};
    listDrop(from);
    listAdd(to, false);
    return {FsStatus::ok, 0};
  }
  // Checked right before the rename, which would replace any kind of entry.
  const FsEntryKind kind = fsEntryKind(to);
  if (kind == FsEntryKind::other) return {FsStatus::notRegular, 0};
  if (kind == FsEntryKind::directory) return {FsStatus::failed, EISDIR};
  if (!moveReplacing(from, to)) return {FsStatus::failed, errno};
  listDrop(from);
  return {FsStatus::ok, 0};
}

void fsKeep(const std::string& path) {
  const ListGuard guard;
  listDrop(path);
}

void fsRemove(const std::string& path) {
  const ListGuard guard;
  static_cast<void>(std::remove(path.c_str()));
  listDrop(path);
}

void fsRemoveDirectory(const std::string& path) {
  const ListGuard guard;
#ifdef _WIN32
  static_cast<void>(_rmdir(path.c_str()));
#else
  static_cast<void>(rmdir(path.c_str()));
#endif
  listDrop(path);
}

void fsBrokenPipeFailsWrites() {
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  struct sigaction ignore;
  std::memset(&ignore, 0, sizeof ignore);
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  static_cast<void>(sigaction(SIGPIPE, &ignore, nullptr));
#endif
}

bool fsCreateDirectories(const std::string& directory, std::vector<std::string>& created,
                         int& osError) {
  // Each prefix that ends before a separator, then the whole path.
  for (std::size_t end = 1; end <= directory.size(); ++end) {
    if (end < directory.size() && !fsIsSeparator(directory[end])) continue;
    const std::string prefix = directory.substr(0, end);
    if (fsIsSeparator(prefix.back()) || fsIsDirectory(prefix)) continue;
    errno = 0;
    bool made = false;
    {
      const ListGuard guard;
      made = makeDirectory(prefix);
      if (made) listAdd(prefix, true);
    }
    const int reason = errno;  // before the check below changes it
    if (made) {
      created.push_back(prefix);
    // cppcheck-suppress knownConditionTrueFalse ; another process may have made it meanwhile
    } else if (!fsIsDirectory(prefix)) {
      // A file where a directory should be: mkdir says EEXIST, but what is
      // wrong is that it is not a directory.
      osError = reason == EEXIST ? ENOTDIR : reason;
      return false;
    }
  }
  osError = 0;
  return directory.empty() || fsIsDirectory(directory);
}

}  // namespace otawrap
