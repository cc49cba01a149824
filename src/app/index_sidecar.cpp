#include "app/index_sidecar.h"

#include "codec/hex.h"

namespace otawrap {

namespace {

constexpr const char* kKeys[] = {"modelId",        "manufacturerName",   "minFileVersion",
                                 "maxFileVersion", "hardwareVersionMin", "hardwareVersionMax",
                                 "releaseNotes",   "originalUrl",        "force"};

// A JSON integer or a hex string of at most digits digits (4 or 8), within
// the field's range. "" when it is one, else the reason.
std::string wholeNumber(const JsonValue& value, int digits, std::uint32_t& out) {
  const std::uint64_t max = digits == 4 ? 0xFFFFu : 0xFFFFFFFFu;
  const std::string range = "0 to " + std::to_string(max);
  if (value.kind == JsonKind::string) {
    if (parseHexNumber(value.text, digits, out)) return "";
    return "'" + value.text + "' is not 1 to " + std::to_string(digits) + " hex digits";
  }
  if (value.kind != JsonKind::number) return "not a number or a hex string";
  std::uint64_t number = 0;
  if (!value.asUint64(number) || number > max) {
    return value.text + " is not a whole number from " + range;
  }
  out = static_cast<std::uint32_t>(number);
  return "";
}

std::string text(const JsonValue& value, bool nonEmpty, std::optional<std::string>& out) {
  if (value.kind != JsonKind::string) return "not a string";
  if (nonEmpty && value.text.empty()) return "an empty string";
  out = value.text;
  return "";
}

std::string names(const JsonValue& value, std::optional<std::vector<std::string>>& out) {
  if (value.kind != JsonKind::array) return "not an array of strings";
  if (value.items.empty()) return "an empty array, which no device matches";
  std::vector<std::string> list;
  for (const JsonValue& item : value.items) {
    if (item.kind != JsonKind::string) return "not an array of strings";
    if (item.text.empty()) return "holds an empty string";
    list.push_back(item.text);
  }
  out = std::move(list);
  return "";
}

// The reason the member key = value cannot stand, or "" once stored.
std::string member(const std::string& key, const JsonValue& value, IndexMetadata& m) {
  std::uint32_t number = 0;
  std::string reason;
  if (key == "modelId") return text(value, true, m.modelId);
  if (key == "manufacturerName") return names(value, m.manufacturerNames);
  if (key == "releaseNotes") return text(value, false, m.releaseNotes);
  if (key == "originalUrl") return text(value, false, m.originalUrl);
  if (key == "force") {
    if (value.kind != JsonKind::boolean) return "not true or false";
    m.force = value.boolean;
    return "";
  }
  if (key == "minFileVersion" || key == "maxFileVersion") {
    reason = wholeNumber(value, 8, number);
    if (reason.empty()) (key == "minFileVersion" ? m.minFileVersion : m.maxFileVersion) = number;
    return reason;
  }
  reason = wholeNumber(value, 4, number);
  if (reason.empty()) {
    const auto hardware = static_cast<std::uint16_t>(number);
    (key == "hardwareVersionMin" ? m.hardwareVersionMin : m.hardwareVersionMax) = hardware;
  }
  return reason;
}

}  // namespace

bool sidecarDecode(const JsonValue& root, IndexMetadata& metadata, std::string& detail) {
  if (root.kind != JsonKind::object) {
    detail = "not a JSON object";
    return false;
  }
  for (std::size_t i = 0; i < root.keys.size(); ++i) {
    const std::string& key = root.keys[i];
    bool known = false;
    for (const char* name : kKeys) known = known || key == name;
    std::string reason;
    if (!known) {
      reason = "not a metadata key (modelId, manufacturerName, minFileVersion, maxFileVersion, "
               "hardwareVersionMin, hardwareVersionMax, releaseNotes, originalUrl, force)";
    } else {
      reason = member(key, root.items[i], metadata);
    }
    if (!reason.empty()) {
      detail = key;
      detail += ": ";
      detail += reason;
      return false;
    }
  }
  return true;
}

IndexMetadata metadataOver(const IndexMetadata& commandLine, const IndexMetadata& sidecar) {
  IndexMetadata m = commandLine;
  if (!m.modelId) m.modelId = sidecar.modelId;
  if (!m.manufacturerNames) m.manufacturerNames = sidecar.manufacturerNames;
  if (!m.minFileVersion) m.minFileVersion = sidecar.minFileVersion;
  if (!m.maxFileVersion) m.maxFileVersion = sidecar.maxFileVersion;
  if (!m.hardwareVersionMin) m.hardwareVersionMin = sidecar.hardwareVersionMin;
  if (!m.hardwareVersionMax) m.hardwareVersionMax = sidecar.hardwareVersionMax;
  if (!m.releaseNotes) m.releaseNotes = sidecar.releaseNotes;
  if (!m.originalUrl) m.originalUrl = sidecar.originalUrl;
  m.force = m.force || sidecar.force;
  return m;
}

}  // namespace otawrap
