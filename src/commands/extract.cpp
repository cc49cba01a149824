#include "commands/extract.h"

#include <optional>
#include <vector>

#include "app/file_options.h"
#include "app/output_files.h"
#include "cli/values.h"
#include "codec/hex.h"
#include "io/file_system.h"
#include "ota/file_entries.h"

namespace otawrap {

namespace {

// The checks extraction depends on: where the sub-elements are.
constexpr OtaCheckId kStructure[] = {OtaCheckId::headerLength, OtaCheckId::subElementChain};

const std::uint8_t* dataOf(const OtaInput& input, const OtaSubElement& element) {
  return input.file() + element.dataOffset();
}

// Stages every sub-element as a new file in the output directory. Any entry
// at a name (a dangling symlink, an unreadable file) stops the run before
// anything is written, and publishing never replaces one that appears
// meanwhile.
bool stageAll(const ExtractOptions& options, const OtaInput& input, OutputRun& run,
              std::string& report, Problem& problem) {
  const OtaFileInfo& info = input.info;
  if (info.subElementCount > info.subElements.size()) {
    problem = {Failure::tooManySubElements, "", options.file, 0};
    return false;
  }
  std::vector<OutputTarget> targets;
  for (std::size_t i = 0; i < info.subElements.size(); ++i) {
    targets.push_back({options.outputDirectory, otaSubElementFileName(i, info.subElements[i].tag)});
    if (fsEntryKind(targets.back().path()) != FsEntryKind::none) {
      problem = {Failure::outputExists, "", targets.back().path(), 0};
      return false;
    }
  }
  const OutputResult directory = run.makeDirectory(options.outputDirectory);
  if (directory.status != OutputStatus::ok) {
    problem = outputProblem(directory);
    return false;
  }
  for (std::size_t i = 0; i < info.subElements.size(); ++i) {
    const OtaSubElement& element = info.subElements[i];
    const OutputResult staged = run.stage(targets[i], dataOf(input, element), element.length);
    if (staged.status != OutputStatus::ok) {
      problem = outputProblem(staged);
      return false;
    }
    report += targets[i].path() + "\n";
  }
  return true;
}

int runExtract(const ExtractOptions& options, const Console& console) {
  const auto fail = [&](const Problem& problem) {
    return reportFailure(problem, console);
  };
  OtaInput input;
  Problem problem{Failure::usage, "", "", 0};
  if (!options.force) {
    if (!openSoundOtaInput(options.file, options.input, input, problem)) return fail(problem);
  } else if (!openOtaInput(options.file, options.input, input, problem)) {
    return fail(problem);
  }
  for (const OtaCheckId id : kStructure) {
    if (input.info.check(id).state == OtaCheckState::failed) {
      return fail({Failure::unsoundOtaFile, failedCheckText(input.info, id), options.file, 0});
    }
  }
  if (options.tagGiven) {
    const std::optional<OtaSubElement> element =
        otaFindSubElement(input.file(), input.info, options.tag);
    if (!element) {
      return fail({Failure::tagNotFound, "0x" + hexUpper(options.tag, 4), options.file, 0});
    }
    const OutputReport report = [&](const std::string& path) {
      return options.quiet ? std::string() : path + "\n";
    };
    return writeOutputAndReport({"", options.outputFile, options.noClobber}, "",
                                dataOf(input, *element), element->length, report, console);
  }
  OutputRun run(FsPublish::exclusive);
  std::string report;
  if (!stageAll(options, input, run, report, problem)) return fail(problem);
  return reportAndPublish(run, options.quiet ? "" : report, console);
}

std::string storeTag(const ParsedOption& given, ExtractOptions& options) {
  options.tagGiven = true;
  return parseTag(given.name, given.value, options.tag);
}

std::string finishExtract(const std::vector<std::string>& operands, ExtractOptions& options) {
  options.file = operands[0];
  const bool one = options.tagGiven || !options.outputFile.empty();
  if (one && !options.outputDirectory.empty()) {
    return "--output-dir extracts every sub-element; not with --tag or --output";
  }
  if (one && (!options.tagGiven || options.outputFile.empty())) {
    return "--tag and --output go together";
  }
  if (!one && options.outputDirectory.empty()) {
    return "missing --tag TAG --output FILE or --output-dir DIR";
  }
  return "";
}

}  // namespace

const CommandDefinition<ExtractOptions>& extractDefinition() {
  using O = ExtractOptions;
  static const CommandDefinition<O> definition = {
      {"extract", nullptr, CommandKind::makes, "FILE [options]",
       "sub-elements of an OTA file as files", "FILE (--tag TAG --output OUT | --output-dir DIR)",
       "Writes the data of the first sub-element with tag TAG to OUT, or of every\n"
       "sub-element to DIR/<index>-<tag>.bin (00-0000.bin, 01-F00D.bin, ...), and\n"
       "prints the paths. A vendor header before the OTA file identifier is skipped.\n"
       "A file that fails a check of info is refused unless --force is given.\n",
       "Options:", "otawrap extract 1234-0101-00000001.zigbee --output-dir parts"},
      {
          {{'\0', "tag", "TAG", "the tag, 1 to 4 hex digits (0x optional)"}, storeTag},
          {{'\0', "output", "OUT", "the file for the tag's data"}, setFile<O, &O::outputFile>},
          {{'o', "output-dir", "DIR", "every sub-element into DIR, created when missing"},
           setDirectory<O, &O::outputDirectory>},
          {{'\0', "no-clobber", nullptr,
            "refuse to replace an existing OUT (DIR's files never are)", true},
           setFlag<O, &O::noClobber>},
          {{'q', "quiet", nullptr, "print nothing on success", true}, setFlag<O, &O::quiet>},
          {{'\0', "force", nullptr,
            "extract from a file that fails a check, as long as\nits sub-element chain is sound",
            true},
           setFlag<O, &O::force>},
          payloadCheckRow<O>(),
      },
      {},
      {1, 1, "FILE"},
      finishExtract,
      runExtract,
  };
  return definition;
}

const Command& extractCommand() {
  static const DefinedCommand<ExtractOptions> command(extractDefinition());
  return command;
}

}  // namespace otawrap
