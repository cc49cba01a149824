#include "commands/registry.h"

namespace otawrap {

std::vector<const Command*> allCommands() {
  return {&convertCommand(), &buildCommand(),   &infoCommand(), &verifyCommand(),
          &extractCommand(), &indexCommand(),   &lintCommand(), &matchCommand(),
          &normalizeCommand(), &restampCommand(), &helpCommand(),  &versionCommand()};
}

const Command* findCommand(const std::string& word) {
  for (const Command* command : allCommands()) {
    const CommandText& text = command->text();
    if (word == text.name || (text.alias != nullptr && word == text.alias)) return command;
  }
  return nullptr;
}

}  // namespace otawrap
