// The OTA file reader behind info and verify. The first byte picks the
// run:
//   bit 0 clear  the rest is read as an OTA file, whatever it holds: the
//                reader must stay inside it (ASan) and its report must be
//                self-consistent (chain inside the file and contiguous, failed
//                checks give a reason, passed ones none, signature not run);
//                bit 1 set looks for the identifier behind a vendor prefix,
//                bits 2-3 (1 to 3) force the checks of a platform
//   bit 0 set    the rest is a raw input file; the tool's own writer builds an
//                OTA file from it (platform from bits 1-2, signed with bits 3
//                and 6 both set, since signing is the slow part; no-image mode
//                with bit 4, optional header fields with bit 5),
//                and the reader must pass every check on it and give back the
//                header the writer used
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/convert_run.h"
#include "image/byte_source.h"
#include "ota/header.h"
#include "ota/reader.h"
#include "report/check_texts.h"
#include "support/fuzz_check.h"

namespace {

using namespace otawrap;
using fuzz::fuzzCheck;

std::uint64_t endOf(const OtaSubElement& e) { return e.dataOffset() + std::uint64_t{e.length}; }

// size: the bytes handed to the reader; a recognised trailer ends the OTA
// file before them.
void checkReport(const OtaFileInfo& info, std::size_t region) {
  fuzzCheck(info.fileSize + info.trailer.length == region, "file size and trailer");
  fuzzCheck(info.trailer.length == 0 || info.fileSize == info.header.totalImageSize,
            "a trailer starts at the total image size");
  const std::size_t size = info.fileSize;
  fuzzCheck(info.headerComplete == (size >= kOtaHeaderBaseLength), "header completeness");
  std::size_t expectedOffset = info.subElements.empty() ? 0 : info.subElements[0].offset;
  for (const OtaSubElement& e : info.subElements) {
    fuzzCheck(e.offset == expectedOffset, "sub-elements are contiguous");
    fuzzCheck(endOf(e) <= size, "sub-element inside the file");
    fuzzCheck(e.headSize == kOtaSubElementHeadSize ||
                  (e.headSize == kOtaLongHeadSize && e.tag == kOtaTagLongHeadElement),
              "only a 0xF000 element has the long head");
    expectedOffset = endOf(e);
  }
  if (!info.subElements.empty()) {
    fuzzCheck(info.subElements[0].offset == info.header.headerLength, "chain starts at the header end");
  }
  // The listing is bounded; the count and the landmarks cover the whole chain.
  fuzzCheck(info.subElements.size() == std::min(info.subElementCount, kOtaListedSubElementLimit),
            "the first sub-elements are listed, up to the limit");
  fuzzCheck(info.subElementCount == 0 || (info.lastSubElement && endOf(*info.lastSubElement) <= size),
            "the last sub-element lies inside the file");
  fuzzCheck(info.subElementCount < kOtaListedSubElementLimit || !info.lastSubElement ||
                info.lastSubElement->offset >= info.subElements.back().offset,
            "the last sub-element is not before the listed ones");
  bool anyFailed = false;
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const OtaCheck& check = info.checks[i];
    fuzzCheck(otaCheckName(static_cast<OtaCheckId>(i)) != nullptr, "check name");
    fuzzCheck(check.state == OtaCheckState::passed || check.state == OtaCheckState::failed ||
                  check.state == OtaCheckState::notApplicable || check.state == OtaCheckState::notRun,
              "check state");
    if (check.state == OtaCheckState::failed) {
      anyFailed = true;
      fuzzCheck(*otaReasonText(check.reason) != 0, "a failed check gives its reason");
    }
    if (check.state == OtaCheckState::passed && check.reason != OtaReason::none) {
      fuzzCheck(*otaReasonText(check.reason) != 0, "a passed check says what matched");
    }
  }
  fuzzCheck(info.check(OtaCheckId::signatureVerification).state == OtaCheckState::notRun,
            "the reader does not verify signatures");
  fuzzCheck(otaFileChecksPass(info) == !anyFailed, "overall result agrees with the checks");
  fuzzCheck(info.check(OtaCheckId::suite2SignatureVerification).state == OtaCheckState::notRun,
            "the reader does not verify suite 2 signatures");
  const OtaCheck& code = info.check(OtaCheckId::integrityCode);
  if (code.state == OtaCheckState::passed && code.reason != OtaReason::integrityCodeMisplaced) {
    fuzzCheck(info.lastSubElement && info.lastSubElement->tag == 0x0003 &&
                  info.lastSubElement->length == 16,
              "a passed integrity code is the last sub-element unless misplaced");
  }
  if (info.check(OtaCheckId::subElementChain).state == OtaCheckState::passed &&
      info.lastSubElement) {
    const std::uint64_t headless = info.headless ? info.headless->length : 0;
    fuzzCheck(endOf(*info.lastSubElement) + headless == size, "a passed chain fills the file");
    fuzzCheck(info.subElementCount > info.subElements.size() || expectedOffset + headless == size,
              "a fully listed passed chain fills the file");
  }
}

