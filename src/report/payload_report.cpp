#include "report/payload_report.h"

namespace otawrap {

namespace {

// Indexed by PayloadFormat.
constexpr const char* kFormatNames[] = {
    "unknown format",
    "GBL",
    "EBL",
    "segmented application image (0xE9)",
    "KNLT image",
    "vector table with checksum",
    "FB05 head",
    "12345678 magic",
    "nested OTA file",
    "xz stream",
    "zlib stream",
    "OAD image",
    "image preamble",
    "vector table behind a 16-byte head",
    "TLV wrapper",
    "LVRM mark",
    "FRS0 mark",
    "DEC0DE mark",
    "CBOR multi-image",
};
static_assert(sizeof kFormatNames / sizeof kFormatNames[0] == kPayloadFormatCount);

}  // namespace

const char* payloadFormatName(PayloadFormat format) {
  const auto index = static_cast<std::size_t>(format);
  return index < kPayloadFormatCount ? kFormatNames[index] : kFormatNames[0];
}

const char* payloadCheckKindText(PayloadCheckKind kind) {
  switch (kind) {
    case PayloadCheckKind::crc32: return "CRC ok";
    case PayloadCheckKind::checksumAndDigest: return "checksum and SHA-256 ok";
    case PayloadCheckKind::wordSum: return "vector checksum ok";
    case PayloadCheckKind::framingCrc32: return "framing and CRCs ok (data not decompressed)";
    case PayloadCheckKind::adler32: return "Adler-32 ok";
    case PayloadCheckKind::imageCrc: return "image CRC ok";
    case PayloadCheckKind::otaFile: return "nested file checks ok";
    case PayloadCheckKind::none: break;
  }
  return "ok";
}

const char* payloadReasonText(PayloadReason reason) {
  switch (reason) {
    case PayloadReason::none: return "";
    case PayloadReason::truncated: return "truncated";
    case PayloadReason::trailingBytes: return "bytes after its end that are not padding";
    case PayloadReason::lengthMismatch: return "a length field does not match";
    case PayloadReason::malformed: return "a field outside its allowed values";
    case PayloadReason::badPadding: return "padding that is not the format's fill";
    case PayloadReason::checksumMismatch: return "checksum mismatch";
    case PayloadReason::digestMismatch: return "SHA-256 mismatch";
    case PayloadReason::streamCorrupt: return "corrupt compressed stream";
    case PayloadReason::nestedFileFailed: return "the nested OTA file fails its checks";
    case PayloadReason::noCheckKnown: return "no check known";
    case PayloadReason::unknownFormat: return "unknown format";
    case PayloadReason::readAsOtaFile: return "read as an OTA file";
    case PayloadReason::presetDictionary: return "needs a preset dictionary";
    case PayloadReason::inflateLimit: return "inflates to more than 256 MiB";
  }
  return "";
}

std::string groupedNumber(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

std::string payloadSummaryText(const OtaPayloadVerdict& verdict) {
  std::string text = std::string(payloadFormatName(verdict.format)) + ", " +
                     groupedNumber(verdict.length) + " bytes, ";
  if (!verdict.checked) return text + "check skipped";
  switch (verdict.check.verdict) {
    case PayloadVerdict::ok: return text + payloadCheckKindText(payloadCheckKind(verdict.format));
    case PayloadVerdict::failed: return text + "FAILED: " + payloadReasonText(verdict.check.reason);
    case PayloadVerdict::notCheckable: break;
  }
  return text + "not checkable (" + payloadReasonText(verdict.check.reason) + ")";
}

void payloadJson(JsonWriter& json, const OtaPayloadVerdict& verdict) {
  json.beginObject();
  json.stringMember("format", payloadFormatKey(verdict.format));
  json.stringMember("name", payloadFormatName(verdict.format));
  json.numberMember("length", verdict.length);
  const char* check = "skipped";
  if (verdict.checked) {
    check = verdict.check.verdict == PayloadVerdict::ok       ? "ok"
            : verdict.check.verdict == PayloadVerdict::failed ? "failed"
                                                              : "not checkable";
  }
  json.stringMember("check", check);
  if (verdict.checked && verdict.check.reason != PayloadReason::none) {
    json.stringMember("reason", payloadReasonText(verdict.check.reason));
  }
  json.endObject();
}

}  // namespace otawrap
