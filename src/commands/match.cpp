#include "commands/match.h"

#include "cli/values.h"
#include "codec/escape.h"
#include "app/index_document.h"
#include "report/info_report.h"

namespace otawrap {

namespace {

std::string reasonText(MatchReason reason, const IndexEntry& e, const MatchDevice& d) {
  const auto num = [](std::uint64_t v) { return std::to_string(v); };
  switch (reason) {
    case MatchReason::matches: return "matches";
    case MatchReason::noIdentifiers:
      return "lacks manufacturerCode, imageType or fileVersion (read from the file when it is local)";
    case MatchReason::imageType: return "imageType " + num(*e.imageType) + " is not the device's " + num(d.imageType);
    case MatchReason::manufacturerCode:
      return "manufacturerCode " + num(*e.manufacturerCode) + " is not the device's " + num(d.manufacturerCode);
    case MatchReason::belowMinFileVersion:
      return "the device's file version " + num(d.fileVersion) + " is below minFileVersion " + num(*e.minFileVersion);
    case MatchReason::aboveMaxFileVersion:
      return "the device's file version " + num(d.fileVersion) + " is above maxFileVersion " + num(*e.maxFileVersion);
    case MatchReason::modelId: return "modelId '" + *e.modelId + "' is not the device's";
    case MatchReason::manufacturerName: return "manufacturerName does not list the device's";
    case MatchReason::belowHardwareMin:
      return d.hardwareVersion ? "the device's hardware version " + num(*d.hardwareVersion) +
                                     " is below hardwareVersionMin " + num(*e.hardwareVersionMin)
                               : "hardwareVersionMin is set and the device reports no hardware version";
    case MatchReason::aboveHardwareMax:
      return d.hardwareVersion ? "the device's hardware version " + num(*d.hardwareVersion) +
                                     " is above hardwareVersionMax " + num(*e.hardwareVersionMax)
                               : "hardwareVersionMax is set and the device reports no hardware version";
    case MatchReason::replacedByLaterEntry: return "matches, but a later entry of the same identifiers replaces it";
    case MatchReason::shadowedByEarlierEntry: return "matches, but an earlier entry matched first";
  }
  return "";
}

std::string label(const IndexDocument& d, std::size_t i) {
  return "entry " + std::to_string(i) + " (" + indexEntryLabel(d.entries[i]) + ")";
}

std::string outcomeText(const MatchResult& r, const IndexDocument& d, const MatchDevice& device) {
  if (r.outcome == MatchOutcome::noEntry) return "offers nothing: no entry matches";
  const IndexEntry& e = d.entries[r.chosen];
  const std::string version = std::to_string(*e.fileVersion);
  const std::string current = std::to_string(device.fileVersion);
  switch (r.outcome) {
    case MatchOutcome::offered:
      return "offers " + label(d, r.chosen) + ": " +
             (e.force ? "force is set" : "fileVersion " + version + " is above the device's " + current);
    case MatchOutcome::notNewer:
      return "offers nothing: " + label(d, r.chosen) + " is chosen but its fileVersion " + version +
             " is not above the device's " + current;
    case MatchOutcome::hardwareRange:
      return "offers nothing: " + label(d, r.chosen) + " is chosen but its hardware range excludes the device's";
    case MatchOutcome::noEntry: break;
  }
  return "";
}

int runMatch(const MatchOptions& options, Console console) {
  IndexDocument document;
  Problem problem{Failure::usage, "", "", 0};
  if (!readIndexDocument(options.index, document, problem)) {
    return reportFailure(problem, console);
  }
  const bool herdsman = document.format == IndexFormat::herdsman;
  const MatchResult result = herdsman ? matchHerdsman(document.entries, options.device)
                                      : matchZigpy(document.entries, options.device);
  std::string text = std::string(herdsman ? "zigbee-herdsman" : "zigpy") + ": " +
                     outcomeText(result, document, options.device) + "\n";
  for (std::size_t i = 0; i < document.entries.size(); ++i) {
    text += "  " + label(document, i) + ": " + reasonText(result.reasons[i], document.entries[i], options.device) + "\n";
  }
  text += herdsman ? "zigpy: does not read this format (it reads the zigpy list; see index --format zigpy)\n"
                   : "zigbee-herdsman: does not read this format (see index --format herdsman)\n";
  // Each line escaped on its own: the labels come from the index.
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t to = text.find('\n', from);
    console.out << escapeControlCharacters(text.substr(from, to - from)) << '\n';
    from = to + 1;
  }
  return finishOutput(console, result.outcome == MatchOutcome::offered ? Outcome::success : Outcome::wanting);
}

using O = MatchOptions;

std::string hex(const ParsedOption& given, int digits, std::uint32_t& value) {
  return parseIdentifier(given.name, given.value, digits, value);
}

std::string storeMatchManufacturer(const ParsedOption& given, O& options) {
  std::uint32_t value = 0;
  std::string error = hex(given, 4, value);
  options.device.manufacturerCode = static_cast<std::uint16_t>(value);
  options.manufacturerGiven = true;
  return error;
}

std::string storeMatchImageType(const ParsedOption& given, O& options) {
  std::uint32_t value = 0;
  std::string error = hex(given, 4, value);
  options.device.imageType = static_cast<std::uint16_t>(value);
  options.imageTypeGiven = true;
  return error;
}

std::string storeMatchFileVersion(const ParsedOption& given, O& options) {
  std::uint32_t value = 0;
  std::string error = hex(given, 8, value);
  options.device.fileVersion = value;
  options.fileVersionGiven = true;
  return error;
}

std::string storeMatchHardware(const ParsedOption& given, O& options) {
  std::uint32_t value = 0;
  std::string error = hex(given, 4, value);
  options.device.hardwareVersion = static_cast<std::uint16_t>(value);
  return error;
}

std::string storeMatchModel(const ParsedOption& given, O& options) {
  options.device.modelId = given.value;
  return "";
}

std::string storeMatchName(const ParsedOption& given, O& options) {
  options.device.manufacturerName = given.value;
  return "";
}

std::string finishMatch(const std::vector<std::string>& operands, O& options) {
  if (!options.manufacturerGiven || !options.imageTypeGiven || !options.fileVersionGiven) {
    return "missing --manufacturer, --image-type or --file-version";
  }
  options.index = operands[0];
  return "";
}

}  // namespace

