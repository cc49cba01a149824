#include "commands/version.h"

namespace otawrap {

std::string versionText() { return std::string("otawrap ") + OTAWRAP_VERSION + "\n"; }

int runVersionCommand(Console console) {
  console.out << versionText();
  return finishOutput(console, kExitSuccess);
}

}  // namespace otawrap
