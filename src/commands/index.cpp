#include "commands/index.h"

#include "catalog/index_merge.h"
#include "catalog/index_lint.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "cli/values.h"
#include "app/index_document.h"
#include "app/index_findings.h"
#include "app/index_sidecar.h"
#include "app/convert_run.h"
#include "app/ota_input.h"
#include "app/output_files.h"
#include "io/file_system.h"
#include "ota/file_entries.h"

namespace otawrap {

namespace {

// The last component of a path; a backslash separates only on Windows.
std::string baseName(const std::string& path) {
  const std::size_t at = path.find_last_of(kPathSeparators);
  return at == std::string::npos ? path : path.substr(at + 1);
}

// RFC 3986: the unreserved characters stay, every other byte becomes %XX.
std::string percentEncoded(const std::string& name) {
  std::string out;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
                            c == '~';
    if (unreserved) {
      out += c;
    } else {
      out += '%';
      out += hexUpper(byte, 2);
    }
  }
  return out;
}

// The metadata for the OTA file at path: the command line's over that of its
// metadata file, when there is one. False with problem set when that file
// cannot be read or is not valid.
bool fileMetadata(const std::string& path, const IndexMetadata& commandLine, IndexMetadata& metadata,
                  Problem& problem) {
  metadata = commandLine;
  const std::string sidecar = path + kSidecarSuffix;
  if (!fsExists(sidecar)) return true;
  std::string text;
  JsonValue root;
  if (!readJsonFile(sidecar, Failure::sidecarInvalid, text, root, problem)) return false;
  IndexMetadata given;
  std::string detail;
  if (!sidecarDecode(root, given, detail)) {
    problem = {Failure::sidecarInvalid, detail, sidecar, 0};
    return false;
  }
  metadata = metadataOver(commandLine, given);
  return true;
}

// Warns on standard error about what lint finds between the entries of an
// index (their own faults are refused before), those that concern a new
// entry (new[i]) only; where names the index, "" for the one printed.
void warnAsLint(const std::vector<IndexEntry>& entries, const std::vector<bool>& isNew, IndexFormat format,
                const std::string& where, Console console) {
  for (const LintFinding& f : indexLint(entries, {}, format).findings) {
    if (!isNew[f.entry] && !(lintKindNamesOther(f.kind) && isNew[f.other])) continue;
    console.err << "otawrap: warning: "
                << escapeControlCharacters(where + lintFindingLine(f, entries, format, "", IndexFileFacts{}))
                << '\n';
  }
}

// Merges items into the index at path and writes it back whole.
int updateIndex(const std::string& path, const IndexOptions& options,
                const std::vector<IndexMergeItem>& items, Console console) {
  IndexDocument document;
  Problem problem{Failure::usage, "", "", 0};
  if (!readIndexDocument(path, document, problem)) {
    return reportFailure(problem, console);
  }
  if (!document.entries.empty() && document.format != options.metadata.format) {
    const char* theirs = document.format == IndexFormat::zigpy ? "zigpy" : "zigbee-herdsman";
    return reportFailure({Failure::indexInvalid, std::string("it is in the ") + theirs +
                              " format; give --format to match it", path, 0},
                         console);
  }
  IndexMergeCounts counts;
  const std::string merged = indexMerge(document.text, document.root, document.entries, items, counts);
  JsonValue root;
  std::vector<IndexEntry> entries;
  IndexDecodeError decodeError;
  if (jsonParse(merged.data(), merged.size(), root).status == JsonStatus::ok &&
      indexDecode(root, options.metadata.format, entries, decodeError)) {
    std::vector<bool> isNew(entries.size(), false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      for (const IndexMergeItem& item : items) {
        const IndexEntry& e = entries[i];
        isNew[i] = isNew[i] || (e.manufacturerCode == item.manufacturerCode && e.imageType == item.imageType &&
                                e.fileVersion == item.fileVersion);
      }
    }
    warnAsLint(entries, isNew, options.metadata.format, path + ": ", console);
  }
  return writeOutputAndReport({"", path}, "", reinterpret_cast<const std::uint8_t*>(merged.data()),
                              merged.size(), nullptr, console);
}

int runIndex(const IndexOptions& options, Console console) {
  std::vector<IndexMergeItem> items;
  std::vector<IndexEntry> entries;
  for (const std::string& path : options.files) {
    OtaInput input;
    Problem problem{Failure::usage, "", "", 0};
    if (!openSoundOtaInput(path, options.input, input, problem)) {
      return reportFailure(problem, console);
    }
    IndexMetadata metadata;
    if (!fileMetadata(path, options.metadata, metadata, problem)) {
      return reportFailure(problem, console);
    }
    const std::string name = baseName(path);
    // The entry names the file exactly or not at all: the URL is the prefix
    // and the encoded name, or else the path as given.
    const char* fault = indexTextFault(options.urlPrefixGiven ? name : path);
    if (fault != nullptr) {
      return reportFailure({Failure::nameNotIndexable, fault, path, 0}, console);
    }
    const std::string url =
        options.urlPrefixGiven ? indexJoinUrl(options.urlPrefix, percentEncoded(name)) : path;
    const OtaIndexEntry file = otaIndexEntry(input.bytes.data(), input.bytes.size(), input.info, name, url);
    const IndexEntry entry = indexEntryOf(file, input.info.header.totalImageSize, metadata);
    // The metadata's words are herdsman's, whichever format is written.
    std::vector<LintFinding> faults;
    indexEntryFaults(entry, 0, faults);
    if (!faults.empty()) {
      const std::string detail = lintFindingText(faults[0], {entry}, IndexFormat::herdsman, path, IndexFileFacts{});
      return reportFailure({Failure::metadataRefused, detail, path, 0}, console);
    }
    items.push_back({file.manufacturerCode, file.imageType, file.fileVersion,
                     indexEntryJson(entry, options.metadata.format)});
    entries.push_back(entry);
  }
  if (!options.update.empty()) return updateIndex(options.update, options, items, console);
  warnAsLint(entries, std::vector<bool>(entries.size(), true), options.metadata.format, "", console);
  std::string text = "[";
  for (const IndexMergeItem& item : items) text += (text.size() > 1 ? "," : "") + item.text;
  console.out << text << "]\n";
  return finishOutput(console, kExitSuccess);
}

using O = IndexOptions;

std::string storeUrlPrefix(const ParsedOption& given, O& options) {
  options.urlPrefixGiven = true;
  options.urlPrefix = given.value;
  return "";
}

std::string storeFormat(const ParsedOption& given, O& options) {
  if (given.value != "herdsman" && given.value != "zigpy") {
    return "invalid format '" + given.value + "' for " + given.name + ": herdsman or zigpy expected";
  }
  options.formatGiven = true;
  options.metadata.format = given.value == "zigpy" ? IndexFormat::zigpy : IndexFormat::herdsman;
  return "";
}

std::string storeFileSize(const ParsedOption& given, O& options) {
  if (given.value != "download" && given.value != "total-image") {
    return "invalid value '" + given.value + "' for " + given.name + ": total-image or download expected";
  }
  options.metadata.fileSize = given.value == "download" ? IndexFileSize::download : IndexFileSize::totalImage;
  return "";
}

std::string nonEmpty(const ParsedOption& given, std::string& out) {
  if (given.value.empty()) return "empty value for " + given.name;
  out = given.value;
  return "";
}

std::string storeUpdate(const ParsedOption& given, O& options) { return nonEmpty(given, options.update); }

std::string storeModelId(const ParsedOption& given, O& options) {
  std::string text;
  std::string error = nonEmpty(given, text);
  if (error.empty()) options.metadata.modelId = text;
  return error;
}

std::string storeManufacturerName(const ParsedOption& given, O& options) {
  std::string text;
  std::string error = nonEmpty(given, text);
  if (!error.empty()) return error;
  if (!options.metadata.manufacturerNames) options.metadata.manufacturerNames.emplace();
  options.metadata.manufacturerNames->push_back(text);
  return "";
}

template <std::optional<std::uint32_t> IndexMetadata::*field>
std::string storeVersion(const ParsedOption& given, O& options) {
  std::uint32_t value = 0;
  std::string error = parseIdentifier(given.name, given.value, 8, value);
  if (error.empty()) options.metadata.*field = value;
  return error;
}

template <std::optional<std::uint16_t> IndexMetadata::*field>
std::string storeHardware(const ParsedOption& given, O& options) {
  std::uint32_t value = 0;
  std::string error = parseIdentifier(given.name, given.value, 4, value);
  if (error.empty()) options.metadata.*field = static_cast<std::uint16_t>(value);
  return error;
}

std::string storeReleaseNotes(const ParsedOption& given, O& options) {
  options.metadata.releaseNotes = given.value;
  return "";
}

std::string storeOriginalUrl(const ParsedOption& given, O& options) {
  options.metadata.originalUrl = given.value;
  return "";
}

std::string storeForce(const ParsedOption&, O& options) {
  options.metadata.force = true;
  return "";
}

std::string finishIndex(const std::vector<std::string>& operands, O& options) {
  options.files = operands;
  const IndexMetadata& m = options.metadata;
  if (m.format == IndexFormat::zigpy &&
      (m.modelId || m.manufacturerNames || m.minFileVersion || m.maxFileVersion || m.hardwareVersionMin ||
       m.hardwareVersionMax || m.releaseNotes || m.originalUrl || m.force)) {
    return "the zigpy format has no field for the metadata options; only --url-prefix, --file-size and --update";
  }
  return "";
}

}  // namespace

