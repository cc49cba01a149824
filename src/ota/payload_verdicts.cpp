#include "ota/payload_verdicts.h"

#include <algorithm>

#include "ota/format.h"

namespace otawrap {

namespace {

// The nested OTA file starts after this many bytes of the payload.
constexpr std::size_t kNestedOtaOffset = 8;

PayloadCheck nestedFileCheck(const std::uint8_t* payload, std::uint32_t length) {
  const OtaFileInfo nested = otaFileRead(payload + kNestedOtaOffset, length - kNestedOtaOffset);
  if (otaFileChecksPass(nested)) return {PayloadVerdict::ok, PayloadReason::none};
  return {PayloadVerdict::failed, PayloadReason::nestedFileFailed};
}

}  // namespace

OtaPayloadVerdict otaPayloadVerdict(const std::uint8_t* payload, std::uint32_t length,
                                    const OtaHeader& header, bool check) {
  PayloadContext context;
  context.headerKnown = true;
  context.manufacturerCode = header.manufacturerCode;
  context.imageType = header.imageType;
  context.fileVersion = header.fileVersion;
  OtaPayloadVerdict verdict{0, length, payloadIdentify(payload, length, context), check,
                            {PayloadVerdict::notCheckable, PayloadReason::none}};
  if (!check) return verdict;
  verdict.check = verdict.format == PayloadFormat::nestedOta
                      ? nestedFileCheck(payload, length)
                      : payloadCheck(verdict.format, payload, length);
  return verdict;
}

std::vector<OtaPayloadVerdict> otaPayloadVerdicts(const std::uint8_t* file, const OtaFileInfo& info,
                                                  bool check) {
  std::vector<OtaPayloadVerdict> verdicts;
  for (const OtaSubElement& element : info.subElements) {
    if (element.tag != kOtaTagUpgradeImage) continue;
    verdicts.push_back(otaPayloadVerdict(file + element.dataOffset(),
                                         element.length, info.header, check));
    verdicts.back().offset = element.offset;
  }
  return verdicts;
}

bool otaPayloadsPass(const std::vector<OtaPayloadVerdict>& verdicts) {
  return std::none_of(verdicts.begin(), verdicts.end(), [](const OtaPayloadVerdict& v) {
    return v.check.verdict == PayloadVerdict::failed;
  });
}

}  // namespace otawrap
