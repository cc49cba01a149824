// The entry of the tool: the first argument selects a subcommand (or its
// "--" alias); anything else is the legacy form.
#pragma once

#include "cli/console.h"

namespace otawrap {

// Runs the tool on argv[0..argc) and returns the exit code. Legacy output
// and every report go to out; subcommand errors go to err.
int runOtawrap(int argc, const char* const* argv, OutputStream& out, OutputStream& err);

// True when runOtawrap would take argv[0..argc) as the legacy form (the first
// argument names no subcommand or alias), whose output keeps the platform's
// text mode.
bool isLegacyCommandLine(int argc, const char* const* argv);

}  // namespace otawrap
