#include "image/byte_source.h"

#include <cstring>

namespace otawrap {

std::size_t MemorySource::read(std::uint8_t* out, std::size_t capacity) {
  const std::size_t left = size_ - offset_;
  const std::size_t count = capacity < left ? capacity : left;
  if (count > 0) {
    std::memcpy(out, data_ + offset_, count);
    offset_ += count;
  }
  return count;
}

FileSource::~FileSource() {
  if (file_ != nullptr && owned_) {
    static_cast<void>(std::fclose(file_));  // opened for reading only
  }
}

bool FileSource::open(const char* path) {
  file_ = std::fopen(path, "rb");
  owned_ = true;
  return file_ != nullptr;
}

void FileSource::borrow(std::FILE* stream) {
  file_ = stream;
  owned_ = false;
}

std::size_t FileSource::read(std::uint8_t* out, std::size_t capacity) {
  if (file_ == nullptr) {
    return 0;
  }
  return std::fread(out, 1, capacity, file_);
}

bool FileSource::failed() const { return file_ == nullptr || std::ferror(file_) != 0; }

}  // namespace otawrap
