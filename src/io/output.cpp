#include "io/output.h"

#include <cerrno>
#include <cstdio>

#include "codec/hex.h"

namespace otawrap {

std::string outputFileName(std::uint16_t manufacturerCode, std::uint16_t imageType,
                           std::uint32_t fileVersion) {
  std::string name;
  if (manufacturerCode == 0xFFFF) {
    name += '*';
  } else {
    name += hexUpper(manufacturerCode, 4);
  }
  name += '-';
  if (imageType == 0xFFFF) {
    name += '*';
  } else {
    name += hexUpper(imageType, 4);
  }
  name += '-';
  if (fileVersion == 0xFFFFFFFF) {
    name += '*';
  } else {
    name += hexUpper(fileVersion, 8);
  }
  name += ".zigbee";
  return name;
}

OutputTarget outputTargetOf(const std::string& path) {
  const std::size_t at = path.find_last_of(kPathSeparators);
  if (at == std::string::npos) return {"", path};
  return {path.substr(0, at + 1), path.substr(at + 1)};
}

OutputRun::~OutputRun() { rollBack(); }

void OutputRun::rollBack() {
  for (const Staged& file : staged_) fsRemove(file.temporary);
  for (const std::string& path : published_) fsRemove(path);
  // Deepest first; one that holds anything else stays.
  for (auto it = createdDirectories_.rbegin(); it != createdDirectories_.rend(); ++it) {
    fsRemoveDirectory(*it);
  }
  staged_.clear();
  published_.clear();
  createdDirectories_.clear();
}

OutputResult OutputRun::makeDirectory(const std::string& directory) {
  int osError = 0;
  if (directories_ == OutputDirectories::create && !directory.empty() &&
      !fsCreateDirectories(directory, createdDirectories_, osError)) {
    return {OutputStatus::cannotCreateDirectory, osError, directory};
  }
  return {OutputStatus::ok, 0, ""};
}

OutputResult OutputRun::stage(const OutputTarget& target, const std::uint8_t* data,
                              std::size_t size) {
  const std::string path = target.path();
  // Refused before anything is written; fsPublish checks again.
  const FsEntryKind kind = fsEntryKind(path);
  if (mode_ == FsPublish::exclusive && kind != FsEntryKind::none) {
    return {OutputStatus::exists, 0, path};
  }
  if (kind == FsEntryKind::other) return {OutputStatus::notRegularFile, 0, path};
  if (kind == FsEntryKind::directory) return {OutputStatus::cannotCreate, EISDIR, path};
  OutputResult directory = makeDirectory(target.directory);
  if (directory.status != OutputStatus::ok) return directory;
  std::string temporary;
  errno = 0;
  std::FILE* file = fsCreateTemporary(target.directory, temporary);
  if (file == nullptr) return {OutputStatus::cannotCreate, errno, path};
  staged_.push_back({target, temporary});
  errno = 0;
  bool written = std::fwrite(data, 1, size, file) == size;
  written = std::fflush(file) == 0 && written;
  written = written && fsSyncFile(file);  // the data is on the device before the rename
  const int reason = errno;
  written = std::fclose(file) == 0 && written;
  if (!written) {
    // The run stays usable for other files: this one leaves nothing.
    const int error = reason != 0 ? reason : errno;
    fsRemove(temporary);
    staged_.pop_back();
    return {OutputStatus::cannotWrite, error, path};
  }
  return {OutputStatus::ok, 0, ""};
}

OutputResult OutputRun::publish() {
  for (std::size_t i = 0; i < staged_.size(); ++i) {
    const Staged& file = staged_[i];
    const std::string path = file.target.path();
    const FsResult moved = fsPublish(file.temporary, path, mode_);
    if (moved.status != FsStatus::ok) {
      staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(i));
      rollBack();
      const OutputStatus status = moved.status == FsStatus::exists       ? OutputStatus::exists
                                  : moved.status == FsStatus::notRegular ? OutputStatus::notRegularFile
                                                                         : OutputStatus::cannotCreate;
      return {status, moved.osError, path};
    }
    if (mode_ == FsPublish::exclusive) published_.push_back(path);
  }
  std::vector<Staged> done;
  done.swap(staged_);
  // A failed directory sync means a rename may not survive a power cut,
  // which the caller must hear about.
  for (std::size_t i = 0; i < done.size(); ++i) {
    const Staged& file = done[i];
    if (i > 0 && file.target.directory == done[i - 1].target.directory) continue;
    if (!fsSyncDirectory(file.target.directory)) {
      rollBack();
      return {OutputStatus::cannotWrite, errno, file.target.path()};
    }
  }
  for (const std::string& path : published_) fsKeep(path);
  for (const std::string& path : createdDirectories_) fsKeep(path);
  published_.clear();
  createdDirectories_.clear();
  return {OutputStatus::ok, 0, ""};
}

}  // namespace otawrap
