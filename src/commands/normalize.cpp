#include "commands/normalize.h"

#include <cstdint>
#include <vector>

#include "app/convert_run.h"
#include "app/file_options.h"
#include "app/output_files.h"
#include "report/check_texts.h"
#include "report/json_writer.h"

namespace otawrap {

namespace {

// What lies around the OTA file in the bytes read.
struct Removed {
  std::size_t before;
  std::size_t after;
  std::string beforeWhat;  // empty when before is 0
  std::string afterWhat;   // empty when after is 0
};

Removed removedParts(const OtaFileInfo& info) {
  Removed removed{info.prefixLength, info.wholeSize - info.prefixLength - info.fileSize, "", ""};
  if (removed.before > 0) removed.beforeWhat = otaWrapKindName(info.wrapping.kind);
  if (info.wrapping.suffixLength > 0) {
    removed.afterWhat = std::string("the end of the ") + otaWrapKindName(info.wrapping.kind);
  }
  if (info.trailer.kind != OtaTrailerKind::none) {
    if (!removed.afterWhat.empty()) removed.afterWhat += ", ";
    removed.afterWhat += std::string(otaTrailerKindName(info.trailer.kind)) + " trailer";
  }
  return removed;
}

std::string reportText(const std::string& path, const Removed& removed) {
  std::string out;
  if (removed.before > 0) {
    out += "removed " + std::to_string(removed.before) + " bytes before the OTA file (" +
           removed.beforeWhat + ")\n";
  }
  if (removed.after > 0) {
    out += "removed " + std::to_string(removed.after) + " bytes after it (" + removed.afterWhat +
           ")\n";
  }
  if (removed.before == 0 && removed.after == 0) out += "nothing removed: a plain OTA file\n";
  return out + path + "\n";
}

std::string reportJson(const NormalizeOptions& options, const std::string& path,
                       const OtaFileInfo& info, const Removed& removed) {
  JsonWriter json;
  json.beginObject();
  json.stringMember("file", options.file);
  json.stringMember("output", path);
  json.numberMember("otaFileSize", info.fileSize);
  json.numberMember("removedBefore", removed.before);
  json.stringMember("removedBeforeKind", removed.beforeWhat);
  json.numberMember("removedAfter", removed.after);
  json.stringMember("removedAfterKind", removed.afterWhat);
  json.endObject();
  return json.text() + "\n";
}

int runNormalize(const NormalizeOptions& options, const Console& console) {
  OtaInput input;
  Problem problem{Failure::usage, "", "", 0};
  const bool read = options.force ? openOtaInput(options.file, options.input, input, problem)
                                  : openSoundOtaInput(options.file, options.input, input, problem);
  if (!read) return reportFailure(problem, console);
  const OtaFileInfo& info = input.info;
  const OtaHeader& header = info.header;
  const Removed removed = removedParts(info);
  const OutputReport report = [&](const std::string& path) {
    if (options.report.json) return reportJson(options, path, info, removed);
    return options.report.quiet ? std::string() : reportText(path, removed);
  };
  return writeOutputAndReport(
      options.output, outputFileName(header.manufacturerCode, header.imageType, header.fileVersion),
      input.file(), info.fileSize, report, console);
}

std::string finishNormalize(const std::vector<std::string>& operands, NormalizeOptions& options) {
  options.file = operands[0];
  if (options.output.file.empty() && options.output.directory.empty()) {
    return "missing --output FILE or --output-dir DIR";
  }
  return standardOutputConflict(options.output, options.report);
}

}  // namespace

const CommandDefinition<NormalizeOptions>& normalizeDefinition() {
  using O = NormalizeOptions;
  static const CommandDefinition<O> definition = {
      {"normalize", nullptr, CommandKind::makes, "FILE [options]",
       "the plain OTA file inside a downloaded file",
       "FILE (--output OUT | --output-dir DIR) [--json | --quiet]",
       "Reads FILE as info does and, when every check passes, writes the OTA file\n"
       "inside it as a plain OTA file: from its identifier, the total image size long,\n"
       "byte for byte (its signature or integrity code still holds). Removed are a\n"
       "signed container with block hashes, a length prefix and its suffix, a vendor\n"
       "prefix, a CRC-32 trailer or 0xFF padding with an inverted CRC-32. Prints what\n"
       "it removed and the path written. A file that fails a check is refused and\n"
       "nothing is written, unless --force is given.\n",
       "Options:", "otawrap normalize download.ota --output plain.zigbee"},
      joinRows<O>({outputRows<O>(), reportRows<O>(), forceRows<O>("write the OTA file although it fails a check")}),
      {{{"output", "output-dir"}}},
      {1, 1, "FILE"},
      finishNormalize,
      runNormalize,
  };
  return definition;
}

const Command& normalizeCommand() {
  static const DefinedCommand<NormalizeOptions> command(normalizeDefinition());
  return command;
}

}  // namespace otawrap
