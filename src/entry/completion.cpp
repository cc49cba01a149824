#include "entry/completion.h"

#include <cstring>

#include "app/failure.h"
#include "entry/help.h"
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

bool takesDirectory(const OptionDefinition& o) {
  return o.metavar != nullptr && std::strcmp(o.metavar, "DIR") == 0;
}

std::string optionWords(const Command& command) {
  std::string words = "--help";
  for (const OptionDefinition& o : command.options()) {
    words += std::string(" --") + o.longName;
    if (o.shortName != '\0') words += std::string(" -") + o.shortName;
  }
  return words;
}

// "-p|--platform" for the bash case pattern.
std::string spellings(const OptionDefinition& o) {
  const std::string both = o.shortName != '\0' ? std::string("-") + o.shortName + "|" : "";
  return both + "--" + o.longName;
}

std::string commandWords() {
  std::string words;
  for (const Command* command : allCommands()) {
    words += std::string(words.empty() ? "" : " ") + command->text().name;
  }
  return words;
}

// What the operands of command are: words to offer, or "" for files.
std::string operandWords(const Command& command) {
  if (&command == &helpCommand()) return commandWords();
  if (&command == &completionCommand()) return "bash zsh";
  return "";
}

// The bash lines of one command: its options, what follows an option that
// takes choices or a directory, its operand words.
std::string bashCase(const Command& command) {
  const CommandText& text = command.text();
  std::string lines = std::string("    ") + text.name +
                      (text.alias != nullptr ? std::string("|") + text.alias : "") + ")\n" +
                      "      options=\"" + optionWords(command) + "\"\n";
  const std::string operands = operandWords(command);
  if (!operands.empty()) lines += "      operands=\"" + operands + "\"\n";
  std::string values;
  for (const OptionDefinition& o : command.options()) {
    if (o.choices != nullptr) {
      values += "        " + spellings(o) + ") values=\"" + o.choices + "\" ;;\n";
    } else if (takesDirectory(o)) {
      values += "        " + spellings(o) + ") directories=1 ;;\n";
    }
  }
  if (!values.empty()) lines += "      case $prev in\n" + values + "      esac\n";
  return lines + "      ;;\n";
}

// The zsh value action of an option that takes one: its choices, directories
// or files.
std::string zshValue(const OptionDefinition& o) {
  if (o.metavar == nullptr) return "";
  const std::string head = std::string(":") + o.metavar + ":";
  if (o.choices != nullptr) return head + "(" + o.choices + ")";
  return head + (takesDirectory(o) ? "_files -/" : "_files");
}

struct CompletionOptions {
  std::string shell;
};

int runCompletion(const CompletionOptions& options, const Console& console) {
  console.out << (options.shell == "bash" ? bashCompletionScript() : zshCompletionScript());
  return finishOutput(console, kExitSuccess);
}

std::string finishCompletion(const std::vector<std::string>& operands, CompletionOptions& options) {
  options.shell = operands[0];
  if (options.shell != "bash" && options.shell != "zsh") {
    return "unknown shell '" + options.shell + "': bash or zsh expected";
  }
  return "";
}

}  // namespace

std::string bashCompletionScript() {
  std::string cases;
  for (const Command* command : allCommands()) cases += bashCase(*command);
  return "# bash completion for otawrap, generated from its command definitions\n"
         "_otawrap() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  local options= operands= values= directories=\n"
         "  if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
         "    COMPREPLY=($(compgen -W \"" + commandWords() + "\" -- \"$cur\") $(compgen -f -- \"$cur\"))\n"
         "    return\n"
         "  fi\n"
         "  case ${COMP_WORDS[1]} in\n" + cases +
         "  esac\n"
         "  if [ -n \"$values\" ]; then\n"
         "    COMPREPLY=($(compgen -W \"$values\" -- \"$cur\"))\n"
         "  elif [ -n \"$directories\" ]; then\n"
         "    COMPREPLY=($(compgen -d -- \"$cur\"))\n"
         "  elif [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "  elif [ -n \"$operands\" ]; then\n"
         "    COMPREPLY=($(compgen -W \"$operands\" -- \"$cur\"))\n"
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
      const std::string value = zshValue(o);
      const std::string help = "[" + plainHelp(o.help) + "]";
      const std::string repeat = o.repeatable ? "*" : "";
      if (o.shortName != '\0') {
        cases.append("        '").append(repeat).append("-").append(1, o.shortName);
        cases.append(help).append(value).append("' \\\n");
      }
      cases.append("        '").append(repeat).append("--").append(o.longName);
      cases.append(help).append(value).append("' \\\n");
    }
    const std::string operands = operandWords(*command);
    cases += "        '--help[the command page]' \\\n        '" +
             (operands.empty() ? std::string("*:file:_files") : "1:word:(" + operands + ")") +
             "'\n      ;;\n";
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

const Command& completionCommand() {
  static const CommandDefinition<CompletionOptions> definition = {
      {"completion", nullptr, CommandKind::prints, "bash|zsh", "the shell completion script",
       "bash|zsh",
       "Prints the completion script of bash or zsh, generated from the command\n"
       "definitions: command words, options, platform names and other values,\n"
       "directories for directory options. Load it with\n"
       "'source <(otawrap completion bash)', or save it where the shell looks\n"
       "(the package installs both).\n",
       "", "otawrap completion zsh > _otawrap"},
      {},
      {},
      {1, 1, "SHELL"},
      finishCompletion,
      runCompletion,
  };
  static const DefinedCommand<CompletionOptions> command(definition);
  return command;
}

}  // namespace otawrap
