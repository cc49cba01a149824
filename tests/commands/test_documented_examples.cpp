// Every fenced example of README.md and docs/*.md that shows a command line
// ("$ " lines) runs as written and prints what it shows. Each document runs
// in a fresh directory holding examples/ and build/release/otawrap (the
// binary under test), its blocks in order, each command (with its "\"
// continuations) through /bin/sh with standard error merged into the output.
// A "..." line stands for any number of lines; an expected line ending in
// "(exit N)" also asks for that exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "entry/registry.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

namespace fs = std::filesystem;

struct Step {
  std::string command;
  std::vector<std::string> expected;
  int exitCode = -1;  // -1: any
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// The steps of a document's fenced blocks, in order.
std::vector<Step> stepsOf(const std::string& document) {
  std::vector<Step> steps;
  bool inBlock = false;
  bool showing = false;    // a command of this block came before
  bool continued = false;  // the last command line ended with a backslash
  for (const std::string& line : linesOf(document)) {
    if (line.rfind("```", 0) == 0) {
      inBlock = !inBlock;
      showing = false;
      continued = false;
    } else if (inBlock && (continued || line.rfind("$ ", 0) == 0)) {
      if (continued) {
        steps.back().command += "\n" + line;
      } else {
        steps.push_back({line.substr(2), {}});
      }
      showing = true;
      continued = !line.empty() && line.back() == '\\';
    } else if (inBlock && showing) {
      steps.back().expected.push_back(line);
    }
  }
  for (Step& step : steps) {
    std::vector<std::string>& expected = step.expected;
    while (!expected.empty() && expected.back().empty()) expected.pop_back();
    const std::size_t mark = expected.empty() ? std::string::npos : expected.back().rfind("(exit ");
    if (mark != std::string::npos && expected.back().back() == ')') {
      step.exitCode = std::stoi(expected.back().substr(mark + 6));
      expected.back().erase(expected.back().find_last_not_of(' ', mark - 1) + 1);
    }
  }
  return steps;
}

// Whether actual[a..] matches expected[e..], "..." matching any run of lines.
bool matches(const std::vector<std::string>& expected, std::size_t e,
             const std::vector<std::string>& actual, std::size_t a) {
  if (e == expected.size()) return a == actual.size();
  if (expected[e] == "...") {
    for (std::size_t skip = a; skip <= actual.size(); ++skip) {
      if (matches(expected, e + 1, actual, skip)) return true;
    }
    return false;
  }
  return a < actual.size() && actual[a] == expected[e] && matches(expected, e + 1, actual, a + 1);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  | " + line + "\n";
  return text;
}

TEST(DocumentedExamples, RunAndPrintWhatTheyShow) {
  const fs::path top = fs::path(OTAWRAP_DOCS_DIR).parent_path();
  std::vector<fs::path> documents = {top / "README.md"};
  for (const auto& entry : fs::directory_iterator(top / "docs")) {
    if (entry.path().extension() == ".md") documents.push_back(entry.path());
  }
  std::sort(documents.begin() + 1, documents.end());
  std::size_t ran = 0;
  for (const fs::path& document : documents) {
    SCOPED_TRACE(document.filename().string());
    test::TempDirectory dir;
    fs::create_directory_symlink(top / "examples", dir.file("examples"));
    fs::create_directories(dir.file("build/release"));
    fs::create_symlink(fs::absolute(OTAWRAP_BINARY), dir.file("build/release/otawrap"));
    int status = 0;
    for (const Step& step : stepsOf(test::readText(document.string()))) {
      const test::ProcessResult run = test::runProcess(
          "/bin/sh", {"-c", "exec 2>&1; (exit " + std::to_string(status) + "); " + step.command},
          dir.path());
      status = run.exitCode;
      const std::vector<std::string> actual = linesOf(run.output);
      EXPECT_TRUE(matches(step.expected, 0, actual, 0))
          << "$ " << step.command << "\nshows:\n" << joined(step.expected) << "prints:\n" << joined(actual);
      if (step.exitCode >= 0) {
        EXPECT_EQ(status, step.exitCode) << step.command;
      }
      ++ran;
    }
  }
  EXPECT_GT(ran, 50u);
}

// The lists of command words in docs/commands.md (its synopsis block and the
// words a raw file is named like) and in the man page's legacy section name
// every command.
TEST(DocumentedExamples, CommandWordListsNameEveryCommand) {
  const std::string reference = test::readText(std::string(OTAWRAP_DOCS_DIR) + "/commands.md");
  const std::string page = test::readText(std::string(OTAWRAP_DOCS_DIR) + "/otawrap.1");
  const auto between = [](const std::string& text, const std::string& from, const std::string& to) {
    const std::size_t start = text.find(from);
    EXPECT_NE(start, std::string::npos) << from;
    return start == std::string::npos ? "" : text.substr(start, text.find(to, start) - start);
  };
  const std::string synopsis = between(reference, "```\n", "\n```");
  const std::string named = between(reference, "literally named like a command (", ")");
  const std::string legacy = between(page, "first argument is not a command word", "\nnor");
  for (const Command* command : allCommands()) {
    const std::string name = command->text().name;
    EXPECT_NE(synopsis.find("otawrap " + name + " "), std::string::npos) << name;
    EXPECT_NE(named.find("`" + name + "`"), std::string::npos) << name;
    EXPECT_NE(legacy.find(" " + name + " "), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace otawrap
