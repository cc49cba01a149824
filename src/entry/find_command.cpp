// The lookup of a command word, over whichever command list the build links
// (registry.cpp, or the WebAssembly page's shorter one).
#include "entry/registry.h"

namespace otawrap {

const Command* findCommand(const std::string& word) {
  for (const Command* command : allCommands()) {
    const CommandText& text = command->text();
    if (word == text.name || (text.alias != nullptr && word == text.alias)) return command;
  }
  return nullptr;
}

}  // namespace otawrap
