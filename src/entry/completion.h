// Shell completion for otawrap, generated from the command definitions: the
// command words, then each command's options (long and short) and files.
// Pure text building; tools/make_completion writes the scripts the package
// installs.
#pragma once

#include <string>

namespace otawrap {

// A bash completion script (for /usr/share/bash-completion/completions/otawrap).
std::string bashCompletionScript();

// A zsh completion function (#compdef otawrap, installed as _otawrap).
std::string zshCompletionScript();

}  // namespace otawrap
