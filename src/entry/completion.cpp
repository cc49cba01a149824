#include "entry/completion.h"

#include "entry/registry.h"

namespace otawrap {

namespace {

// The first line of an option's help, with what zsh's _arguments reads as
// syntax ([ ] : ' \) left out.
std::string plainHelp(const char* help) {
  std::string text;
  for (const char* c = help; *c != '\0' && *c != '\n'; ++c) {
    if (*c == '[' || *c == ']' || *c == ':' || *c == '\'' || *c == '\\') continue;
    text += *c;
  }
  return text;
}

std::string optionWords(const Command& command) {
  std::string words = "--help";
  for (const OptionDefinition& o : command.options()) {
    words += std::string(" --") + o.longName;
    if (o.shortName != '\0') words += std::string(" -") + o.shortName;
  }
  return words;
}

}  // namespace

std::string bashCompletionScript() {
  std::string words;
  std::string cases;
  for (const Command* command : allCommands()) {
    const CommandText& text = command->text();
    words += std::string(words.empty() ? "" : " ") + text.name;
    cases += std::string("    ") + text.name + (text.alias != nullptr ? std::string("|") + text.alias : "") +
             ") options=\"" + optionWords(*command) + "\" ;;\n";
  }
  return "# bash completion for otawrap, generated from its command definitions\n"
         "_otawrap() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} options=\n"
         "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "    COMPREPLY=($(compgen -W \"" + words + "\" -- \"$cur\") $(compgen -f -- \"$cur\"))\n"
         "    return\n"
         "  fi\n"
         "  case ${COMP_WORDS[1]} in\n" + cases +
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "  else\n"
         "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
         "  fi\n"
         "}\n"
         "complete -o filenames -F _otawrap otawrap\n";
}

std::string zshCompletionScript() {
  std::string commands;
  std::string cases;
  for (const Command* command : allCommands()) {
    const CommandText& text = command->text();
    commands += std::string("    '") + text.name + ":" + plainHelp(text.summary) + "'\n";
    cases += std::string("    ") + text.name + (text.alias != nullptr ? std::string("|") + text.alias : "") +
             ")\n      _arguments \\\n";
    for (const OptionDefinition& o : command->options()) {
      const std::string value = o.metavar != nullptr ? std::string(":") + o.metavar + ":_files" : "";
      const std::string help = "[" + plainHelp(o.help) + "]";
      const std::string repeat = o.repeatable ? "*" : "";
      if (o.shortName != '\0') {
        cases.append("        '").append(repeat).append("-").append(1, o.shortName);
        cases.append(help).append(value).append("' \\\n");
      }
      cases.append("        '").append(repeat).append("--").append(o.longName);
      cases.append(help).append(value).append("' \\\n");
    }
    cases += "        '--help[the command page]' \\\n        '*:file:_files'\n      ;;\n";
  }
  return "#compdef otawrap\n"
         "# zsh completion for otawrap, generated from its command definitions\n"
         "_otawrap() {\n"
         "  local -a commands\n"
         "  commands=(\n" + commands + "  )\n"
         "  if (( CURRENT == 2 )); then\n"
         "    _describe 'command' commands\n"
         "    _files\n"
         "    return\n"
         "  fi\n"
         "  shift words\n"
         "  (( CURRENT-- ))\n"
         "  case $words[1] in\n" + cases +
         "    *) _files ;;\n"
         "  esac\n"
         "}\n"
         "_otawrap \"$@\"\n";
}

}  // namespace otawrap
