#include "app/file_summary.h"

#include "report/header_fields.h"
#include "report/json_writer.h"

namespace otawrap {

std::string writtenFileJson(const std::string& path, const OtaFileInfo& info, std::size_t size,
                            const char* platform, bool signedFile, bool integrityCode,
                            const std::string& input) {
  const OtaHeader& h = info.header;
  JsonWriter json;
  json.beginObject();
  if (!input.empty()) {
    json.stringMember("file", input);
    json.booleanMember("ok", true);
  }
  json.stringMember("path", path);
  json.numberMember("size", size);
  for (const char* key : {"manufacturerCode", "imageType", "fileVersion", "headerLength"}) {
    json.key(key);
    headerFieldJson(json, otaHeaderField(info, key), h);
  }
  json.key("platform");
  if (platform == nullptr) {
    json.null();
  } else {
    json.string(platform);
  }
  json.booleanMember("signed", signedFile);
  json.booleanMember("integrityCode", integrityCode);
  json.key("subElements");
  json.beginArray();
  for (const OtaSubElement& e : info.subElements) {
    json.beginObject();
    json.numberMember("tag", e.tag);
    json.numberMember("offset", e.offset);
    json.numberMember("length", e.length);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  return json.text() + "\n";
}

}  // namespace otawrap
