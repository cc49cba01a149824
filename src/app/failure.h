// Every way a command can fail, the one table from failure to message, and the
// one function that prints a failure and returns the exit code.
//
// Two styles: the legacy form prints "Error: <legacy text>" on standard output
// without a newline; every other command prints "otawrap: <message>" and a
// newline on standard error, naming the file and the system's reason when
// there are some, and for usage errors a line pointing to the command's help.
#pragma once

#include <cstdint>
#include <string>

#include "cli/console.h"

namespace otawrap {

enum class Failure : std::uint8_t {
  usage,                // a command-line mistake; detail holds the text
  inputNameTooLong,
  outputPathTooLong,
  invalidPlatform,
  cannotOpenInput,
  inputTooLarge,        // an OTA file beyond the read limit
  cannotOpenCredentials,
  invalidCredentials,
  inputTruncated,
  inputReadFailed,
  imageTooSmall,
  imageTooLarge,
  signingFailed,
  signerFailed,         // --signer-command gave no usable signature; detail says why
  cannotOpenOutput,
  cannotWriteOutput,
  outputNotRegular,     // a FIFO, device or socket at the output name is never replaced
  outputKept,           // --no-clobber: the output name is taken
  cannotCreateDirectory,
  nameNotCreatable,     // the default name holds a character the platform refuses
  invalidKey,           // detail holds the reason
  reportNotWritten,     // standard output refused the report
  notAvailable,         // a reserved command word; file holds it
  fileTooLarge,         // the OTA file to write would pass the 64 MiB limit
  tagRefused,           // a tag the builder refuses; detail holds the reason
  intelHexInvalid,      // detail holds "<file>:<line>: <reason>"
  inputIsOtaFile,       // convert's input is an OTA file already
  inputIsElf,           // convert's input is an ELF file
  cannotReadPayload,    // a --tag file
  payloadChangedSize,   // a --tag file's length differs from the size it had when sized
  notOtaFile,           // no OTA file identifier where the file should start (wanting)
  unsoundOtaFile,       // a check failed; detail names it (wanting)
  tagNotFound,          // extract --tag: detail names the tag (wanting)
  tooManySubElements,   // extract: more than the reader lists
  outputExists,         // extract --output-dir never replaces a file
  indexInvalid,         // lint, match, index --update: detail says where and why
  notACommand,          // a first argument close to a command word; detail holds the word
  nameNotIndexable,     // index: the name cannot stand in an entry; detail says why
  preambleMismatch,     // build: the image preamble no longer matches; detail says how
  payloadCheckFailed,   // a --tag 0 payload fails its format's check; detail "format: reason"
  inputNotFirmware,     // convert: the raw walk failed; detail says what the input looks like
  restampBreaksSignature,       // restamp of a signed file without a way to reseal it
  restampHalfHardwareRange,     // one hardware version for a file that has none
  restampInvertedHardwareRange, // the minimum would lie above the maximum
  restampFailsCheck,            // the new file would fail a check; detail names it
  outputNameClash,              // convert: two inputs, one output; detail quotes both inputs
  sidecarInvalid,       // index: a metadata file beside an OTA file; detail "KEY: reason"
  metadataRefused,      // index: the entry would have a fault lint reports; detail in lint's words
  cannotReadKeyFile,    // verify --public-key-file, --ca-key-file
  inputNotRegular,      // a FIFO, device or socket where a regular file is read (index, metadata)
  cannotReadEntry,      // --recursive: an entry below a directory (or the directory) cannot be read
};

// One failure as it happened: what, on which file (may be empty) and the
// system's errno (0 when none).
struct Problem {
  Failure failure;
  std::string detail;
  std::string file;
  int osError = 0;
  std::string hint = {};  // one more line after the message, e.g. a likelier option; may be ""
};

// The legacy text of a failure, exactly as the legacy form has always printed it.
std::string legacyMessage(const Problem& problem);

// The message of the command style, without "otawrap: " and the newline;
// control characters in it are escaped (\n, \x1B), so it is one line.
std::string commandMessage(const Problem& problem);

// Prints the failure as the console's kind of command does (the legacy
// form's "Error: " on standard output, else "otawrap: " on standard error,
// then its hint, or the console's directory hint for an input that is a
// directory, as one more "otawrap: " line;
// command names the subcommand for a usage error's help hint) and returns
// the exit code: exitCodeOf(wanting or failed, kind), where the table says
// which failures find an input wanting (a file read and found lacking what
// the command needs).
int reportFailure(const Problem& problem, const Console& console, const char* command = nullptr);

// Flushes standard output and reports a failure (once per run) when anything
// written to it was lost; returns exitCode when all of it arrived, kExitError
// otherwise.
int finishOutput(const Console& console, int exitCode);

// The same for the outcome of a run of the console's kind of command.
inline int finishOutput(const Console& console, Outcome outcome) {
  return finishOutput(console, exitCodeOf(outcome, console.kind));
}

}  // namespace otawrap
