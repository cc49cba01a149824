#include "commands/lint.h"

#include <cerrno>

#include "catalog/index_lint.h"
#include "codec/escape.h"
#include "codec/hex.h"
#include "app/index_document.h"
#include "app/index_findings.h"
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

std::string counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

int runLint(const LintOptions& options, Console console) {
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
