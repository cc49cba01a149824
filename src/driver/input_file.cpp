#include "driver/input_file.h"

#include <fstream>

namespace otawrap {

InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                 std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return InputFileStatus::unreadable;
  }
  bytes.clear();
  constexpr std::size_t kChunk = 65536;
  char chunk[kChunk];
  while (true) {
    in.read(chunk, kChunk);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > limit - bytes.size()) {
      return InputFileStatus::tooLarge;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (in.eof()) {
      return in.bad() ? InputFileStatus::unreadable : InputFileStatus::ok;
    }
    if (!in) {
      return InputFileStatus::unreadable;  // a read error, not the end of the file
    }
  }
}

}  // namespace otawrap
