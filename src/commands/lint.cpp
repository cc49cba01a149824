#include "commands/lint.h"

#include <cerrno>

#include "catalog/lint.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "app/index_document.h"
#include "app/ota_input.h"
#include "ota/file_entries.h"
#include "report/info_report.h"
#include "report/json_writer.h"

namespace otawrap {

namespace {

bool isRemote(const std::string& url) {
  const auto starts = [&url](const char* scheme) { return url.rfind(scheme, 0) == 0; };
  return starts("http://") || starts("https://");
}

bool isAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() >= 2 && path[1] == ':');
}

std::string directoryOf(const std::string& path) {
  const std::size_t at = path.find_last_of("/\\");
  return at == std::string::npos ? "" : path.substr(0, at + 1);
}

std::string joinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  const char last = directory.back();
  return last == '/' || last == '\\' ? directory + name : directory + "/" + name;
}

// The last path segment of a URL, without query or fragment, %XX decoded.
std::string lastSegment(const std::string& url) {
  std::string path = url.substr(0, url.find_first_of("?#"));
  path = path.substr(path.find_last_of('/') + 1);
  std::string name;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size() && hexDigit(path[i + 1]) >= 0 && hexDigit(path[i + 2]) >= 0) {
      name += static_cast<char>(hexDigit(path[i + 1]) * 16 + hexDigit(path[i + 2]));
      i += 2;
    } else {
      name += path[i];
    }
  }
  return name;
}

// Where the entry's file is looked for; "" when it is not.
std::string filePath(const IndexEntry& e, const LintOptions& options) {
  if (isRemote(e.url)) {
    return options.filesDirectory.empty() ? "" : joinPath(options.filesDirectory, lastSegment(e.url));
  }
  if (isAbsolute(e.url)) return e.url;
  const std::string base = options.filesDirectory.empty() ? directoryOf(options.index) : options.filesDirectory;
  return joinPath(base, e.url);
}

IndexFileFacts factsOf(const std::string& path, const OtaInputOptions& options) {
  using State = IndexFileFacts::State;
  IndexFileFacts facts;
  if (path.empty()) return facts;
  OtaInput input;
  Problem problem{Failure::usage, "", "", 0};
  if (!openOtaInput(path, options, input, problem)) {
    facts.state = problem.failure == Failure::notOtaFile                                    ? State::notOtaFile
                  : problem.failure == Failure::cannotOpenInput && problem.osError == ENOENT ? State::missing
                                                                                             : State::unreadable;
    facts.failedCheck = commandMessage(problem);
    return facts;
  }
  facts.state = input.passes() ? State::read : State::failsCheck;
  if (!input.passes()) facts.failedCheck = commandMessage({Failure::unsoundOtaFile, input.firstFailure(), path, 0});
  const OtaIndexEntry entry = otaIndexEntry(input.bytes.data(), input.bytes.size(), input.info, path, path);
  facts.downloadSize = entry.fileSize;
  facts.totalImageSize = input.info.header.totalImageSize;
  facts.sha512 = entry.sha512;
  facts.manufacturerCode = entry.manufacturerCode;
  facts.imageType = entry.imageType;
  facts.fileVersion = entry.fileVersion;
  facts.hardwareVersionsPresent = entry.hardwareVersionsPresent;
  facts.hardwareVersionMin = entry.hardwareVersionMin;
  facts.hardwareVersionMax = entry.hardwareVersionMax;
  return facts;
}

const char* kindName(LintKind kind) {
  switch (kind) {
    case LintKind::fileMissing: return "fileMissing";
    case LintKind::fileUnreadable: return "fileUnreadable";
    case LintKind::notOtaFile: return "notOtaFile";
    case LintKind::failsCheck: return "failsCheck";
    case LintKind::sha512Mismatch: return "sha512Mismatch";
    case LintKind::sizeMismatch: return "sizeMismatch";
    case LintKind::identifierMismatch: return "identifierMismatch";
    case LintKind::hardwareRangeInverted: return "hardwareRangeInverted";
    case LintKind::fileVersionWindowEmpty: return "fileVersionWindowEmpty";
    case LintKind::neverAnUpgrade: return "neverAnUpgrade";
    case LintKind::duplicate: return "duplicate";
    case LintKind::collision: return "collision";
    case LintKind::shadowed: return "shadowed";
    case LintKind::partlyShadowed: return "partlyShadowed";
    case LintKind::hardwareRangeOverlap: return "hardwareRangeOverlap";
  }
  return "";
}

