// Shell completion for otawrap, generated from the command definitions: the
// command words, then each command's options (long and short), the choices
// of an option that has them (OptionDefinition::choices), directories after
// a DIR option, files elsewhere. `otawrap completion bash|zsh` prints them;
// the build writes the package's copies with it.
#pragma once

#include <string>

#include "app/command.h"

namespace otawrap {

// A bash completion script (for /usr/share/bash-completion/completions/otawrap).
std::string bashCompletionScript();

// A zsh completion function (#compdef otawrap, installed as _otawrap).
std::string zshCompletionScript();

// otawrap completion bash|zsh.
const Command& completionCommand();

}  // namespace otawrap
