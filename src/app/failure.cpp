#include "app/failure.h"

#include <cerrno>

#include "codec/escape.h"
#include "io/file_system.h"

namespace otawrap {

namespace {

// Rows are written in reading order; the padding this costs is a few hundred bytes.
struct FailureText {  // NOLINT(clang-analyzer-optin.performance.Padding)
  Failure failure;
  const char* legacy;   // nullptr: the detail is the text
  const char* command;  // "{}" stands for the quoted file name, "%" for the detail;
                        // nullptr: the detail
  bool wanting = false;  // an input read and found wanting; else the job could not be done
};

// The legacy texts stay exactly as they were, the misspelt "platfomrs"
// included: scripts match on them.
constexpr FailureText kTexts[] = {
    {Failure::usage, nullptr, nullptr},
    {Failure::inputNameTooLong, "Input file name too long", "input file name too long"},
    {Failure::outputPathTooLong, "Output path too long", "output path too long: {}"},
    {Failure::invalidPlatform,
     "Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD",
     "invalid platform {}: QUILLDEV, MARSHDEV or FENBOARD expected"},
    {Failure::cannotOpenInput, "Unable to open input file", "cannot open input file {}"},
    {Failure::inputTooLarge, "Input file too large to inspect",
     "input file {} is larger than the 64 MiB limit for OTA files"},
    {Failure::cannotOpenCredentials, "Cannot open certificate", "cannot open credentials file {}"},
    {Failure::invalidCredentials, "Invalid certificate",
     "credentials file {}: %"},
    {Failure::inputTruncated, "Input file is truncated", "input file {} is truncated"},
    {Failure::inputReadFailed, "Unable to open input file", "cannot read input file {}"},
    {Failure::imageTooSmall, "Input image too small", "input file {}: image too small"},
    {Failure::imageTooLarge, "Input image too large", "input file {}: image too large"},
    {Failure::signingFailed, "Unable to generate signature", "unable to generate the signature"},
    {Failure::signerFailed, "Unable to generate signature", "signer command {}: %"},
    {Failure::cannotOpenOutput, "Unable to open output file", "cannot create output file {}"},
    {Failure::cannotWriteOutput, "Unable to write output file", "cannot write output file {}"},
    {Failure::outputNotRegular, "Unable to open output file", "output {} is not a regular file"},
    {Failure::outputKept, "Unable to open output file",
     "output file {} exists; --no-clobber keeps it"},
    {Failure::cannotCreateDirectory, "Unable to open output file",
     "cannot create output directory {}"},
    {Failure::nameNotCreatable, "Unable to open output file",
     "cannot create a file named {} on this system; name the file with --output"},
    {Failure::invalidKey, nullptr, nullptr},
    {Failure::reportNotWritten, "Unable to write output", "cannot write to standard output"},
    {Failure::notAvailable, "Unknown command", "command {} is not yet available; see 'otawrap help'"},
    {Failure::fileTooLarge, "Input image too large",
     "the OTA file would be larger than the 64 MiB limit"},
    {Failure::tagRefused, "a tag otawrap does not take from the user",
     "a tag otawrap does not take from the user"},
    {Failure::intelHexInvalid, "Unable to open input file", nullptr},
    {Failure::inputIsOtaFile, "Unable to open input file",
     "input file {} is already an OTA file; see 'otawrap info'"},
    {Failure::inputIsElf, "Unable to open input file",
     "input file {} is an ELF file; convert it to a raw binary or Intel HEX file first"},
    {Failure::cannotReadPayload, "Unable to open input file", "cannot read payload file {}"},
    {Failure::payloadChangedSize, "Unable to open input file",
     "payload file {} changed size while it was read"},
    {Failure::notOtaFile, "Unable to open input file",
     "{} is not an OTA file: no OTA file identifier (0x0BEEF11E)", true},
    {Failure::unsoundOtaFile, nullptr, "file {}: %", true},
    {Failure::tagNotFound, nullptr, "file {} has no sub-element with tag %", true},
    {Failure::tooManySubElements, "Unable to open input file",
     "{} has more than 1000 sub-elements, beyond what extract lists"},
    {Failure::outputExists, "Unable to open output file",
     "output file {} exists; extract into a new or empty directory"},
    {Failure::indexInvalid, "Unable to open input file", "index file {} is not an OTA index: %"},
    {Failure::notACommand, "Unable to open input file", "{} is not a command; did you mean '%'?"},
    {Failure::nameNotIndexable, "Unable to open input file",
     "cannot index {}: its name %"},
    {Failure::preambleMismatch, "Unable to write output file",
     "%; --force writes the file anyway"},
    {Failure::payloadCheckFailed, "Unable to open input file",
     "payload file {} fails its own check as %; --force writes it anyway"},
    {Failure::inputNotFirmware, "Input image too small",
     "input file {} is not raw firmware or Intel HEX (%); to wrap a file as it is: "
     "otawrap build -m HEX -t HEX -v HEX --tag 0=FILE"},
    {Failure::restampBreaksSignature, "Unable to write output file",
     "file {} is signed and its signature would no longer hold; give --credentials to sign "
     "again or --drop-signature"},
    {Failure::restampHalfHardwareRange, "Unable to write output file",
     "file {} has no hardware versions; give both --min-hw-version and --max-hw-version"},
    {Failure::restampInvertedHardwareRange, "Unable to write output file",
     "file {}: the minimum hardware version would lie above the maximum"},
    {Failure::restampFailsCheck, "Unable to write output file",
     "restamped {} would fail a check, nothing written: %"},
    {Failure::outputNameClash, "Unable to open output file",
     "inputs % would both be written as {}; nothing written"},
    {Failure::sidecarInvalid, "Unable to open input file", "metadata file {} is invalid: %"},
    {Failure::metadataRefused, "Unable to open input file", "cannot index {} with this metadata: %"},
    {Failure::cannotReadKeyFile, "Unable to open input file", "cannot read key file {}"},
    {Failure::inputNotRegular, "Unable to open input file", "input {} is not a regular file"},
    {Failure::cannotReadEntry, "Unable to open input file", "cannot read {}"},
};

const FailureText& textOf(Failure failure) {
  for (const FailureText& t : kTexts) {
    if (t.failure == failure) return t;
  }
  return kTexts[0];
}

}  // namespace

std::string legacyMessage(const Problem& problem) {
  const char* text = textOf(problem.failure).legacy;
  return text != nullptr ? text : problem.detail;
}

namespace {

// The system's reason to print. A directory where a file was expected is
// "Is a directory" on every platform: Windows says "Permission denied" when
// opening it, or nothing after a failed rename onto it.
int reasonOf(const Problem& problem) {
  switch (problem.failure) {
    case Failure::cannotOpenInput:
    case Failure::inputReadFailed:
    case Failure::cannotOpenCredentials:
    case Failure::cannotReadKeyFile:
    case Failure::cannotOpenOutput:
    case Failure::cannotWriteOutput:
      return fsIsDirectory(problem.file) ? EISDIR : problem.osError;
    default:
      return problem.osError;
  }
}

}  // namespace

std::string commandMessage(const Problem& problem) {
  const char* pattern = textOf(problem.failure).command;
  std::string message;
  if (pattern == nullptr) {
    message = problem.detail;
  } else {
    // One pass over the pattern, so a '%' or "{}" in a name stays as it is.
    for (const char* p = pattern; *p != '\0'; ++p) {
      if (p[0] == '{' && p[1] == '}') {
        message += "'" + problem.file + "'";
        ++p;
      } else if (*p == '%') {
        message += problem.detail;
      } else {
        message += *p;
      }
    }
  }
  const int reason = reasonOf(problem);
  if (reason != 0) {
    message += ": ";
    message += fsErrorText(reason);
  }
  // One line whatever names and values it quotes: a file name or argument
  // holding a newline cannot forge further lines on standard error.
  return escapeControlCharacters(message);
}

int reportFailure(const Problem& problem, const Console& console, const char* command) {
  const FailureText& text = textOf(problem.failure);
  if (console.kind == CommandKind::legacy) {
    console.out << "Error: " << legacyMessage(problem);
    console.out.flush();
    return kExitError;
  }
  console.out.flush();
  console.err << "otawrap: " << commandMessage(problem) << '\n';
  std::string hint = problem.hint;
  const bool input = problem.failure == Failure::cannotOpenInput ||
                     problem.failure == Failure::inputReadFailed;
  if (hint.empty() && console.directoryHint != nullptr && input && reasonOf(problem) == EISDIR) {
    hint = "'" + problem.file + "' is a directory: " + console.directoryHint;
  }
  if (!hint.empty()) console.err << "otawrap: " << escapeControlCharacters(hint) << '\n';
  if (problem.failure == Failure::usage) {
    console.err << "Try 'otawrap " << (command != nullptr ? command : "help") << " --help'.\n";
  }
  console.err.flush();
  return exitCodeOf(text.wanting ? Outcome::wanting : Outcome::failed, console.kind);
}

int finishOutput(const Console& console, int exitCode) {
  console.out.flush();
  if (console.out) return exitCode;
  if (console.out.takeLoss()) {
    console.err << "otawrap: " << commandMessage({Failure::reportNotWritten, "", "", 0}) << '\n';
    console.err.flush();
  }
  return kExitError;
}

}  // namespace otawrap
