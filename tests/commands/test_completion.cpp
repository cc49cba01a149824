// The completion scripts come from the definitions: every command word and every
// option of it is offered, choices and directories after the options that
// take them, and each script is valid for its shell (zsh's only where zsh is
// installed), as `otawrap completion SHELL` prints them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/values.h"
#include "entry/completion.h"
#include "entry/registry.h"
#include "support/process_runner.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

TEST(Completion, OffersEveryCommandAndOption) {
  const std::string scripts[] = {bashCompletionScript(), zshCompletionScript()};
  for (const std::string& script : scripts) {
    for (const Command* command : allCommands()) {
      EXPECT_NE(script.find(command->text().name), std::string::npos) << command->text().name;
      for (const OptionDefinition& option : command->options()) {
        EXPECT_NE(script.find(std::string("--") + option.longName), std::string::npos) << option.longName;
        if (option.shortName != '\0') {
          EXPECT_NE(script.find(std::string("-") + option.shortName), std::string::npos);
        }
      }
    }
  }
}

// Every value offered is one the option's store takes, and the platforms
// offered are all there are.
TEST(Completion, ChoicesAreValuesTheCommandsTake) {
  std::string platforms;
  for (const PlatformName& p : kPlatformNames) platforms += std::string(platforms.empty() ? "" : " ") + p.name;
  EXPECT_EQ(platforms, kPlatformChoices);
  for (const Command* command : allCommands()) {
    for (const OptionDefinition& option : command->options()) {
      if (option.choices == nullptr) continue;
      std::string rest = option.choices;
      while (!rest.empty()) {
        const std::string value = rest.substr(0, rest.find(' '));
        rest = rest.size() > value.size() ? rest.substr(value.size() + 1) : "";
        StringOutputStream out;
        StringOutputStream err;
        command->main({std::string("--") + option.longName, value}, {out, err});
        EXPECT_EQ(err.str().find("invalid value"), std::string::npos) << err.str();
      }
    }
  }
}

TEST(Completion, ScriptsParseAndCompleteInTheirShells) {
  test::TempDirectory dir;
  // The scripts as `otawrap completion SHELL` prints them.
  for (const char* shell : {"bash", "zsh"}) {
    const test::ProcessResult printed =
        test::runProcess(OTAWRAP_BINARY, {"completion", shell}, dir.path());
    ASSERT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.output, shell[0] == 'b' ? bashCompletionScript() : zshCompletionScript());
    std::ofstream(dir.file(shell[0] == 'b' ? "otawrap" : "_otawrap"), std::ios::binary) << printed.output;
  }
  std::filesystem::create_directory(dir.file("images"));
  const test::ProcessResult bash = test::runProcess("/bin/sh", {"-c", "bash -n otawrap"}, dir.path());
  EXPECT_EQ(bash.exitCode, 0) << bash.errors;
  // The words bash offers for the last word of a command line.
  std::ofstream(dir.file("complete.sh"), std::ios::binary)
      << ". ./otawrap\nCOMP_WORDS=(otawrap \"$@\")\nCOMP_CWORD=$#\n_otawrap\necho \"${COMPREPLY[*]}\"\n";
  const struct {
    std::vector<std::string> words;
    const char* offered;
  } cases[] = {
      {{"lint", "--f"}, "--files"},
      {{"convert", "x", "-p", ""}, "QUILLDEV MARSHDEV FENBOARD"},
      {{"info", "x", "--platform", "F"}, "FENBOARD"},
      {{"index", "--format", ""}, "herdsman zigpy"},
      {{"convert", "x", "-o", ""}, "images"},  // directories only: not the scripts beside
      {{"lint", "x", "--files", "i"}, "images"},
      {{"completion", ""}, "bash zsh"},
      {{"help", "ver"}, "verify version"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"-c", "exec bash ./complete.sh \"$@\"", "sh"};
    arguments.insert(arguments.end(), c.words.begin(), c.words.end());
    const test::ProcessResult complete = test::runProcess("/bin/sh", arguments, dir.path());
    EXPECT_EQ(complete.output, std::string(c.offered) + "\n") << c.words.front() << complete.errors;
  }
  const test::ProcessResult zsh =
      test::runProcess("/bin/sh", {"-c", "command -v zsh >/dev/null || exit 77; zsh -n _otawrap"}, dir.path());
  if (zsh.exitCode == 77) GTEST_SKIP() << "zsh is not installed";
  EXPECT_EQ(zsh.exitCode, 0) << zsh.errors;
}

}  // namespace
}  // namespace otawrap
