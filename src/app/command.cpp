#include "app/command.h"

#include "app/failure.h"

namespace otawrap {

int reportUsageError(const std::string& message, const char* command, const Console& console,
                     const std::string& hint) {
  return reportFailure({Failure::usage, message, "", 0, hint}, console, command);
}

const char* directoryHintFor(const std::vector<OptionDefinition>& options) {
  for (const OptionDefinition& o : options) {
    if (std::string(o.longName) == "recursive") return "--recursive reads every file below it";
  }
  return nullptr;
}

}  // namespace otawrap
