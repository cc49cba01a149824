// Platform-specific file operations (Windows and POSIX), kept to this file.
#include "driver/file_system.h"

#include <cstdint>
#include <random>

#include <cerrno>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <process.h>
#include <windows.h>
#else
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
    // "x": fail rather than open a file that already exists.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file != nullptr) {
      return file;
    }
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
      break;  // the name is free, so the directory refused the file
    }
    static_cast<void>(std::fclose(probe));  // opened for reading only
  }
  path.clear();
  return nullptr;
}

bool fsReplaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

void fsRemove(const std::string& path) { static_cast<void>(std::remove(path.c_str())); }

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
      osError = errno;
      return false;
    }
  }
  osError = 0;
  return directory.empty() || isDirectory(directory);
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
