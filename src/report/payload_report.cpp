#include "report/payload_report.h"

#include "codec/hex.h"

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
    case PayloadReason::lengthMismatch: return "a length field does not match";
    case PayloadReason::malformed: return "a field outside its allowed values";
    case PayloadReason::badPadding: return "padding that is not the format's fill";
    case PayloadReason::checksumMismatch: return "checksum mismatch";
    case PayloadReason::digestMismatch: return "SHA-256 mismatch";
    case PayloadReason::streamCorrupt: return "corrupt compressed stream";
    case PayloadReason::nestedFileFailed: return "the nested OTA file fails its checks";
    case PayloadReason::trailerMismatch: return "trailer mismatch";
    case PayloadReason::noCheckKnown: return "no check known";
    case PayloadReason::unknownFormat: return "unknown format";
    case PayloadReason::readAsOtaFile: return "read as an OTA file";
    case PayloadReason::vendorLayout: return "vendor layout";
    case PayloadReason::presetDictionary: return "needs a preset dictionary";
    case PayloadReason::inflateLimit: return "inflates to more than 256 MiB";
    case PayloadReason::workBudget: return "work budget";
  }
  return "";
}

std::string groupedNumber(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
  return digits;
}

const char* payloadTrailerName(PayloadTrailerKind kind) {
  switch (kind) {
    case PayloadTrailerKind::sha256: return "SHA-256 trailer";
    case PayloadTrailerKind::crc32: return "CRC-32 trailer";
    case PayloadTrailerKind::markedCrc32: return "marked CRC-32 trailer";
    case PayloadTrailerKind::none: break;
  }
  return "";
}

const char* payloadTrailerKey(PayloadTrailerKind kind) {
  switch (kind) {
    case PayloadTrailerKind::sha256: return "sha256";
    case PayloadTrailerKind::crc32: return "crc32";
    case PayloadTrailerKind::markedCrc32: return "marked-crc32";
    case PayloadTrailerKind::none: break;
  }
  return "";
}

namespace {

std::string hex(std::uint32_t value, int digits) { return "0x" + hexUpper(value, digits); }

std::string nestedText(const OtaNestedHeader& nested) {
  return " (manufacturer " + hex(nested.manufacturerCode, 4) + ", image type " +
         hex(nested.imageType, 4) + ", file version " + hex(nested.fileVersion, 8) +
         ", total image size " + groupedNumber(nested.totalImageSize) + ")";
}

std::string okText(const OtaPayloadVerdict& verdict) {
  const PayloadCheck& check = verdict.check;
  std::string text;
  if (check.formatVerdict == PayloadVerdict::ok) {
    text = payloadCheckKindText(payloadCheckKind(verdict.format));
  }
  if (check.trailer.kind != PayloadTrailerKind::none) {
    if (!text.empty()) text += ", ";
    text += std::string(payloadTrailerName(check.trailer.kind)) + " ok";
  }
  if (check.followedBy > 0) {
    text += ", followed by " + groupedNumber(check.followedBy) + " bytes";
  }
  return text;
}

}  // namespace

std::string payloadSummaryText(const OtaPayloadVerdict& verdict) {
  std::string text = payloadFormatName(verdict.format);
  if (verdict.nested) text += nestedText(*verdict.nested);
  text += ", " + groupedNumber(verdict.length) + " bytes, ";
  if (!verdict.checked) return text + "check skipped";
  const PayloadCheck& check = verdict.check;
  switch (check.verdict) {
    case PayloadVerdict::ok: return text + okText(verdict);
    case PayloadVerdict::failed:
      if (check.reason == PayloadReason::trailerMismatch) {
        return text + "FAILED: " + payloadTrailerName(check.trailer.kind) + " mismatch";
      }
      return text + "FAILED: " + payloadReasonText(check.reason);
    case PayloadVerdict::notCheckable: break;
  }
  text += "not checkable (" + std::string(payloadReasonText(check.reason));
  if (verdict.nested && verdict.nested->lengthsAgree) text += ", its lengths agree";
  return text + ")";
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
  const PayloadTrailer& trailer = verdict.check.trailer;
  if (verdict.checked && trailer.kind != PayloadTrailerKind::none) {
    json.key("trailer");
    json.beginObject();
    json.stringMember("kind", payloadTrailerKey(trailer.kind));
    json.numberMember("offset", trailer.offset);
    json.numberMember("length", trailer.length);
    json.stringMember("check", trailer.matches ? "ok" : "failed");
    json.endObject();
  }
  if (verdict.checked && verdict.check.followedBy > 0) {
    json.numberMember("followedBy", verdict.check.followedBy);
  }
  if (verdict.nested) {
    const OtaNestedHeader& nested = *verdict.nested;
    json.key("nested");
    json.beginObject();
    json.numberMember("manufacturerCode", nested.manufacturerCode);
    json.numberMember("imageType", nested.imageType);
    json.numberMember("fileVersion", nested.fileVersion);
    json.numberMember("totalImageSize", nested.totalImageSize);
    json.stringMember("layout", nested.plainFile ? "plain" : "vendor");
    if (!nested.plainFile) json.booleanMember("lengthsAgree", nested.lengthsAgree);
    json.endObject();
  }
  json.endObject();
}

}  // namespace otawrap
