#include "commands/version.h"

#include "app/failure.h"

namespace otawrap {

namespace {

struct VersionOptions {};

int runVersion(const VersionOptions&, const Console& console) {
  console.out << versionText();
  return finishOutput(console, kExitSuccess);
}

}  // namespace

std::string versionText() { return std::string("otawrap ") + OTAWRAP_VERSION + "\n"; }

const Command& versionCommand() {
  static const CommandDefinition<VersionOptions> definition = {
      {"version", "--version", CommandKind::prints, "", "the version", "", "Prints the version.\n",
       "", "otawrap version"},
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