void readWrittenFile(const std::uint8_t* raw, std::size_t size, std::uint8_t control) {
  // One context for all runs, brought back to its zero state; only the bytes
  // the previous run wrote need clearing.
  static const auto context = std::make_unique<RunContext>();
  static std::size_t written = 0;
  std::fill(context->image.begin(), context->image.begin() + static_cast<std::ptrdiff_t>(written), 0);
  context->header = OtaHeader{};
  context->position = 0;
  otaHeaderDefaults(context->header);
  RunSettings settings;
  settings.platform = static_cast<Platform>(((control >> 1) & 3) % 3);
  const bool signing = (control & 0x48) == 0x48;
  if (signing) settings.file.credentialsPath = "(key in memory)";
  settings.noImage = (control & 0x10) != 0;
  for (std::size_t i = 0; i < context->credentials.privateKey.size(); ++i) {
    context->credentials.privateKey[i] = static_cast<std::uint8_t>(0x31 + i);
    context->credentials.ieeeAddress[i % 8] = static_cast<std::uint8_t>(i);
  }
  if ((control & 0x20) != 0) {
    HeaderFieldSettings& fields = settings.file.headerFields;
    fields.fieldControl = kOtaFieldSecurityCredential | kOtaFieldDestination | kOtaFieldHardwareVersions;
    fields.headerStringGiven = true;
    fields.headerString.fill('h');
    fields.securityCredentialVersion = 2;
    fields.destination.fill(0xD5);
    fields.minimumHardwareVersionGiven = true;
    fields.maximumHardwareVersionGiven = true;
    fields.minimumHardwareVersion = 0x0102;
    fields.maximumHardwareVersion = 0x0304;
  }
  MemorySource source(raw, size);
  Problem problem{Failure::usage, "", "", 0};
  const bool built = runBuildFile(settings, *context, &source, problem);
  // A refused file may have written up to the end of the buffer.
  written = built ? context->position : context->image.size();
  if (!built) return;

  const std::size_t length = context->header.totalImageSize;
  fuzzCheck(length == context->position, "written length");
  const OtaFileInfo info = otaFileRead(context->image.data(), length);
  checkReport(info, length);
  fuzzCheck(otaFileChecksPass(info), "every check passes on a written file");
  fuzzCheck(info.header.manufacturerCode == context->header.manufacturerCode &&
                info.header.imageType == context->header.imageType &&
                info.header.fileVersion == context->header.fileVersion &&
                info.header.totalImageSize == length &&
                info.header.headerLength == context->header.headerLength,
            "header read back");
  const std::size_t expectedCount = (settings.noImage ? 0 : 1) + (signing ? 2 : 0);
  fuzzCheck(info.subElements.size() == expectedCount, "sub-element count");
  if (!settings.noImage) {
    fuzzCheck(info.subElements[0].tag == kOtaTagUpgradeImage, "upgrade image first");
  }
  if (signing) {
    fuzzCheck(info.subElements[expectedCount - 2].tag == kOtaTagCertificate &&
                  info.subElements[expectedCount - 1].tag == kOtaTagSignature,
              "certificate, then signature");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    checkReport(otaFileRead(nullptr, 0), 0);
    return 0;
  }
  const std::uint8_t control = data[0];
  if ((control & 1) == 0) {
    OtaReadOptions options;
    const int platform = (control >> 2) & 3;
    options.platformGiven = platform != 0;
    options.platform = static_cast<Platform>(platform == 0 ? 0 : platform - 1);
    if ((control & 2) == 0) {
      checkReport(otaFileRead(data + 1, size - 1, options), size - 1);
    } else {
      const OtaFileInfo info = otaFileLocateAndRead(data + 1, size - 1, options);
      fuzzCheck(info.prefixLength + info.wrapping.length + info.wrapping.suffixLength == size - 1,
                "container, OTA file and suffix make the data");
      checkReport(info, info.wrapping.length);
    }
  } else {
    readWrittenFile(data + 1, size - 1, control);
  }
  return 0;
}
