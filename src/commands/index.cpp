#include "commands/index.h"

#include <algorithm>
#include <set>

#include "app/file_options.h"
#include "catalog/index_merge.h"
#include "catalog/index_lint.h"
#include "catalog/json_layout.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "cli/values.h"
#include "app/batch.h"
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

// A path below the URL prefix, each segment percent-encoded.
std::string percentEncodedPath(const std::string& path) {
  std::string out;
  for (std::size_t from = 0;;) {
    const std::size_t to = path.find('/', from);
    out += percentEncoded(path.substr(from, to - from));
    if (to == std::string::npos) return out;
    out += '/';
    from = to + 1;
  }
}

// The metadata for the OTA file at path: the command line's over that of its
// metadata file, when there is one. False with problem set when that file
// cannot be read or is not valid. Any entry at the name stands for a
// metadata file: a FIFO, a dangling link or a loop of links is refused,
// never passed over.
bool fileMetadata(const std::string& path, const IndexMetadata& commandLine, IndexMetadata& metadata,
                  Problem& problem) {
  metadata = commandLine;
  const std::string sidecar = path + kSidecarSuffix;
  if (fsEntryKind(sidecar) == FsEntryKind::none) return true;
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
                const std::string& where, const Console& console) {
  for (const LintFinding& f : indexLint(entries, {}, format).findings) {
    if (!isNew[f.entry] && !(lintKindNamesOther(f.kind) && isNew[f.other])) continue;
    console.err << "otawrap: warning: "
                << escapeControlCharacters(where + lintFindingLine(f, entries, format, "", IndexFileFacts{}))
                << '\n';
  }
}

// "index.json: 2 added, 1 replaced, 340 kept" (and dropped when any).
std::string mergeSummary(const std::string& path, const IndexMergeCounts& counts) {
  std::string text = path + ": " + std::to_string(counts.added) + " added, " +
                     std::to_string(counts.replaced) + " replaced, " + std::to_string(counts.kept) +
                     " kept";
  if (counts.dropped > 0) text += ", " + std::to_string(counts.dropped) + " dropped";
  return escapeControlCharacters(text);
}

