#include "entry/help.h"

#include "cli/help_text.h"
#include "app/failure.h"
#include "entry/registry.h"

namespace otawrap {

namespace {

const char kIntroduction[] =
    "Usage: otawrap COMMAND [ARGUMENTS]\n"
    "\n"
    "Turns IAR raw firmware and Intel HEX files into ZigBee OTA Upgrade files,\n"
    "builds OTA files from any payloads, signs them, and inspects, verifies,\n"
    "extracts and indexes OTA files.\n"
    "\n"
    "Commands:\n";

const char kClosing[] =
    "\n"
    "'otawrap COMMAND --help' shows the options of a command. --info, --verify,\n"
    "--help and --version as first argument are the same as the commands.\n"
    "\n"
    "Any other first argument selects the legacy command line\n"
    "(otawrap <input file> -o<dir> -m<id> ...), kept unchanged for existing scripts;\n"
    "docs/commands.md describes it under \"Legacy command line\". A raw file named\n"
    "like a command is converted in that form as ./convert.\n"
    "\n";

// text broken into lines of at most width characters at its spaces.
std::string wrapped(const std::string& text, std::size_t width) {
  std::string out;
  std::size_t lineStart = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    if (end - lineStart > width && at > lineStart) {
      out.back() = '\n';
      lineStart = at;
    }
    out += text.substr(at, end - at);
    if (end < text.size()) out += ' ';
    at = end + 1;
  }
  return out + "\n";
}

// The exit codes of every command, the judging ones named from the list.
std::string exitCodesText() {
  std::string judges;
  for (const Command* command : allCommands()) {
    if (command->text().kind != CommandKind::judges) continue;
    judges += (judges.empty() ? "" : ", ") + std::string(command->text().name);
  }
  return wrapped("Exit codes: 0 success; 1 a command that judges files (" + judges +
                     ") read one and found it wanting; 2 the command could not do its job: "
                     "usage error, unreadable or refused input, failed write or lost output.",
                 76);
}

struct HelpOptions {
  std::string topic;  // empty: the overview
};

int runHelp(const HelpOptions& options, const Console& console) {
  if (options.topic.empty()) {
    console.out << overviewText();
    return finishOutput(console, kExitSuccess);
  }
  const Command* command = findCommand(options.topic);
  if (command == nullptr || options.topic != command->text().name) {
    return reportUsageError("no help for '" + options.topic + "': not a command", "help",
                            console);
  }
  return printHelpPage(*command, console);
}

}  // namespace

const Command& helpCommand() {
  static const CommandDefinition<HelpOptions> definition = {
    {"help", "--help", CommandKind::prints, "[COMMAND]", "this text, or the page of one command",
     "[COMMAND]", "Prints the overview, or the page of COMMAND.\n", "", "otawrap help convert"},
    {},
    {},
    {0, 1, "COMMAND"},
    [](const std::vector<std::string>& operands, HelpOptions& options) -> std::string {
      if (!operands.empty()) options.topic = operands[0];
      return "";
    },
    runHelp,
  };
  static const DefinedCommand<HelpOptions> command(definition);
  return command;
}

int printHelpPage(const Command& command, const Console& console) {
  console.out << helpPage(command.text(), command.options());
  return finishOutput(console, kExitSuccess);
}

std::string overviewText() {
  std::vector<const CommandText*> texts;
  for (const Command* command : allCommands()) texts.push_back(&command->text());
  return kIntroduction + commandList(texts) + kClosing + exitCodesText();
}

}  // namespace otawrap
