#include "commands/payload_files.h"

#include "commands/input_file.h"

namespace otawrap {

bool readPayloadFiles(const std::vector<TagFile>& files, std::size_t budget,
                      PayloadFiles& loaded, Problem& problem) {
  loaded.bytes.assign(files.size(), {});
  loaded.payloads.clear();
  std::size_t left = budget;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (left < kOtaSubElementHeadSize) {
      problem = {Failure::fileTooLarge, "", "", 0};
      return false;
    }
    left -= kOtaSubElementHeadSize;
    int osError = 0;
    const InputFileStatus status = inputFileReadAll(files[i].path, left, loaded.bytes[i], osError);
    if (status == InputFileStatus::tooLarge) {
      problem = {Failure::fileTooLarge, "", "", 0};
      return false;
    }
    if (status != InputFileStatus::ok) {
      problem = {Failure::cannotReadPayload, "", files[i].path, osError};
      return false;
    }
    left -= loaded.bytes[i].size();
  }
  // The vectors no longer move: point into them.
  for (std::size_t i = 0; i < files.size(); ++i) {
    loaded.payloads.push_back({files[i].tag, loaded.bytes[i].data(), loaded.bytes[i].size()});
  }
  return true;
}

}  // namespace otawrap
