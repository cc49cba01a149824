#include "commands/index.h"

#include "commands/ota_input.h"
#include "ota/file_entries.h"
#include "report/json_writer.h"

namespace otawrap {

namespace {

// The last component of a path, either separator counting.
std::string baseName(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? path : path.substr(at + 1);
}

void entryJson(const OtaIndexEntry& e, JsonWriter& json) {
  json.beginObject();
  json.stringMember("fileName", e.fileName);
  json.numberMember("fileVersion", e.fileVersion);
  json.numberMember("fileSize", e.fileSize);
  json.stringMember("url", e.url);
  json.numberMember("imageType", e.imageType);
  json.numberMember("manufacturerCode", e.manufacturerCode);
  json.stringMember("sha512", e.sha512);
  if (e.headerStringPresent) {
    json.stringMember("otaHeaderString", e.otaHeaderString);
  }
  if (e.hardwareVersionsPresent) {
    json.numberMember("hardwareVersionMin", e.hardwareVersionMin);
    json.numberMember("hardwareVersionMax", e.hardwareVersionMax);
  }
  json.endObject();
}

}  // namespace

int runIndexCommand(const IndexOptions& options, Console console) {
  JsonWriter json;
  json.beginArray();
  for (const std::string& path : options.files) {
    OtaInput input;
    Problem problem{Failure::usage, "", "", 0};
    if (!readOtaInput(path, input, problem)) {
      if (problem.failure != Failure::notOtaFile) {
        return reportFailure(problem, MessageStyle::command, console);
      }
      reportFailure(problem, MessageStyle::command, console);
      return kExitCheckFailed;
    }
    for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
      const auto id = static_cast<OtaCheckId>(i);
      if (input.info.check(id).state == OtaCheckState::failed) {
        reportFailure({Failure::notIndexable, failedCheckText(path, input.info, id), path, 0},
                      MessageStyle::command, console);
        return kExitCheckFailed;
      }
    }
    const std::string name = baseName(path);
    const std::string url = options.urlPrefixGiven ? options.urlPrefix + name : path;
    entryJson(otaIndexEntry(input.bytes.data(), input.bytes.size(), input.info, name, url), json);
  }
  json.endArray();
  console.out << json.text() << '\n';
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
