// What the end-to-end tests share: the otawrap under test run in a temporary
// directory, the project's examples, and whole files as text. Header only:
// OTAWRAP_BINARY and OTAWRAP_VECTORS_DIR are the test executables' own.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/process_runner.h"
#include "support/temp_directory.h"

namespace otawrap::test {

// Runs the otawrap under test with arguments in dir.
inline ProcessResult runOtawrap(const TempDirectory& dir, const std::vector<std::string>& arguments,
                                const ProcessOptions& options = {}) {
  return runProcess(OTAWRAP_BINARY, arguments, dir.path(), options);
}

// The same with standard output captured, closed or unread.
inline ProcessResult runOtawrap(const TempDirectory& dir, const std::vector<std::string>& arguments,
                                StandardOutput standardOutput) {
  ProcessOptions options;
  options.standardOutput = standardOutput;
  return runOtawrap(dir, arguments, options);
}

// The project's examples/ directory, ending with a separator.
inline std::string examplesDir() { return std::string(OTAWRAP_VECTORS_DIR) + "/../../examples/"; }

// The whole file at path ("" when it cannot be read).
inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file at path with text.
inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace otawrap::test
