#include "report/info_report.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/escape.h"
#include "codec/hex.h"
#include "ota/tags.h"
#include "report/check_texts.h"
#include "report/json_writer.h"
#include "report/payload_report.h"
#include "report/wrapping_report.h"

namespace otawrap {

std::size_t otaHeaderStringLength(const OtaHeader& header) {
  std::size_t length = header.headerString.size();
  while (length > 0 && header.headerString[length - 1] == 0) --length;
  return length;
}

std::string otaHeaderStringQuoted(const OtaHeader& header) {
  std::string text = "\"";
  const std::size_t length = otaHeaderStringLength(header);
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = header.headerString[i];
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      text += "\\x" + hexUpper(c, 2);
    }
  }
  return text + "\"";
}

namespace {

enum class Format : std::uint8_t { hex4, hex8, decimal, text, destination };

// One header field: its text label, JSON key, how it is written, and whether
// it is shown at all (optional fields only when the field control announces
// them) and present (inside the file).
struct Field {
  const char* label;
  const char* key;
  Format format;
  std::uint64_t value;
  bool shown;
  bool present;
};

// The destination as one 64-bit number: bytes in the file are least
// significant first.
std::uint64_t destinationValue(const OtaHeader& header) {
  std::uint64_t value = 0;
  for (std::size_t i = header.upgradeFileDestination.size(); i-- > 0;) {
    value = (value << 8) | header.upgradeFileDestination[i];
  }
  return value;
}

// The header fields in file order; the one table both writers walk.
std::vector<Field> headerFields(const OtaFileInfo& info) {
  const OtaHeader& h = info.header;
  const bool security = (h.fieldControl & kOtaFieldSecurityCredential) != 0;
  const bool destination = (h.fieldControl & kOtaFieldDestination) != 0;
  const bool hardware = (h.fieldControl & kOtaFieldHardwareVersions) != 0;
  return {
      {"File identifier", "fileIdentifier", Format::hex8, h.fileIdentifier, true, true},
      {"Header version", "headerVersion", Format::hex4, h.headerVersion, true, true},
      {"Header length", "headerLength", Format::decimal, h.headerLength, true, true},
      {"Field control", "fieldControl", Format::hex4, h.fieldControl, true, true},
      {"Manufacturer code", "manufacturerCode", Format::hex4, h.manufacturerCode, true, true},
      {"Image type", "imageType", Format::hex4, h.imageType, true, true},
      {"File version", "fileVersion", Format::hex8, h.fileVersion, true, true},
      {"Stack version", "stackVersion", Format::hex4, h.stackVersion, true, true},
      {"Header string", "headerString", Format::text, 0, true, true},
      {"Total image size", "totalImageSize", Format::decimal, h.totalImageSize, true, true},
      {"Security credential version", "securityCredentialVersion", Format::decimal,
       h.securityCredentialVersion, security, info.securityCredentialVersionPresent},
      {"Upgrade file destination", "upgradeFileDestination", Format::destination,
       destinationValue(h), destination, info.destinationPresent},
      {"Minimum hardware version", "minimumHardwareVersion", Format::hex4,
       h.minimumHardwareVersion, hardware, info.hardwareVersionsPresent},
      {"Maximum hardware version", "maximumHardwareVersion", Format::hex4,
       h.maximumHardwareVersion, hardware, info.hardwareVersionsPresent},
  };
}

struct StateName {
  const char* text;
  const char* json;
};

StateName stateName(OtaCheckState state) {
  switch (state) {
    case OtaCheckState::passed:
      return {"ok", "ok"};
    case OtaCheckState::failed:
      return {"FAILED", "failed"};
    case OtaCheckState::notSupported:
      return {"not supported", "not supported"};
    default:
      return {"not applicable", "not applicable"};
  }
}

std::string fieldText(const Field& field, const OtaHeader& header) {
  if (!field.present) return "missing (beyond the end of the file)";
  switch (field.format) {
    case Format::hex4:
      return "0x" + hexUpper(field.value, 4);
    case Format::hex8:
      return "0x" + hexUpper(field.value, 8);
    case Format::decimal:
      return std::to_string(field.value);
    case Format::text:
      return otaHeaderStringQuoted(header);
    case Format::destination:
      return hexUpper(field.value, 16);
  }
  return "";
}

std::string checkValue(const OtaCheck& check, std::uint64_t value) {
  return check.hexValues ? "0x" + hexUpper(value, value > 0xFFFF ? 8 : 4) : std::to_string(value);
}

void appendLine(std::string& out, const char* name, const std::string& value) {
  out += "  ";
  out += name;
  out += ':';
  const std::size_t width = 29;
  const std::size_t used = std::char_traits<char>::length(name) + 1;
  out.append(used < width ? width - used : 1, ' ');
  out += value;
  out += '\n';
}

std::size_t omittedSubElements(const OtaFileInfo& info) {
  return info.subElementCount - info.subElements.size();
}

// The whole file as read: container, prefix and trailer included.
std::uint64_t wholeFileSize(const OtaFileInfo& info) { return info.wholeSize; }

const char* tagName(std::uint16_t tag) { return otaTagKindName(otaTagKind(tag)); }

std::string subElementText(const OtaSubElement& e) {
  std::string out = "  tag 0x" + hexUpper(e.tag, 4) + " " + tagName(e.tag) + ", offset " +
                    std::to_string(e.offset) + ", length " + std::to_string(e.length);
  if (e.headSize != kOtaSubElementHeadSize) {
    out += ", Telink-style encrypted element (" + std::to_string(e.headSize) +
           "-byte head, info bytes " + hexUpper(e.info[0], 2) + " " + hexUpper(e.info[1], 2) + ")";
  }
  return out + "\n";
}

// A check's state and reason as the text report shows them.
std::string checkText(const OtaFileInfo& info, OtaCheckId id) {
  const OtaCheck& c = info.check(id);
  std::string out = stateName(c.state).text;
  if (id == OtaCheckId::trailer && c.state == OtaCheckState::passed) {
    return std::string(otaTrailerKindName(info.trailer.kind)) + " " + out;
  }
  if (c.state == OtaCheckState::passed) {
    if (id == OtaCheckId::imageCrc) {
      out += " (0x" + hexUpper(info.imageCrc, 4) + " at offset 0x" +
             hexUpper(info.imageCrcOffset, 2) + ")";
    } else if (id == OtaCheckId::signatureLayout &&
               info.check(OtaCheckId::signatureVerification).state == OtaCheckState::notRun) {
      out += ", signature not verified (use verify)";
    } else if (c.reason != OtaReason::none) {
      out += " (" + otaCheckReasonText(c) + ")";
    }
  } else if (c.state == OtaCheckState::notSupported) {
    if (c.reason != OtaReason::notSupported) out += " (" + otaCheckReasonText(c) + ")";
  } else if (c.state == OtaCheckState::failed) {
    out += ": " + otaCheckReasonText(c);
    if (c.hasValues) {
      out += " (expected " + checkValue(c, c.expected) + ", found " + checkValue(c, c.found) + ")";
    }
  } else {
    out += " (" + otaCheckReasonText(c) + ")";
  }
  return out;
}

const OtaPayloadVerdict* payloadAt(const std::vector<OtaPayloadVerdict>& payloads,
                                   std::size_t offset) {
  for (const OtaPayloadVerdict& p : payloads) {
    if (p.offset == offset) return &p;
  }
  return nullptr;
}

// The first failed verdict of an upgrade image past the listed sub-elements:
// the checks walk the whole chain, the listing stops.
const OtaPayloadVerdict* failedPastListing(const OtaFileInfo& info,
                                           const std::vector<OtaPayloadVerdict>& payloads) {
  if (info.subElements.empty() || omittedSubElements(info) == 0) return nullptr;
  for (const OtaPayloadVerdict& p : payloads) {
    if (p.offset > info.subElements.back().offset && p.check.verdict == PayloadVerdict::failed) {
      return &p;
    }
  }
  return nullptr;
}

}  // namespace

