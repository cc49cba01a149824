#include "ota/payload_verdicts.h"

#include <algorithm>

#include "codec/bytes.h"
#include "ota/chain.h"
#include "ota/format.h"

namespace otawrap {

namespace {

// The nested OTA file starts after this many bytes of the payload: a 32-bit
// word of flags, then a 32-bit length, both little-endian.
constexpr std::size_t kNestedOtaOffset = 8;
constexpr std::size_t kNestedLengthOffset = 4;
// The block some vendor layouts put after the opaque body.
constexpr std::uint32_t kVendorBlockSize = 64;
// Budget units per nested byte: the reader's checks hash the file once or
// twice (integrity code, CRCs).
constexpr std::uint64_t kNestedReadCost = 8;

PayloadCheck verdictOf(PayloadVerdict verdict, PayloadReason reason, std::size_t end) {
  return {verdict, reason, end, {PayloadTrailerKind::none, false, 0, 0}, 0, verdict};
}

// The chain of 6-byte heads from the header's end reaches the total image
// size exactly; only the last element's data may lie past the bytes given.
bool plainChain(const std::uint8_t* file, std::size_t size, const OtaHeader& header) {
  const std::size_t total = header.totalImageSize;
  std::size_t pos = header.headerLength;
  if (pos < kOtaHeaderBaseLength || pos > total) return false;
  while (pos != total) {
    if (total - pos < kOtaSubElementHeadSize || size < pos + kOtaSubElementHeadSize) return false;
    const std::uint32_t length = loadLittle32(file + pos + 2);
    if (length > total - pos - kOtaSubElementHeadSize) return false;
    pos += kOtaSubElementHeadSize + length;
  }
  return true;
}

PayloadCheck nestedFileCheck(const std::uint8_t* payload, std::uint32_t length,
                             std::optional<OtaNestedHeader>& nestedHeader, PayloadBudget& budget) {
  const std::uint8_t* file = payload + kNestedOtaOffset;
  const std::size_t size = length - kNestedOtaOffset;
  if (!budget.spend(kNestedReadCost * size)) {
    return verdictOf(PayloadVerdict::notCheckable, PayloadReason::workBudget, 0);
  }
  if (size >= kOtaHeaderBaseLength) {
    OtaHeader header{};
    otaHeaderDecode(file, size, header);
    const std::uint32_t total = header.totalImageSize;
    const std::uint32_t declared = loadLittle32(payload + kNestedLengthOffset);
    const bool plain = plainChain(file, size, header);
    const bool lengthsAgree =
        !plain &&
        (declared == total || (total <= UINT32_MAX - kVendorBlockSize &&
                               declared == total + kVendorBlockSize)) &&
        (size == declared || size - 1 == declared);
    nestedHeader = OtaNestedHeader{header.manufacturerCode, header.imageType, header.fileVersion,
                                   total, plain, lengthsAgree};
  }
  if (!nestedHeader || !nestedHeader->plainFile) {
    // A trailer vouches for the bytes; the vendor layout itself stays unread.
    return payloadWithTrailerRule(verdictOf(PayloadVerdict::notCheckable, PayloadReason::vendorLayout, 0),
                                  false, payload, length, budget);
  }
  const std::size_t total = nestedHeader->totalImageSize;
  const OtaFileInfo nested = otaFileRead(file, std::min(size, total));
  if (!otaFileChecksPass(nested)) {
    return verdictOf(PayloadVerdict::failed, PayloadReason::nestedFileFailed, 0);
  }
  return payloadWithTrailerRule(verdictOf(PayloadVerdict::ok, PayloadReason::none,
                                          kNestedOtaOffset + total),
                                true, payload, length, budget);
}

PayloadContext contextOf(const OtaHeader& header) {
  PayloadContext context;
  context.headerKnown = true;
  context.manufacturerCode = header.manufacturerCode;
  context.imageType = header.imageType;
  context.fileVersion = header.fileVersion;
  return context;
}

}  // namespace

OtaPayloadVerdict otaPayloadVerdict(const std::uint8_t* payload, std::uint32_t length,
                                    const OtaHeader& header, PayloadBudget& budget, bool check) {
  const PayloadContext context = contextOf(header);
  OtaPayloadVerdict verdict{0, length, PayloadFormat::unknown, check,
                            verdictOf(PayloadVerdict::notCheckable, PayloadReason::none, 0),
                            std::nullopt};
  if (!check) {
    verdict.format = payloadIdentify(payload, length, context);
    return verdict;
  }
  const PayloadJudgement judged = payloadJudge(payload, length, context, budget);
  verdict.format = judged.format;
  verdict.check = judged.format == PayloadFormat::nestedOta
                      ? nestedFileCheck(payload, length, verdict.nested, budget)
                      : judged.check;
  return verdict;
}

OtaPayloadVerdict otaPayloadVerdict(const std::uint8_t* payload, std::uint32_t length,
                                    const OtaHeader& header, bool check) {
  PayloadBudget budget = payloadBudgetFor(length);
  return otaPayloadVerdict(payload, length, header, budget, check);
}

std::vector<OtaPayloadVerdict> otaPayloadVerdicts(const std::uint8_t* file, const OtaFileInfo& info,
                                                  bool check) {
  std::vector<OtaPayloadVerdict> verdicts;
  PayloadBudget budget = payloadBudgetFor(info.fileSize);
  const auto judge = [&](const OtaSubElement& element) {
    if (element.tag != kOtaTagUpgradeImage) return;
    verdicts.push_back(
        otaPayloadVerdict(file + element.dataOffset(), element.length, info.header, budget, check));
    verdicts.back().offset = element.offset;
  };
  if (info.subElementCount <= info.subElements.size()) {
    std::for_each(info.subElements.begin(), info.subElements.end(), judge);
  } else {
    // The listing stopped; the chain goes on, and so do the checks.
    otaChainWalk(file, info.header.headerLength, info.fileSize, info.header, judge);
  }
  return verdicts;
}

bool otaPayloadsPass(const std::vector<OtaPayloadVerdict>& verdicts) {
  return std::none_of(verdicts.begin(), verdicts.end(), [](const OtaPayloadVerdict& v) {
    return v.check.verdict == PayloadVerdict::failed;
  });
}

}  // namespace otawrap
