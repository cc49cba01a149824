// File-system shim: the only platform-specific code of the tool. Everything
// else uses standard C++ alone.
#pragma once

#include <cstdio>
#include <string>

namespace otawrap {

// Separator that -o appends to each directory part.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Creates a new, empty file with a unique name in directory (a prefix that is
// empty or ends with a separator) and opens it for binary writing. Sets path to
// its name. Returns nullptr if no file could be created.
std::FILE* fsCreateTemporary(const std::string& directory, std::string& path);

// Renames from to to, replacing an existing file atomically. False on failure,
// in which case both files are as they were.
bool fsReplaceFile(const std::string& from, const std::string& to);

// Removes a file; failures are ignored.
void fsRemove(const std::string& path);

// Creates directory and every missing parent. True when it exists as a
// directory afterwards; else false with osError set to errno.
bool fsCreateDirectories(const std::string& directory, int& osError);

// False when this platform cannot hold name as a file name (on Windows any
// of * ? " < > | :); always true elsewhere.
bool fsNameAllowed(const std::string& name);

}  // namespace otawrap
