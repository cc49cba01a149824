// The completion scripts come from the definitions: every command word and every
// option of it is offered, and each script is valid for its shell (zsh's
// only where zsh is installed).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

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

TEST(Completion, ScriptsParseInTheirShells) {
  test::TempDirectory dir;
  std::ofstream(dir.file("otawrap"), std::ios::binary) << bashCompletionScript();
  std::ofstream(dir.file("_otawrap"), std::ios::binary) << zshCompletionScript();
  const test::ProcessResult bash = test::runProcess("/bin/sh", {"-c", "bash -n otawrap"}, dir.path());
  EXPECT_EQ(bash.exitCode, 0) << bash.errors;
  // Completing "lint --f" in bash offers --files.
  const test::ProcessResult complete = test::runProcess(
      "/bin/sh",
      {"-c", "bash -c '. ./otawrap; COMP_WORDS=(otawrap lint --f); COMP_CWORD=2; _otawrap; "
             "echo \"${COMPREPLY[*]}\"'"},
      dir.path());
  EXPECT_EQ(complete.output, "--files\n") << complete.errors;
  const test::ProcessResult zsh =
      test::runProcess("/bin/sh", {"-c", "command -v zsh >/dev/null || exit 77; zsh -n _otawrap"}, dir.path());
  if (zsh.exitCode == 77) GTEST_SKIP() << "zsh is not installed";
  EXPECT_EQ(zsh.exitCode, 0) << zsh.errors;
}

}  // namespace
}  // namespace otawrap
