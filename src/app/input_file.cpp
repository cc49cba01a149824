#include "app/input_file.h"

#include <cerrno>

#include "io/file_system.h"

namespace otawrap {

namespace {

std::FILE* openAs(const std::string& path, DashInput dash, FsRead what, FsResult& result) {
  if (dash == DashInput::standardInput && path == kStandardInputName) {
    result = {FsStatus::ok, 0};
    return fsStandardInput();
  }
  return fsOpenForReading(path, what, result);
}

}  // namespace

std::FILE* openInputFile(const std::string& path, DashInput dash, int& osError) {
  FsResult result{FsStatus::ok, 0};
  std::FILE* file = openAs(path, dash, FsRead::anything, result);
  osError = result.osError;
  return file;
}

void closeInputFile(std::FILE* file) {
  if (file != nullptr && file != stdin) {
    static_cast<void>(std::fclose(file));  // opened for reading only
  }
}

namespace {

InputFileStatus readAll(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& bytes,
                        int& osError) {
  bytes.clear();
  // A regular file's size is only a hint (it may change meanwhile), but it
  // spares the copies of growing: memory stays at the file size.
  const long long size = fsRegularFileSize(file);
  constexpr std::size_t kChunk = 65536;
  std::uint8_t chunk[kChunk];
  if (size > 0 && static_cast<unsigned long long>(size) > limit) {
    // Too large unless it cannot be read at all.
    errno = 0;
    if (std::fread(chunk, 1, 1, file) == 1) return InputFileStatus::tooLarge;
    osError = errno;
    return InputFileStatus::unreadable;
  }
  if (size > 0) bytes.reserve(static_cast<std::size_t>(size));
  while (true) {
    errno = 0;
    const std::size_t got = std::fread(chunk, 1, kChunk, file);
    if (got > limit - bytes.size()) return InputFileStatus::tooLarge;
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got == kChunk) continue;
    if (std::ferror(file) != 0) {
      osError = errno;  // a read error (a directory: EISDIR), not the end
      return InputFileStatus::unreadable;
    }
    if (std::feof(file) != 0) return InputFileStatus::ok;
  }
}

}  // namespace

Problem inputFileProblem(InputFileStatus status, const std::string& path, int osError) {
  switch (status) {
    case InputFileStatus::tooLarge:
      return {Failure::inputTooLarge, "", path, 0};
    case InputFileStatus::notRegular:
      return {Failure::inputNotRegular, "", path, 0};
    case InputFileStatus::ok:
    case InputFileStatus::unreadable:
      break;
  }
  return {Failure::cannotOpenInput, "", path, osError};
}

InputFileStatus inputFileReadRest(std::FILE* file, std::size_t limit,
                                  std::vector<std::uint8_t>& bytes, int& osError) {
  return readAll(file, limit, bytes, osError);
}

ExactReadStatus inputFileReadExactly(std::FILE* file, std::uint8_t* out, std::size_t size,
                                     int& osError) {
  errno = 0;
  const std::size_t got = size == 0 ? 0 : std::fread(out, 1, size, file);
  std::uint8_t extra = 0;
  if (got == size && std::fread(&extra, 1, 1, file) == 1) return ExactReadStatus::changedSize;
  if (std::ferror(file) != 0) {
    osError = errno;
    return ExactReadStatus::unreadable;
  }
  return got == size ? ExactReadStatus::ok : ExactReadStatus::changedSize;
}

InputFileStatus inputFileReadAll(const std::string& path, std::size_t limit,
                                 std::vector<std::uint8_t>& bytes, int& osError,
                                 DashInput dash, InputKind kind) {
  FsResult opened{FsStatus::ok, 0};
  std::FILE* file = openAs(path, dash,
                           kind == InputKind::regularFile ? FsRead::regularFile : FsRead::anything,
                           opened);
  osError = opened.osError;
  if (opened.status == FsStatus::notRegular) return InputFileStatus::notRegular;
  if (file == nullptr) return InputFileStatus::unreadable;
  const InputFileStatus status = readAll(file, limit, bytes, osError);
  closeInputFile(file);
  return status;
}

}  // namespace otawrap