std::string infoFormatText(const OtaFileInfo& info, const std::string& fileName,
                           const std::vector<OtaPayloadVerdict>& payloads) {
  std::string out = "File: " + escapeControlCharacters(fileName) + " (" +
                    std::to_string(wholeFileSize(info)) + " bytes)\n";
  out += wrappingReportText(info);
  if (!info.headerComplete) {
    out += "Header: incomplete, the file is shorter than 56 bytes\n";
  } else {
    out += "Header:\n";
    for (const Field& field : headerFields(info)) {
      if (field.shown) appendLine(out, field.label, fieldText(field, info.header));
    }
  }

  out += "Sub-elements:\n";
  if (info.subElements.empty() && !info.headless) {
    out += "  (none)\n";
  }
  for (const OtaSubElement& e : info.subElements) {
    out += subElementText(e);
    if (const OtaPayloadVerdict* payload = payloadAt(payloads, e.offset)) {
      out += "    payload: " + payloadSummaryText(*payload) + "\n";
    }
  }
  if (omittedSubElements(info) > 0) {
    out += "  ... and " + std::to_string(omittedSubElements(info)) + " more sub-elements\n";
  }
  if (const OtaPayloadVerdict* failed = failedPastListing(info, payloads)) {
    out += "  tag 0x0000 upgrade image, offset " + std::to_string(failed->offset) +
           " (past the listing)\n    payload: " + payloadSummaryText(*failed) + "\n";
  }
  if (info.headless) {
    out += "  headless payload, " + std::to_string(info.headless->length) + " bytes, " +
           otaHeadlessKindName(info.headless->kind) + ", offset " +
           std::to_string(info.headless->offset) + "\n";
  }

  out += "Checks:\n";
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const auto id = static_cast<OtaCheckId>(i);
    const OtaCheck& c = info.check(id);
    if (c.state == OtaCheckState::notRun) continue;
    out += "  ";
    out += otaCheckName(id);
    out += ": ";
    out += checkText(info, id);
    out += '\n';
  }
  return out;
}

