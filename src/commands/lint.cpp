#include "commands/lint.h"

#include <cerrno>

#include "app/file_options.h"
#include "catalog/index_lint.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "app/index_document.h"
#include "app/index_findings.h"
#include "app/ota_input.h"
#include "io/file_system.h"
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

// The path segments of a URL after its host, without query or fragment,
// each %XX decoded.
std::vector<std::string> urlSegments(const std::string& url) {
  const std::string whole = url.substr(0, url.find_first_of("?#"));
  const std::size_t scheme = whole.find("://");
  const std::size_t host = scheme == std::string::npos ? std::string::npos : whole.find('/', scheme + 3);
  std::vector<std::string> segments;
  if (host == std::string::npos) return segments;
  for (std::size_t from = host + 1;;) {
    const std::size_t to = whole.find('/', from);
    const std::string segment = whole.substr(from, to - from);
    std::string name;
    for (std::size_t i = 0; i < segment.size(); ++i) {
      if (segment[i] == '%' && i + 2 < segment.size() && hexDigit(segment[i + 1]) >= 0 &&
          hexDigit(segment[i + 2]) >= 0) {
        name += static_cast<char>(hexDigit(segment[i + 1]) * 16 + hexDigit(segment[i + 2]));
        i += 2;
      } else {
        name += segment[i];
      }
    }
    segments.push_back(name);
    if (to == std::string::npos) return segments;
    from = to + 1;
  }
}

// A segment that can stand for a directory under --files DIR: a plain name.
bool plainName(const std::string& segment) {
  return !segment.empty() && segment != "." && segment != ".." &&
         segment.find_first_of("/\\") == std::string::npos;
}

// Where a remote url's file is under directory: the longest run of the url's
// last path segments that names an entry there (a tree served as it is, as
// index --recursive lists it), else the last segment alone.
std::string remoteFilePath(const std::string& url, const std::string& directory) {
  const std::vector<std::string> segments = urlSegments(url);
  if (segments.empty()) return joinPath(directory, "");
  std::size_t first = segments.size() - 1;
  while (first > 0 && plainName(segments[first - 1])) --first;
  for (; first + 1 < segments.size(); ++first) {
    std::string below;
    for (std::size_t i = first; i < segments.size(); ++i) below += (below.empty() ? "" : "/") + segments[i];
    std::string path = joinPath(directory, below);
    if (fsEntryKind(path) != FsEntryKind::none) return path;
  }
  return joinPath(directory, segments.back());
}

// Where the entry's file is looked for; "" when it is not.
std::string filePath(const IndexEntry& e, const LintOptions& options) {
  if (isRemote(e.url)) {
    return options.filesDirectory.empty() ? "" : remoteFilePath(e.url, options.filesDirectory);
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

std::string counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

int runLint(const LintOptions& options, const Console& console) {
  IndexDocument document;
  Problem problem{Failure::usage, "", "", 0};
  if (!readIndexDocument(options.index, document, problem)) {
    Console reading = console;
    reading.directoryHint = "lint reads an index file; its files' directory goes to --files DIR";
    return reportFailure(problem, reading);
  }
  std::string().swap(document.text);  // the entries hold what lint needs
  std::vector<std::string> paths;
  std::vector<IndexFileFacts> facts;
  bool remoteNotLooked = false;
  for (const IndexEntry& e : document.entries) {
    paths.push_back(filePath(e, options));
    facts.push_back(factsOf(paths.back(), options.input));
    remoteNotLooked = remoteNotLooked || paths.back().empty();
  }
  const LintReport report = indexLint(document.entries, facts, document.format);
  for (const LintFinding& f : report.findings) {
    const std::string& path = paths[f.entry];
    if (options.json) {
      JsonWriter json;
      json.beginObject();
      json.stringMember("index", options.index);
      json.numberMember("entry", f.entry);
      json.stringMember("url", document.entries[f.entry].url);
      json.stringMember("consumer", indexConsumerName(document.format));
      json.stringMember("finding", lintKindName(f.kind));
      if (lintKindNamesOther(f.kind)) json.numberMember("other", f.other);
      json.stringMember("message", lintFindingText(f, document.entries, document.format, path, facts[f.entry]));
      json.endObject();
      console.out << json.text() << '\n';
    } else {
      console.out << escapeControlCharacters(options.index + ": " +
                                             lintFindingLine(f, document.entries, document.format, path,
                                                             facts[f.entry]))
                  << '\n';
    }
  }
  std::string summary = counted(document.entries.size(), "entry", "entries") + ", " +
                        counted(report.findings.size(), "fault", "faults");
  if (report.uncompared > 0) {
    summary += "; " + counted(report.uncompared, "entry", "entries") +
               " not compared with all earlier ones (work budget)";
  }
  if (remoteNotLooked) summary += "; files not checked: give --files DIR";
  console.out.flush();  // the summary after the findings, also on one terminal
  console.err << summary << '\n';
  return finishOutput(console, report.findings.empty() ? Outcome::success : Outcome::wanting);
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
       "the checks of info; each entry on its own: inverted hardware ranges,\n"
       "file-version windows no device falls in, control characters; and the\n"
       "entries against each other as the consumer of the format selects them\n"
       "(zigbee-herdsman: the first match; zigpy: the last entry of a key):\n"
       "duplicates, collisions, entries never offered. One line per finding, each\n"
       "naming the consumer; then a summary line on standard error.\n",
       "Options:", "otawrap lint index.json --files images"},
      {
          {{'\0', "files", "DIR",
            "where the files of relative and http(s) urls are\n(default: beside INDEX; http(s) ones not looked at)"},
           storeFiles},
          {{'\0', "json", nullptr, "one JSON object per finding and line", true}, setFlag<O, &O::json>},
          payloadCheckRow<O>("identify the files' payloads but skip their checks"),
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
