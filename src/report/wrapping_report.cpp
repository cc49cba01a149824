#include "report/wrapping_report.h"

#include <string>

#include "report/check_texts.h"

namespace otawrap {

// What surrounds the OTA file, one line each; nothing for a plain file.
std::string wrappingReportText(const OtaFileInfo& info) {
  const OtaWrapping& w = info.wrapping;
  std::string out;
  if (w.kind == OtaWrapKind::identifierPrefix) {
    out += "Vendor prefix: " + std::to_string(info.prefixLength) +
           " bytes before the OTA file identifier; offsets count from the identifier\n";
  } else if (w.kind != OtaWrapKind::none) {
    out += std::string("Container: ") + otaWrapKindName(w.kind);
    if (w.check.state == OtaCheckState::failed) {
      out += ", damaged (see the checks)\n";
    } else {
      out += "; the OTA file is bytes " + std::to_string(w.start) + ".." +
             std::to_string(w.start + w.length) + ", offsets count from its identifier";
      if (w.kind == OtaWrapKind::signedContainer) {
        out += "; " + std::to_string(w.blockCount) + " block hashes checked, the " +
               std::to_string(w.suffixLength) + "-byte signature behind it not checked";
      } else {
        out += "; the " + std::to_string(w.suffixLength) + "-byte suffix not checked";
      }
      out += "\n";
    }
  }
  if (info.trailer.kind != OtaTrailerKind::none) {
    out += std::string("Trailer: ") + otaTrailerKindName(info.trailer.kind) + ", " +
           std::to_string(info.trailer.length) + " bytes after the total image size\n";
  }
  return out;
}

// "container", "trailer" and "headlessPayload": null when there is none.
void wrappingReportJson(const OtaFileInfo& info, JsonWriter& json) {
  const OtaWrapping& w = info.wrapping;
  json.key("container");
  if (w.kind == OtaWrapKind::none || w.kind == OtaWrapKind::identifierPrefix) {
    json.null();
  } else {
    json.beginObject();
    json.stringMember("kind", otaWrapKindName(w.kind));
    json.numberMember("otaFileOffset", w.start);
    json.numberMember("otaFileLength", w.length);
    json.numberMember("suffixLength", w.suffixLength);
    if (w.kind == OtaWrapKind::signedContainer) json.numberMember("blocks", w.blockCount);
    json.endObject();
  }
  json.key("trailer");
  if (info.trailer.kind == OtaTrailerKind::none) {
    json.null();
  } else {
    json.beginObject();
    json.stringMember("kind", otaTrailerKindName(info.trailer.kind));
    json.numberMember("length", info.trailer.length);
    json.numberMember("padding", info.trailer.padding);
    json.endObject();
  }
  json.key("headlessPayload");
  if (!info.headless) {
    json.null();
  } else {
    json.beginObject();
    json.stringMember("kind", otaHeadlessKindName(info.headless->kind));
    json.numberMember("offset", info.headless->offset);
    json.numberMember("length", info.headless->length);
    json.endObject();
  }
}

}  // namespace otawrap
