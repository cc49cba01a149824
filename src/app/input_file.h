// Reading inputs whole into memory: OTA files for `info`, `verify`, `extract`
// and `index`, payload files for `--tag`. Every input is read front to back
// without seeking, so pipes, FIFOs, /dev/stdin and process substitution work
// like files; a FIFO with no writer blocks until one opens it, as for cat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/failure.h"
#include "ota/format.h"

namespace otawrap {

// The name of standard input where a command takes one input file.
inline constexpr char kStandardInputName[] = "-";

// Whether "-" names standard input (commands with one input file) or a file
// called "-" (the others).
enum class DashInput : std::uint8_t { fileName, standardInput };

// What a command takes as an input file: whatever reads front to back
// (pipes, FIFOs, devices: the OTA files of info, verify, extract, convert),
// or a regular file only (an index, a metadata file, the files lint looks
// at: a FIFO there would block, a device never end).
enum class InputKind : std::uint8_t { stream, regularFile };

// Opens path for binary reading, standard input for "-" when dash says so.
// nullptr with osError set to errno (0 when the system gave none) on failure.
std::FILE* openInputFile(const std::string& path, DashInput dash, int& osError);

// Closes a file from openInputFile; standard input stays open.
void closeInputFile(std::FILE* file);

enum class InputFileStatus : std::uint8_t {
  ok,
  unreadable,  // cannot be opened or read (also a directory)
  tooLarge,    // longer than the limit
  notRegular,  // InputKind::regularFile and it is not one: never opened
};

// Reads the file at path into bytes (replacing their content) up to limit
// bytes, to its end: one byte past the limit is tooLarge, so an endless pipe
// stops there. A regular file is read into one allocation of its size; other
// inputs grow chunk by chunk. On unreadable, osError holds errno (0 when the
// system gave none). On anything but ok the content of bytes is unspecified.
InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                 std::vector<std::uint8_t>& bytes, int& osError,
                                 DashInput dash = DashInput::fileName,
                                 InputKind kind = InputKind::stream);

// The failure a read that did not end ok stands for: cannotOpenInput with
// the system's reason, inputNotRegular, or inputTooLarge (the OTA file limit).
Problem inputFileProblem(InputFileStatus status, const std::string& path, int osError);

// Reads the rest of an open file as inputFileReadAll does.
InputFileStatus inputFileReadRest(std::FILE* file, std::size_t limit,
                                  std::vector<std::uint8_t>& bytes, int& osError);

enum class ExactReadStatus : std::uint8_t {
  ok,
  changedSize,  // the file ended before size bytes, or goes on after them
  unreadable,   // a read error; osError holds errno (0 when none)
};

// Reads exactly size bytes of file into out[0..size) and checks that the file
// ends there, for a file whose size was taken earlier: a file that grew or
// shrank meanwhile is refused, not taken in part. On anything but ok the
// content of out is unspecified.
ExactReadStatus inputFileReadExactly(std::FILE* file, std::uint8_t* out, std::size_t size,
                                     int& osError);

// The same without the reason.
inline InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                        std::vector<std::uint8_t>& bytes) {
  int osError = 0;
  return inputFileReadAll(path, limit, bytes, osError);
}


}  // namespace otawrap
