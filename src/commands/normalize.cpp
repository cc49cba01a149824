#include "commands/normalize.h"

#include <cstdint>
#include <vector>

#include "app/conversion.h"
#include "app/failure.h"
#include "app/file_options.h"
#include "app/input_file.h"
#include "app/ota_input.h"
#include "app/output_files.h"
#include "entry/registry.h"
#include "ota/reader.h"
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

int runNormalize(const NormalizeOptions& options, Console console) {
  std::vector<std::uint8_t> bytes;
  Problem problem{Failure::cannotOpenInput, "", options.file, 0};
  if (!readOtaFile(options.file, bytes, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  const OtaFileInfo info = otaFileLocateAndRead(bytes.data(), bytes.size(), OtaReadOptions{});
  for (const OtaCheck& check : info.checks) {
    if (check.state != OtaCheckState::failed) continue;
    const auto id = static_cast<OtaCheckId>(&check - info.checks.data());
    return reportFailure({Failure::unsoundOtaFile, failedCheckText(info, id), options.file, 0},
                         MessageStyle::command, console);
  }
  const OtaHeader& header = info.header;
  const Removed removed = removedParts(info);
  const OutputReport report = [&](const std::string& path) {
    if (options.report.json) return reportJson(options, path, info, removed);
    return options.report.quiet ? std::string() : reportText(path, removed);
  };
  return writeOutputAndReport(
      options.output, outputFileName(header.manufacturerCode, header.imageType, header.fileVersion),
      bytes.data() + info.prefixLength, info.fileSize, report, console, MessageStyle::command);
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
      {"normalize", nullptr, "normalize FILE [options]",
       "the plain OTA file inside a downloaded file",
       "normalize FILE (--output OUT | --output-dir DIR) [--json | --quiet]",
       "Reads FILE as info does and, when every check passes, writes the OTA file\n"
       "inside it as a plain OTA file: from its identifier, the total image size long,\n"
       "byte for byte (its signature or integrity code still holds). Removed are a\n"
       "signed container with block hashes, a length prefix and its suffix, a vendor\n"
       "prefix, a CRC-32 trailer or 0xFF padding with an inverted CRC-32. Prints what\n"
       "it removed and the path written. A file that fails a check is refused and\n"
       "nothing is written.\n",
       "Options:", "otawrap normalize download.ota --output plain.zigbee",
       "0 written, 1 a check failed, 2 usage error, unreadable file, failed write.\n"},
      joinRows<O>({outputRows<O>(), reportRows<O>()}),
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
