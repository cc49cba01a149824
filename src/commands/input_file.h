// Reading a whole OTA file into memory for `info` and `verify`. Standard C++
// streams only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/failure.h"
#include "ota/format.h"

namespace otawrap {

enum class InputFileStatus : std::uint8_t {
  ok,
  unreadable,  // cannot be opened or read (also a directory)
  tooLarge,    // longer than the limit
};

// Reads the file at path into bytes (replacing their content) up to limit
// bytes. A file whose size is known up front is read into one allocation of
// that size; a pipe is read in chunks. On unreadable, osError holds errno
// (0 when the system gave none). On anything but ok the content of bytes is
// unspecified.
InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                 std::vector<std::uint8_t>& bytes, int& osError);

// The same without the reason.
inline InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                        std::vector<std::uint8_t>& bytes) {
  int osError = 0;
  return inputFileReadAll(path, limit, bytes, osError);
}

// Reads an OTA file of at most kOtaFileSizeLimit bytes for info and verify;
// false with problem set when it cannot be read or is too large.
bool readOtaFile(const std::string& path, std::vector<std::uint8_t>& bytes, Problem& problem);

}  // namespace otawrap
