#include "commands/match.h"

#include "cli/values.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "app/index_document.h"
#include "app/index_findings.h"
#include "report/info_report.h"

namespace otawrap {

namespace {

// An identifier as the command line takes it: hex.
std::string hex(std::uint64_t value, int digits) { return "0x" + hexUpper(value, digits); }

// One from the index, which holds decimal: hex, then the decimal.
std::string indexed(std::uint64_t value, int digits) {
  return hex(value, digits) + " (" + std::to_string(value) + ")";
}

std::string reasonText(MatchReason reason, const IndexEntry& e, const MatchDevice& d) {
  switch (reason) {
    case MatchReason::matches: return "matches";
    case MatchReason::noIdentifiers:
      return "lacks manufacturerCode, imageType or fileVersion (read from the file when it is local)";
    case MatchReason::imageType:
      return "imageType " + indexed(*e.imageType, 4) + " is not the device's " + hex(d.imageType, 4);
    case MatchReason::manufacturerCode:
      return "manufacturerCode " + indexed(*e.manufacturerCode, 4) + " is not the device's " +
             hex(d.manufacturerCode, 4);
    case MatchReason::belowMinFileVersion:
      return "the device's file version " + hex(d.fileVersion, 8) + " is below minFileVersion " +
             indexed(*e.minFileVersion, 8);
    case MatchReason::aboveMaxFileVersion:
      return "the device's file version " + hex(d.fileVersion, 8) + " is above maxFileVersion " +
             indexed(*e.maxFileVersion, 8);
    case MatchReason::modelId: return "modelId '" + *e.modelId + "' is not the device's";
    case MatchReason::manufacturerName: return "manufacturerName does not list the device's";
    case MatchReason::belowHardwareMin:
      return d.hardwareVersion ? "the device's hardware version " + hex(*d.hardwareVersion, 4) +
                                     " is below hardwareVersionMin " + indexed(*e.hardwareVersionMin, 4)
                               : "hardwareVersionMin is set and the device reports no hardware version";
    case MatchReason::aboveHardwareMax:
      return d.hardwareVersion ? "the device's hardware version " + hex(*d.hardwareVersion, 4) +
                                     " is above hardwareVersionMax " + indexed(*e.hardwareVersionMax, 4)
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
  const std::string version = indexed(*e.fileVersion, 8);
  const std::string current = hex(device.fileVersion, 8);
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

int runMatch(const MatchOptions& options, const Console& console) {
  IndexDocument document;
  Problem problem{Failure::usage, "", "", 0};
  if (!readIndexDocument(options.index, document, problem)) {
    return reportFailure(problem, console);
  }
  const bool herdsman = document.format == IndexFormat::herdsman;
  const MatchResult result = herdsman ? matchHerdsman(document.entries, options.device)
                                      : matchZigpy(document.entries, options.device);
  std::string text = std::string(indexConsumerName(document.format)) + ": " +
                     outcomeText(result, document, options.device) + "\n";
  // Entries of other manufacturers are only counted: a community index has thousands.
  std::size_t others = 0;
  for (std::size_t i = 0; i < document.entries.size(); ++i) {
    const IndexEntry& e = document.entries[i];
    if (e.manufacturerCode && *e.manufacturerCode != options.device.manufacturerCode) {
      ++others;
      continue;
    }
    text += "  " + label(document, i) + ": " + reasonText(result.reasons[i], e, options.device) + "\n";
  }
  if (others > 0) {
    text += "  " + std::to_string(others) + (others == 1 ? " entry" : " entries") +
            " of other manufacturer codes not listed\n";
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

// A required identifier of the device, noting that it was given.
template <int digits, auto member, bool MatchOptions::*given>
std::string storeRequired(const ParsedOption& option, O& options) {
  options.*given = true;
  return setHex<O, digits, &O::device, member>(option, options);
}

std::string finishMatch(const std::vector<std::string>& operands, O& options) {
  std::vector<const char*> missing;
  if (!options.manufacturerGiven) missing.push_back("--manufacturer");
  if (!options.imageTypeGiven) missing.push_back("--image-type");
  if (!options.fileVersionGiven) missing.push_back("--file-version");
  if (!missing.empty()) {
    std::string text = "missing ";
    for (std::size_t i = 0; i < missing.size(); ++i) {
      text += i == 0 ? "" : i + 1 == missing.size() ? " and " : ", ";
      text += missing[i];
    }
    return text;
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
       "newer), and why every other entry of the device's manufacturer code is not\n"
       "the one (the others are counted). Identifiers are hex, with or without 0x,\n"
       "and are shown in hex, the index's decimal value in brackets.\n",
       "Options:", "otawrap match index.json -m 100B -t 0042 -v 00010203"},
      {
          {{'m', "manufacturer", "HEX", "the device's manufacturer code (required)"},
           storeRequired<4, &MatchDevice::manufacturerCode, &O::manufacturerGiven>},
          {{'t', "image-type", "HEX", "its image type (required)"},
           storeRequired<4, &MatchDevice::imageType, &O::imageTypeGiven>},
          {{'v', "file-version", "HEX", "its current file version (required)"},
           storeRequired<8, &MatchDevice::fileVersion, &O::fileVersionGiven>},
          {{'\0', "hardware-version", "HEX", "its hardware version, when it reports one"},
           setHex<O, 4, &O::device, &MatchDevice::hardwareVersion>},
          {{'\0', "model-id", "TEXT", "its model identifier"},
           setText<O, &O::device, &MatchDevice::modelId>},
          {{'\0', "manufacturer-name", "TEXT", "its manufacturer name"},
           setText<O, &O::device, &MatchDevice::manufacturerName>},
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
