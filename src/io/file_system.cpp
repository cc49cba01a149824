// Platform-specific file operations (Windows and POSIX); what a run creates
// and removes is in file_system_cleanup.cpp.
#include "io/file_system.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include <sys/stat.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace otawrap {

bool fsSyncFile(std::FILE* file) {
#ifdef _WIN32
  const std::intptr_t handle = _get_osfhandle(_fileno(file));
  return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
#else
  return fsync(fileno(file)) == 0;
#endif
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

namespace {

#ifndef _WIN32

#ifdef PATH_MAX
constexpr std::size_t kPathLimit = PATH_MAX;  // with its terminating NUL
#else
constexpr std::size_t kPathLimit = 4096;
#endif

// A descriptor that can stand for a directory in the *at calls without
// read permission on it, where the system has one.
#if defined(O_PATH)
constexpr int kDirectoryHandle = O_PATH | O_DIRECTORY | O_CLOEXEC;
#elif defined(O_SEARCH)
constexpr int kDirectoryHandle = O_SEARCH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kDirectoryHandle = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// A path as a directory and a name in it, for the *at calls: the current
// directory and the path itself when the system takes the path whole; for a
// longer one, the directory reached by opening runs of its leading
// directories that each fit the limit (symbolic links among them followed,
// as the system follows them), and the rest. error is set when that fails.
class AtPath {
 public:
  explicit AtPath(const std::string& path) {
    std::size_t from = 0;
    // cppcheck-suppress knownConditionTrueFalse ; it takes PATH_MAX for unbounded
    while (path.size() - from >= kPathLimit) {
      const std::size_t cut = path.rfind('/', from + kPathLimit - 1);
      if (cut == std::string::npos || cut < from) {
        error_ = ENAMETOOLONG;  // one name longer than the limit
        return;
      }
      const std::string run = cut == 0 ? "/" : path.substr(from, cut - from);
      from = cut + 1;
      if (run.empty()) continue;  // "//"
      const int next = openat(directory_, run.c_str(), kDirectoryHandle);
      if (next < 0) {
        error_ = errno;
        return;
      }
      release();
      directory_ = next;
    }
    name_ = from == path.size() && from > 0 ? "." : path.substr(from);
  }
  ~AtPath() { release(); }
  AtPath(const AtPath&) = delete;
  AtPath& operator=(const AtPath&) = delete;

  int directory() const { return directory_; }
  const char* name() const { return name_.c_str(); }
  int error() const { return error_; }

  // fstatat; false with errno set (also when the path could not be resolved).
  bool status(struct stat& out, bool followLink) const {
    if (error_ != 0) {
      errno = error_;
      return false;
    }
    return fstatat(directory_, name(), &out, followLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
  }

 private:
  void release() {
    if (directory_ != AT_FDCWD) static_cast<void>(close(directory_));
    directory_ = AT_FDCWD;
  }

  int directory_ = AT_FDCWD;
  std::string name_;
  int error_ = 0;
};

#endif

bool isDirectory(const std::string& path) {
#ifdef _WIN32
  struct _stat status;
  return _stat(path.c_str(), &status) == 0 && (status.st_mode & _S_IFDIR) != 0;
#else
  struct stat status;
  return AtPath(path).status(status, true) && S_ISDIR(status.st_mode);
#endif
}

}  // namespace

bool fsIsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

bool fsIsDirectory(const std::string& path) {
  // Checked without its trailing separators: the Windows C runtime's stat
  // fails on a directory's path that ends in one.
  std::string whole = path;
  while (whole.size() > 1 && fsIsSeparator(whole.back())) whole.pop_back();
  return !whole.empty() && isDirectory(whole);
}

FsEntryKind fsEntryKind(const std::string& path) {
  if (path.empty()) return FsEntryKind::none;
#ifdef _WIN32
  struct _stat status;
  if (_stat(path.c_str(), &status) != 0) return FsEntryKind::none;
  if ((status.st_mode & _S_IFDIR) != 0) return FsEntryKind::directory;
  return (status.st_mode & _S_IFREG) != 0 ? FsEntryKind::regular : FsEntryKind::other;
#else
  struct stat status;
  if (!AtPath(path).status(status, false)) return FsEntryKind::none;
  if (S_ISREG(status.st_mode)) return FsEntryKind::regular;
  if (S_ISLNK(status.st_mode)) return FsEntryKind::symlink;
  if (S_ISDIR(status.st_mode)) return FsEntryKind::directory;
  return FsEntryKind::other;
#endif
}

int fsListDirectory(const std::string& directory, std::vector<FsDirectoryEntry>& entries) {
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(fsJoinPath(directory, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return 0;  // nothing in it, not even "."
    return error == ERROR_PATH_NOT_FOUND ? ENOENT
           : error == ERROR_ACCESS_DENIED ? EACCES
           : error == ERROR_DIRECTORY    ? ENOTDIR
                                         : EIO;
  }
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const DWORD attributes = found.dwFileAttributes;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entries.push_back({name, !directory && (attributes & FILE_ATTRIBUTE_DEVICE) == 0,
                       directory && !link, 0});
  } while (FindNextFileA(search, &found) != 0);
  const DWORD error = GetLastError();
  FindClose(search);
  return error == ERROR_NO_MORE_FILES ? 0 : EIO;
#else
  const AtPath at(directory);
  if (at.error() != 0) return at.error();
  const int descriptor = openat(at.directory(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return errno;
  DIR* listing = fdopendir(descriptor);
  if (listing == nullptr) {
    const int error = errno;
    static_cast<void>(close(descriptor));
    return error;
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(listing);
    if (entry == nullptr) break;
    FsDirectoryEntry found{entry->d_name, false, false, 0};
    if (found.name == "." || found.name == "..") continue;
    struct stat status;
    const char* name = found.name.c_str();
    if (fstatat(descriptor, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      found.error = errno;
    } else if (S_ISLNK(status.st_mode)) {
      if (fstatat(descriptor, name, &status, 0) != 0) found.error = errno;
      found.regular = found.error == 0 && S_ISREG(status.st_mode);
    } else {
      found.regular = S_ISREG(status.st_mode);
      found.directory = S_ISDIR(status.st_mode);
    }
    entries.push_back(std::move(found));
    errno = 0;
  }
  const int error = errno;
  static_cast<void>(closedir(listing));
  return error;
#endif
}

std::string fsJoinPath(const std::string& directory, const std::string& name) {
  std::string path = directory;
  if (!path.empty() && !fsIsSeparator(path.back())) path += '/';
  path += name;
  return path;
}

bool fsExists(const std::string& path) {
#ifdef _WIN32
  struct _stat status;
  return !path.empty() && _stat(path.c_str(), &status) == 0;
#else
  struct stat status;
  return !path.empty() && AtPath(path).status(status, true);
#endif
}

std::FILE* fsOpenForReading(const std::string& path, FsRead what, FsResult& result) {
  result = {FsStatus::ok, 0};
  errno = 0;
#ifdef _WIN32
  struct _stat64 status;
  if (what == FsRead::regularFile) {
    if (_stat64(path.c_str(), &status) != 0) {
      result = {FsStatus::failed, errno};
      return nullptr;
    }
    if ((status.st_mode & _S_IFREG) == 0) {
      result = (status.st_mode & _S_IFDIR) != 0 ? FsResult{FsStatus::failed, EISDIR}
                                                : FsResult{FsStatus::notRegular, 0};
      return nullptr;
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) result = {FsStatus::failed, errno};
  return file;
#else
  const AtPath at(path);
  struct stat status;
  int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY;
  if (what == FsRead::regularFile) {
    if (!at.status(status, true)) {
      result = {FsStatus::failed, errno};
      return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
      result = S_ISDIR(status.st_mode) ? FsResult{FsStatus::failed, EISDIR}
                                       : FsResult{FsStatus::notRegular, 0};
      return nullptr;
    }
    flags |= O_NONBLOCK;  // a FIFO put in its place meanwhile cannot block the open
  } else if (at.error() != 0) {
    result = {FsStatus::failed, at.error()};
    return nullptr;
  }
  const int descriptor = openat(at.directory(), at.name(), flags);
  if (descriptor < 0) {
    result = {FsStatus::failed, errno};
    return nullptr;
  }
  if (what == FsRead::regularFile &&
      (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
       fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
    static_cast<void>(close(descriptor));
    result = {FsStatus::notRegular, 0};
    return nullptr;
  }
  std::FILE* file = fdopen(descriptor, "rb");
  if (file == nullptr) {
    result = {FsStatus::failed, errno};
    static_cast<void>(close(descriptor));
  }
  return file;
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

void fsHoldStandardDescriptors() {
#ifndef _WIN32
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // Read-only, so a write to it fails as it did on the closed descriptor.
    const int opened = open("/dev/null", O_RDONLY);
    if (opened >= 0 && opened != descriptor) static_cast<void>(close(opened));
  }
#endif
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

bool fsStandardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
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
