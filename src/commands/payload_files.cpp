#include "commands/payload_files.h"

#include "commands/input_file.h"
#include "ota/payload_verdicts.h"
#include "report/payload_report.h"

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

bool checkUpgradeImagePayloads(const std::vector<TagFile>& files, const PayloadFiles& loaded,
                               const OtaHeader& header, Problem& problem) {
  for (std::size_t i = 0; i < loaded.payloads.size(); ++i) {
    const OtaPayload& payload = loaded.payloads[i];
    if (payload.tag != kOtaTagUpgradeImage) continue;
    const OtaPayloadVerdict verdict =
        otaPayloadVerdict(payload.data, static_cast<std::uint32_t>(payload.size), header);
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
