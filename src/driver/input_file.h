// Reading a whole input file into memory, for the modes that inspect an OTA
// file (--info, --verify). Standard C++ streams only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace otawrap {

enum class InputFileStatus : std::uint8_t {
  ok,
  unreadable,  // cannot be opened or read (also a directory)
  tooLarge,    // longer than the limit
};

// Reads the file at path into bytes (replacing their content), in chunks, up
// to limit bytes. On anything but ok the content of bytes is unspecified.
InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                 std::vector<std::uint8_t>& bytes);

}  // namespace otawrap
