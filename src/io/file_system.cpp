// Platform-specific file operations (Windows and POSIX); what a run creates
// and removes is in file_system_cleanup.cpp.
#include "io/file_system.h"

#include <cstdint>
#include <cstring>

#include <cerrno>
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

bool isDirectory(const std::string& path) {
#ifdef _WIN32
  struct _stat status;
  return _stat(path.c_str(), &status) == 0 && (status.st_mode & _S_IFDIR) != 0;
#else
  struct stat status;
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
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
  if (lstat(path.c_str(), &status) != 0) return FsEntryKind::none;
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
                       directory && !link});
  } while (FindNextFileA(search, &found) != 0);
  const DWORD error = GetLastError();
  FindClose(search);
  return error == ERROR_NO_MORE_FILES ? 0 : EIO;
#else
  DIR* listing = opendir(directory.c_str());
  if (listing == nullptr) return errno;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(listing);
    if (entry == nullptr) break;
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = fsJoinPath(directory, name);
    struct stat status;
    const bool directory_itself = lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    const bool regular = stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
    entries.push_back({name, regular, directory_itself});
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
