// Platform-specific file operations (Windows and POSIX), kept to this file.
#include "driver/file_system.h"

#include <cstdint>
#include <random>

#ifdef _WIN32
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

}  // namespace otawrap
