#include "commands/version.h"

#include "app/failure.h"
#include "entry/registry.h"

namespace otawrap {

namespace {

struct VersionOptions {};

int runVersion(const VersionOptions&, Console console) {
  console.out << versionText();
  return finishOutput(console, kExitSuccess);
}

}  // namespace

std::string versionText() { return std::string("otawrap ") + OTAWRAP_VERSION + "\n"; }

const Command& versionCommand() {
  static const CommandDefinition<VersionOptions> definition = {
      {"version", "--version", "version", "the version", "version", "Prints the version.\n", "",
       "otawrap version", "0 printed, 2 usage error.\n"},
      {},
      {},
      {0, 0, "operand"},
      nullptr,
      runVersion,
  };
  static const DefinedCommand<VersionOptions> command(definition);
  return command;
}

}  // namespace otawrap
