#include "commands/output_files.h"

#include "commands/conversion.h"

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

int reportAndPublish(OutputRun& run, const std::string& report, Console console,
                     MessageStyle style, Failure whenExists) {
  if (style == MessageStyle::command) {
    console.out << report;
    const int exitCode = finishOutput(console, kExitSuccess);
    if (exitCode != kExitSuccess) return exitCode;  // run removes its files
  }
  const OutputResult published = run.publish();
  if (published.status != OutputStatus::ok) {
    return reportFailure(outputProblem(published, whenExists), style, console);
  }
  return kExitSuccess;
}

int writeOutputAndReport(const OutputChoice& choice, const std::string& defaultName,
                         const std::uint8_t* data, std::size_t size, const OutputReport& report,
                         Console console, MessageStyle style) {
  const OutputTarget target = choice.file.empty() ? OutputTarget{choice.directory, defaultName}
                                                  : outputTargetOf(choice.file);
  const std::string path = target.path();
  if (path.size() >= kPathBufferSize) {
    return reportFailure({Failure::outputPathTooLong, "", path, 0}, style, console);
  }
  if (choice.file.empty() && !fsNameAllowed(defaultName)) {
    return reportFailure({Failure::nameNotCreatable, "", defaultName, 0}, style, console);
  }
  // Only the directory of -o DIR is created, and never by the legacy form.
  const bool create = choice.file.empty() && style == MessageStyle::command;
  OutputRun run(choice.noClobber ? FsPublish::exclusive : FsPublish::replace,
                create ? OutputDirectories::create : OutputDirectories::mustExist);
  const OutputResult staged = run.stage(target, data, size);
  if (staged.status != OutputStatus::ok) {
    return reportFailure(outputProblem(staged, Failure::outputKept), style, console);
  }
  return reportAndPublish(run, report ? report(path) : std::string(), console, style,
                          Failure::outputKept);
}

}  // namespace otawrap
