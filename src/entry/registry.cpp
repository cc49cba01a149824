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

}  // namespace otawrap
