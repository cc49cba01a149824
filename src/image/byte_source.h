// Where the raw reader gets its bytes from: a file, or memory (tests, fuzzers,
// benchmarks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace otawrap {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to capacity (> 0) bytes into out and returns how many. Returns 0
  // only at the end of the input or after a read failure; failed() tells which.
  virtual std::size_t read(std::uint8_t* out, std::size_t capacity) = 0;
  // True once a read has failed for a reason other than the end of the input.
  virtual bool failed() const = 0;
};

// Serves a byte range that the caller keeps alive.
class MemorySource final : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t read(std::uint8_t* out, std::size_t capacity) override;
  bool failed() const override { return false; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

// Reads a file opened in binary mode front to back, never seeking (a pipe
// works like a file); closes a file it opened when destroyed.
class FileSource final : public ByteSource {
 public:
  FileSource() = default;
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // Opens path for binary reading; false if it cannot be opened.
  bool open(const char* path);
  // Reads stream (binary mode, e.g. standard input) without ever closing it.
  void borrow(std::FILE* stream);
  std::size_t read(std::uint8_t* out, std::size_t capacity) override;
  bool failed() const override;

 private:
  std::FILE* file_ = nullptr;
  bool owned_ = false;
};

}  // namespace otawrap
