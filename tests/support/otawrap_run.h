// What the end-to-end tests share: the otawrap under test run in a temporary
// directory, the project's examples, and whole files as text. Header only:
// OTAWRAP_BINARY and OTAWRAP_VECTORS_DIR are the test executables' own.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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

// The lines of text, without their line ends.
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Every entry under root, relative, sorted; symlinks are not followed.
inline std::vector<std::string> tree(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    names.push_back(std::filesystem::relative(entry.path(), root).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace otawrap::test
