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

bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

}  // namespace

bool fsIsDirectory(const std::string& path) {
  // Checked without its trailing separators: the Windows C runtime's stat
  // fails on a directory's path that ends in one.
  std::string whole = path;
  while (whole.size() > 1 && isSeparator(whole.back())) whole.pop_back();
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
