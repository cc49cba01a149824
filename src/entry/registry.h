// Every subcommand, each defined with its definition in its own file; the list in
// registry.cpp gives the overview's order. Adding a command: its file with
// its definition and xCommand(), one declaration here, one entry in the list
// (its name and alias beside xCommand).
#pragma once

#include <string>
#include <vector>

#include "app/command.h"

namespace otawrap {

const Command& convertCommand();
const Command& buildCommand();
const Command& infoCommand();
const Command& verifyCommand();
const Command& extractCommand();
const Command& indexCommand();
const Command& lintCommand();
const Command& matchCommand();
const Command& normalizeCommand();
const Command& restampCommand();
const Command& helpCommand();
const Command& versionCommand();

// All commands in the overview's order.
std::vector<const Command*> allCommands();

// Their names, in the same order, without building any command.
std::vector<const char*> commandNames();

// The command named word (or whose alias it is); nullptr when none.
const Command* findCommand(const std::string& word);

}  // namespace otawrap
