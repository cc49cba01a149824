#include "commands/help.h"

#include "cli/help_text.h"

namespace otawrap {

int runHelpCommand(const std::string& topic, Console console) {
  const char* text = topic.empty() ? topLevelHelp() : commandHelp(topic);
  if (text == nullptr) {
    return reportFailure({Failure::usage, "no help for '" + topic + "': not a command", "", 0},
                         MessageStyle::command, console, "help");
  }
  console.out << text;
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
