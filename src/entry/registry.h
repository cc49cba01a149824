// Every subcommand, in the overview's order. Adding a command: its file pair
// under commands/ with its definition and xCommand(), one entry in the list
// in registry.cpp (and in web/commands.cpp when the page runs it).
#pragma once

#include <string>
#include <vector>

#include "app/command.h"

namespace otawrap {

// All commands in the overview's order.
const std::vector<const Command*>& allCommands();

// The command named word (or whose alias it is); nullptr when none.
const Command* findCommand(const std::string& word);

}  // namespace otawrap
