// Every way a command can fail, the one table from failure to message, and the
// one function that prints a failure and returns the exit code.
//
// Two styles: the legacy form prints "Error: <legacy text>" on standard output
// without a newline; every other command prints "otawrap: <message>" and a
// newline on standard error, naming the file and the system's reason when
// there are some, and for usage errors a line pointing to the command's help.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/console.h"
#include "ecc/point_decode.h"
#include "image/assembly.h"
#include "image/intel_hex.h"
#include "ota/builder.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "sign/credentials.h"

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
  cannotOpenOutput,
  cannotWriteOutput,
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
  notOtaFile,           // no OTA file identifier anywhere in the file
  unsoundOtaFile,       // a structural check failed; detail names it
  tagNotFound,          // extract --tag: detail names the tag
  tooManySubElements,   // extract: more than the reader lists
  notIndexable,         // index: a check failed; detail names it
  outputExists,         // extract --output-dir never replaces a file
  indexInvalid,         // lint, match, index --update: detail says where and why
  notACommand,          // a first argument close to a command word; detail holds the word
};

// One failure as it happened: what, on which file (may be empty) and the
// system's errno (0 when none).
struct Problem {
  Failure failure;
  std::string detail;
  std::string file;
  int osError = 0;
};

enum class MessageStyle : std::uint8_t { legacy, command };

// The legacy text of a failure, exactly as the legacy form has always printed it.
std::string legacyMessage(const Problem& problem);

// The message of the command style, without "otawrap: " and the newline;
// control characters in it are escaped (\n, \x1B), so it is one line.
std::string commandMessage(const Problem& problem);

// The failure a conversion reports for an image status other than ok.
Failure imageFailure(ImageStatus status);

// Why a credentials file is invalid, naming the field: the detail of
// invalidCredentials.
std::string credentialsFaultText(const CredentialsFault& fault);

// The failure for a build status other than ok.
Failure buildFailure(OtaBuildStatus status);

// The text of an Intel HEX error ("checksum mismatch", ...).
const char* intelHexErrorText(IntelHexError error);

// Why a public key could not be decoded; "" for ok.
const char* pointDecodeText(PointDecodeStatus status);

// The signature check as a report entry: passed, or failed with its reason.
OtaCheck signatureCheckReport(SignatureCheckStatus status);

// Prints the failure in the given style (command names the subcommand for the
// help hint) and returns kExitError.
int reportFailure(const Problem& problem, MessageStyle style, Console console,
                  const char* command = nullptr);

// Flushes standard output and reports a failure when anything written to it
// was lost; returns exitCode when all of it arrived, kExitError otherwise.
int finishOutput(Console console, int exitCode);

}  // namespace otawrap