std::string infoFormatJson(const OtaFileInfo& info, const std::string& fileName,
                           const std::vector<OtaPayloadVerdict>& payloads) {
  JsonWriter json;
  json.beginObject();
  json.stringMember("file", fileName);
  json.numberMember("fileSize", wholeFileSize(info));
  json.numberMember("prefixLength", info.prefixLength);

  json.key("header");
  const OtaHeader& h = info.header;
  if (!info.headerComplete) {
    json.null();
  } else {
    json.beginObject();
    for (const Field& field : headerFields(info)) {
      if (!field.shown || !field.present) continue;
      json.key(field.key);
      if (field.format == Format::text) {
        json.string(reinterpret_cast<const char*>(h.headerString.data()), otaHeaderStringLength(h));
        json.key("headerStringHex");
        std::string stringHex;
        for (std::uint8_t byte : h.headerString) stringHex += hexUpper(byte, 2);
        json.string(stringHex);
      } else if (field.format == Format::destination) {
        json.string(hexUpper(field.value, 16));
      } else {
        json.number(field.value);
      }
    }
    json.endObject();
  }

  json.key("subElements");
  json.beginArray();
  for (const OtaSubElement& e : info.subElements) {
    json.beginObject();
    json.numberMember("tag", e.tag);
    json.stringMember("name", tagName(e.tag));
    json.numberMember("offset", e.offset);
    json.numberMember("length", e.length);
    if (e.headSize != kOtaSubElementHeadSize) {
      json.numberMember("headSize", e.headSize);
      json.stringMember("infoBytes", hexUpper(e.info[0], 2) + hexUpper(e.info[1], 2));
    }
    if (const OtaPayloadVerdict* payload = payloadAt(payloads, e.offset)) {
      json.key("payload");
      payloadJson(json, *payload);
    }
    json.endObject();
  }
  json.endArray();
  json.numberMember("subElementsOmitted", omittedSubElements(info));
  if (const OtaPayloadVerdict* failed = failedPastListing(info, payloads)) {
    json.key("failedPayloadPastListing");
    json.beginObject();
    json.numberMember("offset", failed->offset);
    json.key("payload");
    payloadJson(json, *failed);
    json.endObject();
  }
  wrappingReportJson(info, json);

  json.key("imageCrcOffset");
  if (info.check(OtaCheckId::imageCrc).state == OtaCheckState::passed) {
    json.number(info.imageCrcOffset);
  } else {
    json.null();
  }

  json.key("checks");
  json.beginArray();
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const auto id = static_cast<OtaCheckId>(i);
    const OtaCheck& c = info.check(id);
    if (c.state == OtaCheckState::notRun) continue;
    json.beginObject();
    json.stringMember("name", otaCheckName(id));
    json.stringMember("result", stateName(c.state).json);
    if (c.reason != OtaReason::none) {
      json.stringMember("reason", otaCheckReasonText(c));
    }
    if (c.hasValues) {
      json.numberMember("expected", c.expected);
      json.numberMember("found", c.found);
    }
    json.endObject();
  }
  json.endArray();

  json.booleanMember("ok", otaFileChecksPass(info) && otaPayloadsPass(payloads));
  json.endObject();
  return json.text() + "\n";
}

}  // namespace otawrap