const CommandDefinition<IndexOptions>& indexDefinition() {
  static const CommandDefinition<O> definition = {
      {"index", nullptr, CommandKind::judges, "FILE... [options]",
       "OTA index entries, printed or merged",
       "FILE... [--format herdsman|zigpy] [--url-prefix URL] [--update INDEX.json]\n"
       "      [--file-size total-image|download] [metadata options]",
       "Prints a JSON array with one OTA index entry per file. herdsman (the default):\n"
       "zigbee-herdsman's entries: fileName, fileVersion, fileSize, url, imageType,\n"
       "manufacturerCode, sha512, otaHeaderString and the hardware range when present,\n"
       "then the metadata options' fields. zigpy: the fw_binary_url, fw_file_version,\n"
       "fw_filesize, fw_image_type, fw_manufacturer_id list zigpy's update-URL\n"
       "provider reads. Every file must pass the checks of info. With --update the\n"
       "entries replace those of the same identifiers and version in that index and\n"
       "the others are kept byte for byte. A file FILE.meta.json beside FILE gives\n"
       "that file's metadata: a JSON object with the entry's own keys (modelId,\n"
       "manufacturerName, minFileVersion, maxFileVersion, hardwareVersionMin,\n"
       "hardwareVersionMax, releaseNotes, originalUrl, force); a metadata option\n"
       "given on the command line wins over the same key. The zigpy format has no\n"
       "field for them: metadata files are checked, not written.\n",
       "Options:", "otawrap index *.zigbee --url-prefix https://example.com/ota"},
      {
          {{'\0', "format", "NAME", "herdsman (default) or zigpy", false, "herdsman zigpy"}, storeFormat},
          {{'\0', "url-prefix", "URL", "url is URL, one '/', and the file name (default:\nthe path as given)"},
           storeUrlPrefix},
          {{'\0', "update", "INDEX", "merge into the index INDEX instead of printing"}, storeUpdate},
          {{'\0', "file-size", "KIND",
            "fileSize: download (the file's length, default)\nor total-image (the header's total image size)"},
           storeFileSize},
          {{'\0', "model-id", "TEXT", "modelId: only devices of that model"}, storeModelId},
          {{'\0', "manufacturer-name", "TEXT", "an element of manufacturerName (repeatable)", true},
           storeManufacturerName},
          {{'\0', "min-file-version", "HEX", "minFileVersion: devices from that version on"},
           storeVersion<&IndexMetadata::minFileVersion>},
          {{'\0', "max-file-version", "HEX", "maxFileVersion: devices up to that version"},
           storeVersion<&IndexMetadata::maxFileVersion>},
          {{'\0', "min-hw-version", "HEX", "hardwareVersionMin instead of the header's"},
           storeHardware<&IndexMetadata::hardwareVersionMin>},
          {{'\0', "max-hw-version", "HEX", "hardwareVersionMax instead of the header's"},
           storeHardware<&IndexMetadata::hardwareVersionMax>},
          {{'\0', "release-notes", "TEXT", "releaseNotes"}, storeReleaseNotes},
          {{'\0', "original-url", "URL", "originalUrl"}, storeOriginalUrl},
          {{'\0', "force", nullptr, "force: offered whatever the device's version"}, storeForce},
          {{'\0', "no-payload-check", nullptr, "identify the payloads but skip their checks", true},
           clearFlag<O, &O::input, &OtaInputOptions::payloadCheck>},
      },
      {},
      {1, kAnyNumber, "FILE"},
      finishIndex,
      runIndex,
  };
  return definition;
}

const Command& indexCommand() {
  static const DefinedCommand<IndexOptions> command(indexDefinition());
  return command;
}

}  // namespace otawrap
