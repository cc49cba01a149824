#include "report/info_report.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codec/escape.h"
#include "codec/hex.h"
#include "ota/tags.h"
#include "report/check_texts.h"
#include "report/header_fields.h"
#include "report/json_writer.h"
#include "report/payload_report.h"
#include "report/wrapping_report.h"

namespace otawrap {

namespace {

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
    default:
      return {"not applicable", "not applicable"};
  }
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
    out += ", encrypted element (" + std::to_string(e.headSize) +
           "-byte head, info bytes " + hexUpper(e.info[0], 2) + " " + hexUpper(e.info[1], 2) + ")";
  }
  return out + "\n";
}

// A layout check that passed while its signature's check was not run, for a
// signature that could be verified.
bool signatureNotVerified(const OtaFileInfo& info, OtaCheckId id) {
  if (id == OtaCheckId::signatureLayout) {
    return info.check(OtaCheckId::signatureVerification).state == OtaCheckState::notRun;
  }
  return id == OtaCheckId::suite2SignatureLayout &&
         info.check(OtaCheckId::suite2SignatureVerification).state == OtaCheckState::notRun &&
         info.check(id).reason != OtaReason::suite2NotSect283k1 &&
         info.check(id).reason != OtaReason::suite2WithoutCertificateNotSect283k1;
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
    } else {
      if (c.reason != OtaReason::none) out += " (" + otaCheckReasonText(c) + ")";
      if (signatureNotVerified(info, id)) out += ", signature not verified (use verify)";
    }
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
    for (const HeaderField& field : otaHeaderFields(info)) {
      if (field.shown) appendLine(out, field.label, headerFieldText(field, info.header));
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
                           const std::vector<OtaPayloadVerdict>& payloads,
                           const std::function<void(JsonWriter&)>& extraMembers) {
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
    for (const HeaderField& field : otaHeaderFields(info)) {
      if (!field.shown || !field.present) continue;
      json.key(field.key);
      headerFieldJson(json, field, h);
      if (field.format == HeaderFieldFormat::text) {
        json.key("headerStringHex");
        std::string stringHex;
        for (std::uint8_t byte : h.headerString) stringHex += hexUpper(byte, 2);
        json.string(stringHex);
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

  if (extraMembers) extraMembers(json);
  json.booleanMember("ok", otaFileChecksPass(info) && otaPayloadsPass(payloads));
  json.endObject();
  return json.text() + "\n";
}

}  // namespace otawrap
