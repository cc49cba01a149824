#include "commands/input_file.h"

#include <cerrno>
#include <fstream>

namespace otawrap {

InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                 std::vector<std::uint8_t>& bytes, int& osError) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    osError = errno;
    return InputFileStatus::unreadable;
  }
  bytes.clear();
  // A regular file tells its size: one exact allocation, so memory stays at
  // the file size. Anything else grows chunk by chunk.
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  in.clear();
  in.seekg(0, std::ios::beg);
  constexpr std::size_t kChunk = 65536;
  char chunk[kChunk];
  if (end > 0 && static_cast<std::uint64_t>(end) > limit) {
    // A directory may claim any size; only a readable file is too large.
    errno = 0;
    if (!in.read(chunk, 1)) {
      osError = errno;
      return InputFileStatus::unreadable;
    }
    return InputFileStatus::tooLarge;
  }
  if (end > 0) bytes.reserve(static_cast<std::size_t>(end));
  while (true) {
    errno = 0;
    in.read(chunk, kChunk);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > limit - bytes.size()) {
      return InputFileStatus::tooLarge;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (in.eof() && !in.bad()) {
      return InputFileStatus::ok;
    }
    if (!in) {
      osError = errno;  // a read error, not the end of the file
      return InputFileStatus::unreadable;
    }
  }
}

bool readOtaFile(const std::string& path, std::vector<std::uint8_t>& bytes, Problem& problem) {
  int osError = 0;
  const InputFileStatus status = inputFileReadAll(path, kOtaFileSizeLimit, bytes, osError);
  if (status == InputFileStatus::ok) return true;
  const bool tooLarge = status == InputFileStatus::tooLarge;
  problem = {tooLarge ? Failure::inputTooLarge : Failure::cannotOpenInput, "", path,
             tooLarge ? 0 : osError};
  return false;
}

}  // namespace otawrap
