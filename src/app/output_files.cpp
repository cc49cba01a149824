#include "app/output_files.h"

#include "app/convert_run.h"

namespace otawrap {

Problem outputProblem(const OutputResult& result, Failure whenExists) {
  Failure failure = Failure::cannotWriteOutput;
  switch (result.status) {
    case OutputStatus::cannotCreateDirectory:
      failure = Failure::cannotCreateDirectory;
      break;
    case OutputStatus::notRegularFile:
      failure = Failure::outputNotRegular;
      break;
    case OutputStatus::exists:
      failure = whenExists;
      break;
    case OutputStatus::cannotCreate:
      failure = Failure::cannotOpenOutput;
      break;
    case OutputStatus::ok:
    case OutputStatus::cannotWrite:
      break;
  }
  return {failure, "", result.failedPath, result.osError};
}

int reportAndPublish(OutputRun& run, const std::string& report, const Console& console,
                     Failure whenExists) {
  const bool legacy = console.kind == CommandKind::legacy;
  if (!legacy) {
    console.out << report;
    const int exitCode = finishOutput(console, kExitSuccess);
    if (exitCode != kExitSuccess) return exitCode;  // run removes its files
  }
  const OutputResult published = run.publish();
  if (published.status != OutputStatus::ok) {
    return reportFailure(outputProblem(published, whenExists), console);
  }
  return kExitSuccess;
}

bool stageOutput(OutputRun& run, const OutputChoice& choice, const std::string& defaultName,
                 const std::uint8_t* data, std::size_t size, std::string& path,
                 Problem& problem) {
  const OutputTarget target = choice.file.empty() ? OutputTarget{choice.directory, defaultName}
                                                  : outputTargetOf(choice.file);
  path = target.path();
  if (path.size() >= kPathBufferSize) {
    problem = {Failure::outputPathTooLong, "", path, 0};
    return false;
  }
  if (choice.file.empty() && !fsNameAllowed(defaultName)) {
    problem = {Failure::nameNotCreatable, "", defaultName, 0};
    return false;
  }
  const OutputResult staged = run.stage(target, data, size);
  if (staged.status != OutputStatus::ok) {
    problem = outputProblem(staged, Failure::outputKept);
    return false;
  }
  return true;
}

int writeOutputAndReport(const OutputChoice& choice, const std::string& defaultName,
                         const std::uint8_t* data, std::size_t size, const OutputReport& report,
                         Console console) {
  const bool legacy = console.kind == CommandKind::legacy;
  if (!legacy && choice.file == kStandardOutputName) {
    // The bytes are complete before the first one is written, so a failed
    // command never leaves part of a file on standard output. Subcommands
    // run with standard output in binary mode (main), so no byte changes.
    console.out.write(reinterpret_cast<const char*>(data), size);
    return finishOutput(console, kExitSuccess);
  }
  // Only the directory of -o DIR is created, and never by the legacy form.
  const bool create = choice.file.empty() && !legacy;
  OutputRun run(choice.noClobber ? FsPublish::exclusive : FsPublish::replace,
                create ? OutputDirectories::create : OutputDirectories::mustExist);
  std::string path;
  Problem problem{Failure::usage, "", "", 0};
  if (!stageOutput(run, choice, defaultName, data, size, path, problem)) {
    return reportFailure(problem, console);
  }
  return reportAndPublish(run, report ? report(path) : std::string(), console, Failure::outputKept);
}

}  // namespace otawrap
