#include "app/index_json.h"

#include "report/json_writer.h"

namespace otawrap {

IndexEntry indexEntryOf(const OtaIndexEntry& file, std::uint32_t totalImageSize, const IndexMetadata& m) {
  IndexEntry e;
  e.url = file.url;
  e.fileName = file.fileName;
  e.fileVersion = file.fileVersion;
  e.fileSize = m.fileSize == IndexFileSize::download ? file.fileSize : totalImageSize;
  e.manufacturerCode = file.manufacturerCode;
  e.imageType = file.imageType;
  e.sha512 = file.sha512;
  if (file.headerStringPresent) e.otaHeaderString = file.otaHeaderString;
  if (file.hardwareVersionsPresent) {
    e.hardwareVersionMin = file.hardwareVersionMin;
    e.hardwareVersionMax = file.hardwareVersionMax;
  }
  if (m.hardwareVersionMin) e.hardwareVersionMin = m.hardwareVersionMin;
  if (m.hardwareVersionMax) e.hardwareVersionMax = m.hardwareVersionMax;
  e.modelId = m.modelId;
  e.manufacturerNames = m.manufacturerNames;
  e.minFileVersion = m.minFileVersion;
  e.maxFileVersion = m.maxFileVersion;
  e.force = m.force;
  e.releaseNotes = m.releaseNotes;
  e.originalUrl = m.originalUrl;
  return e;
}

namespace {

void optionalString(JsonWriter& json, const char* name, const std::optional<std::string>& value) {
  if (value) json.stringMember(name, *value);
}

template <typename T>
void optionalNumber(JsonWriter& json, const char* name, const std::optional<T>& value) {
  if (value) json.numberMember(name, *value);
}

}  // namespace

std::string indexEntryJson(const IndexEntry& e, IndexFormat format) {
  JsonWriter json;
  json.beginObject();
  if (format == IndexFormat::zigpy) {
    json.stringMember("fw_binary_url", e.url);
    optionalNumber(json, "fw_file_version", e.fileVersion);
    optionalNumber(json, "fw_filesize", e.fileSize);
    optionalNumber(json, "fw_image_type", e.imageType);
    optionalNumber(json, "fw_manufacturer_id", e.manufacturerCode);
    json.endObject();
    return json.text();
  }
  optionalString(json, "fileName", e.fileName);
  optionalNumber(json, "fileVersion", e.fileVersion);
  optionalNumber(json, "fileSize", e.fileSize);
  json.stringMember("url", e.url);
  optionalNumber(json, "imageType", e.imageType);
  optionalNumber(json, "manufacturerCode", e.manufacturerCode);
  optionalString(json, "sha512", e.sha512);
  optionalString(json, "otaHeaderString", e.otaHeaderString);
  optionalNumber(json, "hardwareVersionMin", e.hardwareVersionMin);
  optionalNumber(json, "hardwareVersionMax", e.hardwareVersionMax);
  optionalString(json, "modelId", e.modelId);
  if (e.manufacturerNames) {
    json.key("manufacturerName");
    json.beginArray();
    for (const std::string& name : *e.manufacturerNames) json.string(name);
    json.endArray();
  }
  optionalNumber(json, "minFileVersion", e.minFileVersion);
  optionalNumber(json, "maxFileVersion", e.maxFileVersion);
  if (e.force) json.booleanMember("force", true);
  optionalString(json, "releaseNotes", e.releaseNotes);
  optionalString(json, "originalUrl", e.originalUrl);
  json.endObject();
  return json.text();
}

}  // namespace otawrap
