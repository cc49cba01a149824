#include "entry/registry.h"

namespace otawrap {

namespace {

// The command words beside the functions that build each command, so that
// finding the one a run names builds no other command's tables (a test
// checks these words against each command's own texts).
struct CommandWord {
  const char* name;
  const char* alias;
  const Command& (*command)();
};

constexpr CommandWord kCommandWords[] = {
    {"convert", nullptr, convertCommand},     {"build", nullptr, buildCommand},
    {"info", "--info", infoCommand},          {"verify", "--verify", verifyCommand},
    {"extract", nullptr, extractCommand},     {"index", nullptr, indexCommand},
    {"lint", nullptr, lintCommand},           {"match", nullptr, matchCommand},
    {"normalize", nullptr, normalizeCommand}, {"restamp", nullptr, restampCommand},
    {"help", "--help", helpCommand},          {"version", "--version", versionCommand},
};

}  // namespace

std::vector<const Command*> allCommands() {
  std::vector<const Command*> commands;
  for (const CommandWord& word : kCommandWords) commands.push_back(&word.command());
  return commands;
}

std::vector<const char*> commandNames() {
  std::vector<const char*> names;
  for (const CommandWord& word : kCommandWords) names.push_back(word.name);
  return names;
}

const Command* findCommand(const std::string& word) {
  for (const CommandWord& entry : kCommandWords) {
    if (word == entry.name || (entry.alias != nullptr && word == entry.alias)) return &entry.command();
  }
  return nullptr;
}

}  // namespace otawrap
