// The WebAssembly entry: one otawrap command line, run on files the page
// wrote into the in-memory file system, with its exit code and everything it
// printed kept for the page to read. The same dispatcher as the executable,
// so every verdict and message is the command line's own.
#include <emscripten/emscripten.h>

#include <cstddef>

#include "cli/console.h"
#include "entry/dispatch.h"
#include "ota/format.h"

namespace {

// One finished run; standard output may hold binary data (--output -).
struct WebRun {
  int exitCode = 0;
  otawrap::StringOutputStream out;
  otawrap::StringOutputStream err;
};

}  // namespace

extern "C" {

// Runs argv[0..argc) as main would (argv[0] is the program's name; the
// strings are UTF-8). The caller owns the result: otawrap_release frees it.
EMSCRIPTEN_KEEPALIVE WebRun* otawrap_run(int argc, const char* const* argv) {
  WebRun* run = new WebRun;
  run->exitCode = otawrap::runOtawrap(argc, argv, run->out, run->err);
  return run;
}

EMSCRIPTEN_KEEPALIVE int otawrap_exit_code(const WebRun* run) { return run->exitCode; }

// The bytes written to standard output and error; valid until the release.
EMSCRIPTEN_KEEPALIVE const char* otawrap_out_data(const WebRun* run) { return run->out.str().data(); }
EMSCRIPTEN_KEEPALIVE std::size_t otawrap_out_size(const WebRun* run) { return run->out.str().size(); }
EMSCRIPTEN_KEEPALIVE const char* otawrap_err_data(const WebRun* run) { return run->err.str().data(); }
EMSCRIPTEN_KEEPALIVE std::size_t otawrap_err_size(const WebRun* run) { return run->err.str().size(); }

EMSCRIPTEN_KEEPALIVE void otawrap_release(WebRun* run) { delete run; }

// The most bytes any command reads of one input before it refuses it as too
// large: the page copies no more of a picked file than this, so a huge file
// costs no memory and the command still words the refusal.
EMSCRIPTEN_KEEPALIVE std::size_t otawrap_input_limit() { return otawrap::kOtaFileSizeLimit + 1; }

}  // extern "C"
