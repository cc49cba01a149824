#include "app/payload_files.h"

#include <cstring>

#include "app/input_file.h"
#include "app/module_failures.h"
#include "io/file_system.h"
#include "ota/payload_verdicts.h"
#include "report/payload_report.h"

namespace otawrap {

namespace {

// Takes one sub-element head out of what the files may still use.
bool takeHead(std::size_t& left, Problem& problem) {
  if (left < kOtaSubElementHeadSize) {
    problem = {Failure::fileTooLarge, "", "", 0};
    return false;
  }
  left -= kOtaSubElementHeadSize;
  return true;
}

// The problem a payload file's read ended with, or true when it was read.
bool readOk(InputFileStatus status, const TagFile& file, int osError, Problem& problem) {
  if (status == InputFileStatus::tooLarge) {
    problem = {Failure::fileTooLarge, "", "", 0};
    return false;
  }
  if (status != InputFileStatus::ok) {
    problem = {Failure::cannotReadPayload, "", file.path, osError};
    return false;
  }
  return true;
}

}  // namespace

bool readPayloadFiles(const std::vector<TagFile>& files, std::size_t budget,
                      PayloadFiles& loaded, Problem& problem) {
  loaded.bytes.assign(files.size(), {});
  loaded.payloads.clear();
  std::size_t left = budget;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!takeHead(left, problem)) return false;
    int osError = 0;
    const InputFileStatus status = inputFileReadAll(files[i].path, left, loaded.bytes[i], osError);
    if (!readOk(status, files[i], osError, problem)) return false;
    left -= loaded.bytes[i].size();
  }
  // The vectors no longer move: point into them.
  for (std::size_t i = 0; i < files.size(); ++i) {
    loaded.payloads.push_back({files[i].tag, loaded.bytes[i].data(), loaded.bytes[i].size()});
  }
  return true;
}

namespace {

// Takes the size of every file: a regular file's from the system, anything
// else read whole into unsized[i] now. Fills request.payloads with the tags
// and sizes; budget as for readPayloadFiles.
bool sizePayloadFiles(const std::vector<TagFile>& files, std::size_t budget,
                      OtaBuildRequest& request, std::vector<std::vector<std::uint8_t>>& unsized,
                      std::vector<bool>& sized, Problem& problem) {
  request.payloads.clear();
  unsized.assign(files.size(), {});
  sized.assign(files.size(), false);
  std::size_t left = budget;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!takeHead(left, problem)) return false;
    int osError = 0;
    std::FILE* in = openInputFile(files[i].path, DashInput::fileName, osError);
    if (in == nullptr) {
      problem = {Failure::cannotReadPayload, "", files[i].path, osError};
      return false;
    }
    // A regular file that says it is empty may still have content (/proc).
    const long long regularSize = fsRegularFileSize(in);
    InputFileStatus status = InputFileStatus::ok;
    std::size_t size = 0;
    if (regularSize > 0 && static_cast<unsigned long long>(regularSize) > left) {
      status = InputFileStatus::tooLarge;
    } else if (regularSize > 0) {
      size = static_cast<std::size_t>(regularSize);
      sized[i] = true;
    } else {
      status = inputFileReadRest(in, left, unsized[i], osError);
      size = unsized[i].size();
    }
    closeInputFile(in);
    if (!readOk(status, files[i], osError, problem)) return false;
    left -= size;
    request.payloads.push_back({files[i].tag, nullptr, size});
  }
  return true;
}

// Reads files[i], sized earlier, into out[0..size).
bool readSizedPayload(const TagFile& file, std::uint8_t* out, std::size_t size,
                      Problem& problem) {
  int osError = 0;
  std::FILE* in = openInputFile(file.path, DashInput::fileName, osError);
  if (in == nullptr) {
    problem = {Failure::cannotReadPayload, "", file.path, osError};
    return false;
  }
  const ExactReadStatus status = inputFileReadExactly(in, out, size, osError);
  closeInputFile(in);
  if (status == ExactReadStatus::changedSize) {
    problem = {Failure::payloadChangedSize, "", file.path, 0};
    return false;
  }
  if (status != ExactReadStatus::ok) {
    problem = {Failure::cannotReadPayload, "", file.path, osError};
    return false;
  }
  return true;
}

}  // namespace

bool placePayloadFiles(const std::vector<TagFile>& files, OtaBuildRequest& request,
                       OtaFileLayout& layout, std::vector<std::uint8_t>& file,
                       Problem& problem) {
  std::vector<std::vector<std::uint8_t>> unsized;
  std::vector<bool> sized;
  if (!sizePayloadFiles(files, kOtaFileSizeLimit, request, unsized, sized, problem)) {
    return false;
  }
  const OtaBuildResult laid = otaLayoutFile(request, layout);
  if (laid.status != OtaBuildStatus::ok) {
    problem = {buildFailure(laid.status), "", "", 0};
    return false;
  }
  file.assign(layout.size, 0);
  for (std::size_t i = 0; i < files.size(); ++i) {
    OtaPayload& payload = request.payloads[i];
    std::uint8_t* place = file.data() + layout.payloadOffsets[i];
    if (sized[i]) {
      if (!readSizedPayload(files[i], place, payload.size, problem)) return false;
    } else if (payload.size != 0) {
      std::memcpy(place, unsized[i].data(), payload.size);
      std::vector<std::uint8_t>().swap(unsized[i]);
    }
    payload.data = place;
  }
  return true;
}

bool checkUpgradeImages(const std::vector<TagFile>& files,
                        const std::vector<OtaPayload>& payloads, const OtaHeader& header,
                        Problem& problem) {
  // One work budget for the file's payloads, as when it is read.
  std::uint64_t total = 0;
  for (const OtaPayload& payload : payloads) total += payload.size;
  PayloadBudget budget = payloadBudgetFor(total);
  for (std::size_t i = 0; i < payloads.size(); ++i) {
    const OtaPayload& payload = payloads[i];
    if (payload.tag != kOtaTagUpgradeImage) continue;
    const OtaPayloadVerdict verdict =
        otaPayloadVerdict(payload.data, static_cast<std::uint32_t>(payload.size), header, budget);
    if (verdict.check.verdict == PayloadVerdict::failed) {
      problem = {Failure::payloadCheckFailed,
                 std::string(payloadFormatName(verdict.format)) + ": " +
                     payloadReasonText(verdict.check.reason),
                 files[i].path, 0};
      return false;
    }
  }
  return true;
}

}  // namespace otawrap
