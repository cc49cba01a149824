// The command list of the WebAssembly build, in place of src/entry/registry.cpp:
// the commands the page runs, and help and version. The others (convert,
// build, restamp, diff, completion) would add 45 KB (18 KB gzipped) to the
// module for code the page never calls. Each command is the native build's
// own, from src/commands; the lookup of a word is the native one
// (src/entry/find_command.cpp).
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

}  // namespace otawrap
