#include "commands/file_summary.h"

#include "ota/reader.h"
#include "report/json_writer.h"

namespace otawrap {

std::string writtenFileJson(const std::string& path, const std::uint8_t* file, std::size_t size,
                            const char* platform, bool signedFile, bool integrityCode) {
  const OtaFileInfo info = otaFileRead(file, size);
  const OtaHeader& h = info.header;
  JsonWriter json;
  json.beginObject();
  json.key("path");
  json.string(path);
  json.key("size");
  json.number(size);
  json.key("manufacturerCode");
  json.number(h.manufacturerCode);
  json.key("imageType");
  json.number(h.imageType);
  json.key("fileVersion");
  json.number(h.fileVersion);
  json.key("headerLength");
  json.number(h.headerLength);
  json.key("platform");
  if (platform == nullptr) {
    json.null();
  } else {
    json.string(platform);
  }
  json.key("signed");
  json.boolean(signedFile);
  json.key("integrityCode");
  json.boolean(integrityCode);
  json.key("subElements");
  json.beginArray();
  for (const OtaSubElement& e : info.subElements) {
    json.beginObject();
    json.key("tag");
    json.number(e.tag);
    json.key("offset");
    json.number(e.offset);
    json.key("length");
    json.number(e.length);
    json.endObject();
  }
  json.endArray();
  json.endObject();
  return json.text() + "\n";
}

}  // namespace otawrap
