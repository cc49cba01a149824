#include "entry/registry.h"

#include "commands/build.h"
#include "commands/convert.h"
#include "commands/diff.h"
#include "commands/extract.h"
#include "commands/index.h"
#include "commands/info.h"
#include "commands/lint.h"
#include "commands/match.h"
#include "commands/normalize.h"
#include "commands/restamp.h"
#include "commands/verify.h"
#include "commands/version.h"
#include "entry/completion.h"
#include "entry/help.h"

namespace otawrap {

const std::vector<const Command*>& allCommands() {
  static const std::vector<const Command*> commands = {
      &convertCommand(), &buildCommand(),   &infoCommand(),      &verifyCommand(),
      &diffCommand(),
      &extractCommand(), &indexCommand(),     &lintCommand(),
      &matchCommand(),   &normalizeCommand(), &restampCommand(), &helpCommand(),
      &versionCommand(), &completionCommand(),
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
