#include "app/ota_input.h"

#include "app/input_file.h"
#include "ota/wrapping.h"
#include "report/check_texts.h"
#include "report/payload_report.h"

namespace otawrap {

bool readOtaInput(const std::string& path, OtaInput& input, Problem& problem, DashInput dash) {
  if (!readOtaFile(path, input.bytes, problem, dash)) return false;
  if (!otaFindFileStart(input.bytes.data(), input.bytes.size(), input.prefixLength)) {
    problem = {Failure::notOtaFile, "", path, 0};
    return false;
  }
  input.info = otaFileLocateAndRead(input.bytes.data(), input.bytes.size(), OtaReadOptions{});
  input.prefixLength = input.info.prefixLength;
  return true;
}

const OtaCheckId* firstFailedCheck(const OtaFileInfo& info, const OtaCheckId* ids,
                                   std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (info.check(ids[i]).state == OtaCheckState::failed) return &ids[i];
  }
  return nullptr;
}

std::string failedCheckText(const OtaFileInfo& info, OtaCheckId id) {
  const OtaCheck& check = info.check(id);
  std::string text = std::string(otaCheckName(id)) + " failed";
  if (check.reason != OtaReason::none) text += std::string(": ") + otaCheckReasonText(check);
  return text;
}

std::string failedPayloadText(const OtaPayloadVerdict& verdict) {
  return std::string("payload check failed: ") + payloadFormatName(verdict.format) +
         ", " + payloadReasonText(verdict.check.reason);
}

}  // namespace otawrap
