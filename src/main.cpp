// Process entry: hands the arguments to the dispatcher. The subcommands write
// LF line ends on every platform and see a report pipe closed by its reader
// as a failed write (exit 2, nothing left behind); the legacy form keeps the
// platform's text mode (CR LF under Windows) and SIGPIPE, as it always has.
#include <cstdio>

#include "cli/console.h"
#include "entry/dispatch.h"
#include "io/file_system.h"

int main(int argc, char** argv) {
  otawrap::fsHoldStandardDescriptors();
  if (!otawrap::isLegacyCommandLine(argc, argv)) {
    otawrap::fsBinaryStandardStreams();
    otawrap::fsBrokenPipeFailsWrites();
  }
  otawrap::FileOutputStream out(stdout);
  otawrap::FileOutputStream err(stderr);
  return otawrap::runOtawrap(argc, argv, out, err);
}
