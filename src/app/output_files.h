// The one way commands write files: name the file, stage it, print the
// report, then publish. A run whose report cannot be written (standard
// output closed or full) leaves no file behind, so every failure of a
// writing command, the report included, writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "app/failure.h"
#include "app/file_settings.h"
#include "io/output.h"

namespace otawrap {

// The failure a writer's result stands for (whenExists for a taken name);
// the result must not be ok.
Problem outputProblem(const OutputResult& result, Failure whenExists = Failure::outputExists);

// Prints report on standard output (nothing for the legacy form, which
// prints nothing on success), and publishes run's staged files only once it
// is flushed. Returns the exit code, any failure reported in style; when it
// is not 0, run has removed what it wrote. Failures are reported as the
// console's kind of command does.
int reportAndPublish(OutputRun& run, const std::string& report, const Console& console,
                     Failure whenExists = Failure::outputExists);

// Builds the text a command prints for the path it wrote ("" for none).
using OutputReport = std::function<std::string(const std::string& path)>;

// Stages data[0..size) in run for choice as writeOutputAndReport does (not
// for "-"): path is set to the target's path. False with problem set when
// the path is too long, the name cannot be made here or staging failed;
// nothing of this file is left in run then.
bool stageOutput(OutputRun& run, const OutputChoice& choice, const std::string& defaultName,
                 const std::uint8_t* data, std::size_t size, std::string& path,
                 Problem& problem);

// Writes data[0..size) for convert, build, normalize, restamp, extract --tag
// and the legacy form: to choice.file, or to defaultName in choice.directory
// (created when missing, except in the legacy form, whose directory must
// exist); an existing regular file or symlink replaced whole (refused with
// choice.noClobber, as is any entry there), then prints report(path) and
// publishes as reportAndPublish does. A choice.file of "-" (not in the legacy form)
// writes the bytes to standard output instead, without a report. Returns
// the exit code.
int writeOutputAndReport(const OutputChoice& choice, const std::string& defaultName,
                         const std::uint8_t* data, std::size_t size, const OutputReport& report,
                         Console console);

}  // namespace otawrap
