// Where a command prints and the exit codes it ends with. Small on purpose:
// `version` and `help` need nothing more, and no iostreams (their locale
// set-up alone costs a quarter of a short run).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace otawrap {

// A byte sink with the `<<` of text and integers the commands print. A failed
// write is remembered: the stream then tests false and keeps dropping output.
// Integers print in decimal; characters as themselves. Types whose printing
// would be ambiguous (bool, signed/unsigned char, floating point) are refused
// at compile time.
class OutputStream {
 public:
  OutputStream() = default;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;
  virtual ~OutputStream() = default;

  OutputStream& write(const char* data, std::size_t size);
  OutputStream& flush();
  explicit operator bool() const { return ok_; }
  // True once after a write failed, false before and ever after: a lost
  // output is reported once, however many writes follow.
  bool takeLoss() {
    const bool first = !ok_ && !lossTaken_;
    lossTaken_ = !ok_;
    return first;
  }

  OutputStream& operator<<(std::string_view text) { return write(text.data(), text.size()); }
  OutputStream& operator<<(const std::string& text) { return write(text.data(), text.size()); }
  OutputStream& operator<<(const char* text) { return *this << std::string_view(text); }
  OutputStream& operator<<(char c) { return write(&c, 1); }
  OutputStream& operator<<(int value) { return *this << static_cast<long long>(value); }
  OutputStream& operator<<(long value) { return *this << static_cast<long long>(value); }
  OutputStream& operator<<(long long value);
  OutputStream& operator<<(unsigned value) { return *this << static_cast<unsigned long long>(value); }
  OutputStream& operator<<(unsigned long value) { return *this << static_cast<unsigned long long>(value); }
  OutputStream& operator<<(unsigned long long value);
  OutputStream& operator<<(bool) = delete;
  OutputStream& operator<<(signed char) = delete;
  OutputStream& operator<<(unsigned char) = delete;
  OutputStream& operator<<(double) = delete;

 private:
  // Writes all of [data, data + size) or returns false.
  virtual bool put(const char* data, std::size_t size) = 0;
  virtual bool sync() = 0;
  bool ok_ = true;
  bool lossTaken_ = false;
};

// Writes through a C stream (stdout, stderr): the same buffering and, on
// Windows, the same text or binary mode as the C library gives that stream.
class FileOutputStream final : public OutputStream {
 public:
  explicit FileOutputStream(std::FILE* file) : file_(file) {}

 private:
  bool put(const char* data, std::size_t size) override;
  bool sync() override;
  std::FILE* file_;
};

// Collects what is written (tests, and text built before it is printed).
class StringOutputStream final : public OutputStream {
 public:
  const std::string& str() const { return text_; }

 private:
  bool put(const char* data, std::size_t size) override;
  bool sync() override { return true; }
  std::string text_;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCheckFailed = 1;  // a file was read and found wanting
inline constexpr int kExitError = 2;        // the command could not do its job

// What a command does with what it reads. Its kind and the outcome of a run
// alone decide the exit code (exitCodeOf); the help pages word the same rule
// (cli/help_text.cpp).
enum class CommandKind : std::uint8_t {
  prints,  // help, version
  judges,  // info, verify, index, lint, match, diff: 1 when an input is found wanting
  makes,   // convert, build, extract, normalize, restamp: an input found wanting is refused
  legacy,  // the frozen legacy form: every failure exits 2 and prints "Error: " on stdout
};

enum class Outcome : std::uint8_t {
  success,
  wanting,  // an input was read and found wanting: a check, a finding, nothing offered, a difference
  failed,   // the command could not do its job: usage, unreadable input, failed write
};

constexpr int exitCodeOf(Outcome outcome, CommandKind kind) {
  if (outcome == Outcome::success) return kExitSuccess;
  return outcome == Outcome::wanting && kind == CommandKind::judges ? kExitCheckFailed : kExitError;
}

// Standard output and standard error of one run, and the kind of command
// that runs (set by the dispatcher from the command's definition).
struct Console {
  OutputStream& out;
  OutputStream& err;
  CommandKind kind = CommandKind::prints;
  // Said after a failure to read a directory given where a file goes, e.g.
  // "--recursive reads every file below it"; nullptr: nothing.
  const char* directoryHint = nullptr;
};

}  // namespace otawrap
