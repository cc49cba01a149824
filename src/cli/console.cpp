#include "cli/console.h"

#include <charconv>

namespace otawrap {

OutputStream& OutputStream::write(const char* data, std::size_t size) {
  if (ok_ && size != 0) ok_ = put(data, size);
  return *this;
}

OutputStream& OutputStream::flush() {
  if (ok_) ok_ = sync();
  return *this;
}

OutputStream& OutputStream::operator<<(long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return write(digits, static_cast<std::size_t>(result.ptr - digits));
}

OutputStream& OutputStream::operator<<(unsigned long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return write(digits, static_cast<std::size_t>(result.ptr - digits));
}

bool FileOutputStream::put(const char* data, std::size_t size) {
  return std::fwrite(data, 1, size, file_) == size;
}

bool FileOutputStream::sync() { return std::fflush(file_) == 0; }

bool StringOutputStream::put(const char* data, std::size_t size) {
  text_.append(data, size);
  return true;
}

}  // namespace otawrap