std::string findingText(const LintFinding& f, const IndexDocument& d, const std::string& path,
                        const IndexFileFacts& facts) {
  const std::string n = std::to_string(f.expected);
  const std::string a = std::to_string(f.actual);
  const std::string other = "entry " + std::to_string(f.other);
  const IndexEntry& o = d.entries[f.other];
  switch (f.kind) {
    case LintKind::fileMissing: return "file '" + path + "' not found";
    case LintKind::fileUnreadable:
    case LintKind::notOtaFile:
    case LintKind::failsCheck: return facts.failedCheck;
    case LintKind::sha512Mismatch: return "sha512 is not that of '" + path + "'";
    case LintKind::sizeMismatch:
      return "fileSize " + n + " is neither the file's length " + a + " nor its total image size " +
             std::to_string(facts.totalImageSize);
    case LintKind::identifierMismatch:
      return std::string(f.field) + " " + n + " differs from the file header's " + a;
    case LintKind::hardwareRangeInverted: return "hardwareVersionMin " + n + " is above hardwareVersionMax " + a;
    case LintKind::fileVersionWindowEmpty:
      return "minFileVersion " + n + " is above maxFileVersion " + a + ": no device is ever offered it";
    case LintKind::neverAnUpgrade:
      return "minFileVersion " + n + " is not below its fileVersion " + a +
             " and force is not set: no device is ever offered it";
    case LintKind::duplicate: return "lists the same file with the same identifiers as " + other;
    case LintKind::collision:
      return "same manufacturerCode, imageType and fileVersion as " + other + " (" + indexEntryLabel(o) +
             ") with a different file";
    case LintKind::shadowed:
      return "never offered by zigbee-herdsman: " + other + " (" + indexEntryLabel(o) +
             ") comes first and matches every device this one does";
    case LintKind::partlyShadowed:
      return other + " (" + indexEntryLabel(o) + ", fileVersion " + n +
             ") comes first and takes some devices this newer entry (fileVersion " + a + ") is for";
    case LintKind::hardwareRangeOverlap:
      return "its hardware range overlaps that of " + other + " (" + indexEntryLabel(o) + ")";
  }
  return "";
}

int runLint(const LintOptions& options, Console console) {
  IndexDocument document;
  Problem problem{Failure::usage, "", "", 0};
  if (!readIndexDocument(options.index, document, problem)) {
    return reportFailure(problem, console);
  }
  std::vector<std::string> paths;
  std::vector<IndexFileFacts> facts;
  for (const IndexEntry& e : document.entries) {
    paths.push_back(filePath(e, options));
    facts.push_back(factsOf(paths.back(), options.input));
  }
  const std::vector<LintFinding> findings = indexLint(document.entries, facts);
  for (const LintFinding& f : findings) {
    const std::string text = findingText(f, document, paths[f.entry], facts[f.entry]);
    const IndexEntry& e = document.entries[f.entry];
    if (options.json) {
      JsonWriter json;
      json.beginObject();
      json.stringMember("index", options.index);
      json.numberMember("entry", f.entry);
      json.stringMember("url", e.url);
      json.stringMember("finding", kindName(f.kind));
      if (f.kind >= LintKind::duplicate && f.kind <= LintKind::hardwareRangeOverlap) {
        json.numberMember("other", f.other);
      }
      json.stringMember("message", text);
      json.endObject();
      console.out << json.text() << '\n';
    } else {
      console.out << escapeControlCharacters(options.index + ": entry " + std::to_string(f.entry) + " (" +
                                             indexEntryLabel(e) + "): " + text)
                  << '\n';
    }
  }
  return finishOutput(console, findings.empty() ? Outcome::success : Outcome::wanting);
}

std::string storeFiles(const ParsedOption& given, LintOptions& options) {
  if (given.value.empty()) return "empty directory name for " + given.name;
  options.filesDirectory = given.value;
  return "";
}

std::string finishLint(const std::vector<std::string>& operands, LintOptions& options) {
  options.index = operands[0];
  return "";
}

}  // namespace

const CommandDefinition<LintOptions>& lintDefinition() {
  using O = LintOptions;
  static const CommandDefinition<O> definition = {
      {"lint", nullptr, CommandKind::judges, "INDEX [options]",
       "the faults of an OTA index and its files", "INDEX [--files DIR] [--json]",
       "Checks every entry of the OTA index INDEX (either format) against its file:\n"
       "present, sha512, fileSize, identifiers and hardware range as in the header,\n"
       "the checks of info; and the entries against each other as zigbee-herdsman\n"
       "selects them: duplicates, collisions, entries shadowed by earlier ones,\n"
       "inverted or overlapping hardware ranges, file-version windows no device\n"
       "falls in. One line per finding; nothing when there is none.\n",
       "Options:", "otawrap lint index.json --files images"},
      {
          {{'\0', "files", "DIR",
            "where the files of relative and http(s) urls are\n(default: beside INDEX; http(s) ones not looked at)"},
           storeFiles},
          {{'\0', "json", nullptr, "one JSON object per finding and line", true}, setFlag<O, &O::json>},
          {{'\0', "no-payload-check", nullptr, "identify the files' payloads but skip their checks",
            true},
           clearFlag<O, &O::input, &OtaInputOptions::payloadCheck>},
      },
      {},
      {1, 1, "INDEX"},
      finishLint,
      runLint,
  };
  return definition;
}

const Command& lintCommand() {
  static const DefinedCommand<LintOptions> command(lintDefinition());
  return command;
}

}  // namespace otawrap