// Merges items into the index at path, laid out as its first entry is, and
// writes it back whole; then the summary line.
int updateIndex(const std::string& path, const IndexOptions& options,
                std::vector<IndexMergeItem> items, const Console& console) {
  IndexDocument document;
  Problem problem{Failure::usage, "", "", 0};
  if (!readIndexDocument(path, document, problem)) {
    return reportFailure(problem, console);
  }
  if (!document.entries.empty() && document.format != options.metadata.format) {
    const bool zigpy = document.format == IndexFormat::zigpy;
    return reportFailure({Failure::indexInvalid, std::string("it is in the ") +
                              (zigpy ? "zigpy format; give --format zigpy" : "zigbee-herdsman format; give --format herdsman") +
                              " to match it", path, 0},
                         console);
  }
  if (!document.entries.empty()) {
    const IndexEntry& first = document.entries.front();
    const JsonLayout layout = jsonLayoutOf(document.text, first.begin, first.end);
    for (IndexMergeItem& item : items) item.text = jsonLaidOut(item.text, layout);
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
  const int code = writeOutputAndReport({"", path}, "", reinterpret_cast<const std::uint8_t*>(merged.data()),
                                        merged.size(), nullptr, console);
  if (code == kExitSuccess) console.err << mergeSummary(path, counts) << '\n';
  return code;
}

// The entry of one file (compact JSON in item). False with problem set when
// the file is refused.
bool indexFile(const BatchFile& file, const IndexOptions& options, IndexMergeItem& item,
               IndexEntry& entry, Problem& problem) {
  const std::string& path = file.path;
  OtaInput input;
  if (!openSoundOtaInput(path, options.input, input, problem)) return false;
  IndexMetadata metadata;
  if (!fileMetadata(path, options.metadata, metadata, problem)) return false;
  const std::string name = baseName(path);
  // The entry names the file exactly or not at all: the URL is the prefix
  // and the encoded path below the directory walked (or the name), or else
  // the path as given.
  const std::string below = file.relative.empty() ? name : file.relative;
  const char* fault = indexTextFault(options.urlPrefixGiven ? below : path);
  if (fault != nullptr) {
    problem = {Failure::nameNotIndexable, fault, path, 0};
    return false;
  }
  const std::string url =
      options.urlPrefixGiven ? indexJoinUrl(options.urlPrefix, percentEncodedPath(below)) : path;
  const OtaIndexEntry found = otaIndexEntry(input.bytes.data(), input.bytes.size(), input.info, name, url);
  entry = indexEntryOf(found, input.info.header.totalImageSize, metadata);
  // The metadata's words are herdsman's, whichever format is written.
  std::vector<LintFinding> faults;
  indexEntryFaults(entry, 0, faults);
  if (!faults.empty()) {
    const std::string detail = lintFindingText(faults[0], {entry}, IndexFormat::herdsman, path, IndexFileFacts{});
    problem = {Failure::metadataRefused, detail, path, 0};
    return false;
  }
  item = {found.manufacturerCode, found.imageType, found.fileVersion,
          indexEntryJson(entry, options.metadata.format)};
  return true;
}

// A file the walk found that is no OTA file: named as skipped, unless it is
// the metadata file of a file beside it.
void reportSkipped(const BatchFile& file, const std::set<std::string>& walked, const Console& console) {
  const std::string& path = file.path;
  const std::size_t suffix = sizeof kSidecarSuffix - 1;
  if (path.size() > suffix && path.compare(path.size() - suffix, suffix, kSidecarSuffix) == 0 &&
      walked.count(path.substr(0, path.size() - suffix)) != 0) {
    return;
  }
  console.err << "otawrap: " << escapeControlCharacters("skipped '" + path + "': not an OTA file")
              << '\n';
}

int runIndex(const IndexOptions& options, const Console& console) {
  const std::vector<BatchFile> files = batchFiles(options.files, options.recursive);
  std::set<std::string> walked;
  for (const BatchFile& file : files) {
    if (!file.relative.empty()) walked.insert(file.path);
  }
  std::vector<IndexMergeItem> items;
  std::vector<IndexEntry> entries;
  int refused = kExitSuccess;  // the worst exit code of a refused file
  for (const BatchFile& file : files) {
    Problem problem{Failure::usage, "", "", 0};
    IndexMergeItem item;
    IndexEntry entry;
    if (file.walkError != 0) {
      problem = walkProblem(file);
    } else if (indexFile(file, options, item, entry, problem)) {
      items.push_back(std::move(item));
      entries.push_back(std::move(entry));
      continue;
    } else if (!file.relative.empty() && problem.failure == Failure::notOtaFile) {
      reportSkipped(file, walked, console);
      continue;
    }
    refused = std::max(refused, reportFailure(problem, console));
  }
  if (refused != kExitSuccess && !options.keepGoing) return refused;
  if (!options.update.empty()) {
    return std::max(refused, updateIndex(options.update, options, std::move(items), console));
  }
  warnAsLint(entries, std::vector<bool>(entries.size(), true), options.metadata.format, "", console);
  std::string text = "[";
  for (const IndexMergeItem& item : items) text += (text.size() > 1 ? "," : "") + item.text;
  text += "]";
  if (options.indent > 0) text = jsonLaidOut(text, jsonIndentLayout(options.indent));
  console.out << text << "\n";
  return std::max(refused, finishOutput(console, kExitSuccess));
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

std::string storeManufacturerName(const ParsedOption& given, O& options) {
  if (given.value.empty()) return "empty value for " + given.name;
  if (!options.metadata.manufacturerNames) options.metadata.manufacturerNames.emplace();
  options.metadata.manufacturerNames->push_back(given.value);
  return "";
}

std::string storeIndent(const ParsedOption& given, O& options) {
  const std::string& text = given.value;
  const bool digits = !text.empty() && text.size() <= 2 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const std::size_t spaces = digits ? std::stoul(text) : 0;
  if (spaces < 1 || spaces > 10) {
    return "invalid value '" + text + "' for " + given.name + ": 1 to 10 spaces expected";
  }
  options.indent = spaces;
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
       "FILE... [--recursive] [--keep-going] [--format herdsman|zigpy] [--url-prefix URL]\n"
       "      [--update INDEX.json | --indent N] [--file-size total-image|download]\n"
       "      [metadata options]",
       "Prints a JSON array with one OTA index entry per file. herdsman (the default):\n"
       "zigbee-herdsman's entries: fileName, fileVersion, fileSize, url, imageType,\n"
       "manufacturerCode, sha512, otaHeaderString and the hardware range when present,\n"
       "then the metadata options' fields. zigpy: the fw_binary_url, fw_file_version,\n"
       "fw_filesize, fw_image_type, fw_manufacturer_id list zigpy's update-URL\n"
       "provider reads. Every file must pass the checks of info: each refused file\n"
       "is named and nothing is printed, or with --keep-going the others' entries\n"
       "are (exit 1). With --recursive a directory FILE stands for every OTA file\n"
       "below it in path order (other files are named as skipped) and --url-prefix\n"
       "adds the path below it. With --update the entries replace those of the\n"
       "same identifiers and version in that index, laid out as its entries are,\n"
       "the others are kept byte for byte, and a summary line follows on standard\n"
       "error. A file FILE.meta.json beside FILE gives\n"
       "that file's metadata: a JSON object with the entry's own keys (modelId,\n"
       "manufacturerName, minFileVersion, maxFileVersion, hardwareVersionMin,\n"
       "hardwareVersionMax, releaseNotes, originalUrl, force); a metadata option\n"
       "given on the command line wins over the same key. The zigpy format has no\n"
       "field for them: metadata files are checked, not written.\n",
       "Options:", "otawrap index *.zigbee --url-prefix https://example.com/ota"},
      {
          {{'r', "recursive", nullptr, "index every OTA file below a directory FILE", true},
           setFlag<O, &O::recursive>},
          {{'\0', "keep-going", nullptr, "write the entries of the files that pass (exit 1\nif any is refused)",
            true},
           setFlag<O, &O::keepGoing>},
          {{'\0', "format", "NAME", "herdsman (default) or zigpy", false, "herdsman zigpy"}, storeFormat},
          {{'\0', "url-prefix", "URL",
            "url is URL, one '/', and the path below the directory\nwalked or the file name (default: the path as given)"},
           storeUrlPrefix},
          {{'\0', "update", "INDEX", "merge into the index INDEX instead of printing"},
           setValue<O, &O::update>},
          {{'\0', "indent", "N", "print the new index pretty, N spaces a level (1 to 10)"}, storeIndent},
          {{'\0', "file-size", "KIND",
            "fileSize: download (the file's length, default)\nor total-image (the header's total image size)"},
           storeFileSize},
          {{'\0', "model-id", "TEXT", "modelId: only devices of that model"},
           setValue<O, &O::metadata, &IndexMetadata::modelId>},
          {{'\0', "manufacturer-name", "TEXT", "an element of manufacturerName (repeatable)", true},
           storeManufacturerName},
          {{'\0', "min-file-version", "HEX", "minFileVersion: devices from that version on"},
           setHex<O, 8, &O::metadata, &IndexMetadata::minFileVersion>},
          {{'\0', "max-file-version", "HEX", "maxFileVersion: devices up to that version"},
           setHex<O, 8, &O::metadata, &IndexMetadata::maxFileVersion>},
          {{'\0', "min-hw-version", "HEX", "hardwareVersionMin instead of the header's"},
           setHex<O, 4, &O::metadata, &IndexMetadata::hardwareVersionMin>},
          {{'\0', "max-hw-version", "HEX", "hardwareVersionMax instead of the header's"},
           setHex<O, 4, &O::metadata, &IndexMetadata::hardwareVersionMax>},
          {{'\0', "release-notes", "TEXT", "releaseNotes"},
           setText<O, &O::metadata, &IndexMetadata::releaseNotes>},
          {{'\0', "original-url", "URL", "originalUrl"},
           setText<O, &O::metadata, &IndexMetadata::originalUrl>},
          {{'\0', "force", nullptr, "force: offered whatever the device's version"},
           setFlag<O, &O::metadata, &IndexMetadata::force>},
          payloadCheckRow<O>(),
      },
      {{{"update", "indent"}}},
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
