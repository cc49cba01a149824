#include "commands/index.h"

#include "commands/ota_input.h"
#include "commands/registry.h"
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

int runIndex(const IndexOptions& options, Console console) {
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

std::string storeUrlPrefix(const ParsedOption& given, IndexOptions& options) {
  options.urlPrefixGiven = true;
  options.urlPrefix = given.value;
  return "";
}

std::string finishIndex(const std::vector<std::string>& operands, IndexOptions& options) {
  options.files = operands;
  return "";
}

}  // namespace

const CommandSpec<IndexOptions>& indexSpec() {
  static const CommandSpec<IndexOptions> spec = {
      {"index", nullptr, "index FILE... [--url-prefix URL]", "zigbee-herdsman OTA index entries",
       "index FILE... [--url-prefix URL]",
       "Prints a JSON array with one zigbee-herdsman OTA index entry per file:\n"
       "fileName, fileVersion, fileSize, url, imageType, manufacturerCode, sha512,\n"
       "and otaHeaderString, hardwareVersionMin, hardwareVersionMax when present.\n"
       "Every file must pass the checks of info.\n",
       "Options:", "otawrap index *.zigbee --url-prefix https://example.com/ota/",
       "0 printed, 1 a file fails a check, 2 usage error, unreadable file.\n"},
      {
          {{'\0', "url-prefix", "URL",
            "url is URL followed by the file name (default:\nthe path as given)"},
           storeUrlPrefix},
      },
      {},
      {1, kAnyNumber, "FILE"},
      finishIndex,
      runIndex,
  };
  return spec;
}

const Command& indexCommand() {
  static const SpecCommand<IndexOptions> command(indexSpec());
  return command;
}

}  // namespace otawrap