const CommandDefinition<MatchOptions>& matchDefinition() {
  static const CommandDefinition<O> definition = {
      {"match", nullptr, CommandKind::judges, "INDEX [options]",
       "which entry a device would be offered, and why",
       "INDEX --manufacturer HEX --image-type HEX --file-version HEX\n"
       "      [--hardware-version HEX] [--model-id TEXT] [--manufacturer-name TEXT]",
       "Tells which entry of the OTA index INDEX the consumer of its format would\n"
       "offer a device with these identifiers and current file version, as that\n"
       "consumer selects (zigbee-herdsman: the first matching entry, offered when\n"
       "newer or forced; zigpy: the last entry of the identifiers, offered when\n"
       "newer), and why every other entry is not the one.\n",
       "Options:", "otawrap match index.json -m 100B -t 0042 -v 00010203"},
      {
          {{'m', "manufacturer", "HEX", "the device's manufacturer code (required)"}, storeMatchManufacturer},
          {{'t', "image-type", "HEX", "its image type (required)"}, storeMatchImageType},
          {{'v', "file-version", "HEX", "its current file version (required)"}, storeMatchFileVersion},
          {{'\0', "hardware-version", "HEX", "its hardware version, when it reports one"}, storeMatchHardware},
          {{'\0', "model-id", "TEXT", "its model identifier"}, storeMatchModel},
          {{'\0', "manufacturer-name", "TEXT", "its manufacturer name"}, storeMatchName},
      },
      {},
      {1, 1, "INDEX"},
      finishMatch,
      runMatch,
  };
  return definition;
}

const Command& matchCommand() {
  static const DefinedCommand<MatchOptions> command(matchDefinition());
  return command;
}

}  // namespace otawrap
