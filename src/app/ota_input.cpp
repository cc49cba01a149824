#include "app/ota_input.h"

#include "report/check_texts.h"
#include "report/payload_report.h"

namespace otawrap {

bool OtaInput::passes() const { return otaFileChecksPass(info) && otaPayloadsPass(payloads); }

std::string OtaInput::firstFailure() const {
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const auto id = static_cast<OtaCheckId>(i);
    if (info.check(id).state == OtaCheckState::failed) return failedCheckText(info, id);
  }
  for (const OtaPayloadVerdict& verdict : payloads) {
    if (verdict.check.verdict == PayloadVerdict::failed) {
      return std::string("payload check failed: ") + payloadFormatName(verdict.format) + ", " +
             payloadReasonText(verdict.check.reason);
    }
  }
  return "";
}

bool openOtaInput(const std::string& path, const OtaInputOptions& options, OtaInput& input,
                  Problem& problem) {
  int osError = 0;
  const InputFileStatus status =
      inputFileReadAll(path, kOtaFileSizeLimit, input.bytes, osError, options.dash, options.kind);
  if (status != InputFileStatus::ok) {
    problem = inputFileProblem(status, path, osError);
    return false;
  }
  input.info = otaFileLocateAndRead(input.bytes.data(), input.bytes.size(), options.read);
  // The reader starts behind any container or prefix it recognised, or else
  // at the first identifier anywhere: a failed identifier at 0 means none.
  if (input.info.prefixLength == 0 &&
      input.info.check(OtaCheckId::fileIdentifier).state == OtaCheckState::failed) {
    problem = {Failure::notOtaFile, "", path, 0};
    return false;
  }
  input.payloads = otaPayloadVerdicts(input.file(), input.info, options.payloadCheck);
  return true;
}

bool openSoundOtaInput(const std::string& path, const OtaInputOptions& options, OtaInput& input,
                       Problem& problem) {
  if (!openOtaInput(path, options, input, problem)) return false;
  if (input.passes()) return true;
  problem = {Failure::unsoundOtaFile, input.firstFailure(), path, 0};
  return false;
}

std::string failedCheckText(const OtaFileInfo& info, OtaCheckId id) {
  const OtaCheck& check = info.check(id);
  std::string text = std::string(otaCheckName(id)) + " failed";
  if (check.reason != OtaReason::none) text += std::string(": ") + otaCheckReasonText(check);
  return text;
}

}  // namespace otawrap
