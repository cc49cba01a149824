// The command list of the WebAssembly build, in place of src/entry/registry.cpp:
// the commands the page runs, and help and version. The others (convert,
// build, restamp, diff, completion) would add 45 KB (18 KB gzipped) to the
// module for code the page never calls. Each command is the native build's
// own, from src/commands; a change to registry.h must be made here too.
#include "entry/registry.h"

#include "commands/extract.h"
#include "commands/index.h"
#include "commands/info.h"
#include "commands/lint.h"
#include "commands/match.h"
#include "commands/normalize.h"
#include "commands/verify.h"
#include "commands/version.h"
#include "entry/help.h"

namespace otawrap {

const std::vector<const Command*>& allCommands() {
  static const std::vector<const Command*> commands = {
      &infoCommand(),  &verifyCommand(),    &extractCommand(), &indexCommand(), &lintCommand(),
      &matchCommand(), &normalizeCommand(), &helpCommand(),    &versionCommand(),
  };
  return commands;
}

const Command* findCommand(const std::string& word) {
  for (const Command* command : allCommands()) {
    const CommandText& text = command->text();
    if (word == text.name || (text.alias != nullptr && word == text.alias)) return command;
  }
  return nullptr;
}

}  // namespace otawrap
