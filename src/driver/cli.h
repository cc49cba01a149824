// The command line: otawrap <input file> [-o<dir>] [-m<id>] [-t<id>] [-v<ver>]
// [-p<platform>] [-s<credentials>] [-n], option letters in either case, and the
// optional header fields as long options (driver/long_options.h) anywhere after
// the input file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/long_options.h"
#include "image/assembly.h"
#include "image/platform.h"
#include "sign/credentials.h"

namespace otawrap {

// Input file name and output path each fit a 1,024-byte buffer with its
// terminating zero: at most 1,023 characters.
inline constexpr std::size_t kPathBufferSize = 1024;

// Everything one run takes from its command line.
struct RunSettings {
  std::string inputFileName;
  std::string outputDirectory;  // empty, or ends with the path separator
  ImageIdentifiers identifiers;  // values 0 unless given
  Platform platform;
  bool noImage;
  bool signing;
  std::string credentialsPath;  // the last -s path
  SignerCredentials credentials;  // loaded by the last -s
  HeaderFieldSettings headerFields;  // from the long options
};

enum class CommandLineOutcome : std::uint8_t { run, usage, error };

struct CommandLineResult {
  CommandLineOutcome outcome;
  const char* message;  // the error text when outcome is error, else nullptr
};

// The usage text, printed as it stands.
const char* usageText();

// Walks argv[0..argc-1] in order and fills settings (which must start
// value-initialised). Stops at the first argument that asks for the usage text
// or fails. Reads nothing but argv, except that -s loads the credentials at once.
// From index 2 on, a header-field long option takes the next argument as its
// value; any other argument starting with "--" asks for the usage text, as
// before. The long options' cross checks run after the walk.
CommandLineResult parseCommandLine(int argc, const char* const* argv, RunSettings& settings);

// 0..15 for '0'-'9', 'a'-'f', 'A'-'F'; 0 for any other character.
unsigned hexDigitValue(char c);

// Value of an option argument such as "-m100B": from index 2, skips spaces and
// one "0x"/"0X", then reads up to digitCount (4 or 8) characters, stopping at a
// space or the end; digit j goes to bits 4*(digitCount-1-j), so short values
// are left-aligned ("-m1" gives 0x1000). Non-hex characters count as 0.
// argument must be at least 2 characters long.
std::uint32_t hexOptionValue(const char* argument, int digitCount);

// Loads the signer credentials named by -s. Returns nullptr on success, else
// the error text.
const char* loadCredentialsForSigning(const std::string& path, RunSettings& settings);

}  // namespace otawrap
