// Long options (--...). They never collide with the legacy command line: the
// legacy walk answered any argument that starts with "--" with the usage text.
//
// Modes, selected by the first argument:
//   otawrap --help
//   otawrap --version
//   otawrap --info FILE [--json]
//   otawrap --verify FILE (--public-key HEX | -s<credentials> | --ca-key HEX) [--json]
// Conversions take the optional header fields as long options anywhere after
// the input file; each takes the next argument as its value:
//   --header-string TEXT, --security-credential-version N, --destination IEEE,
//   --min-hw-version HEX4, --max-hw-version HEX4
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace otawrap {

enum class LongOptionMode : std::uint8_t { none, help, version, info, verify };

// The mode that argument (argv[1]) selects: `none` for anything else,
// including an unknown "--" argument, which keeps its legacy meaning.
LongOptionMode longOptionMode(const char* argument);

// Everything a mode takes from the arguments behind the mode option.
struct LongOptionArguments {
  std::string file;             // the FILE operand
  bool json = false;            // --json
  bool publicKeyGiven = false;  // --public-key HEX
  std::string publicKey;
  bool caKeyGiven = false;  // --ca-key HEX
  std::string caKey;
  bool credentialsGiven = false;  // -s<path>, one leading double quote skipped
  std::string credentialsPath;
};

// Parses argv[2..argc-1] for mode (info or verify). Returns nullptr on
// success, else the error text: a missing FILE or option value, a second
// operand, or an option the mode does not take.
const char* parseLongOptionArguments(LongOptionMode mode, int argc, const char* const* argv,
                                     LongOptionArguments& arguments);

// The text --help prints behind the usage text.
const char* longOptionsHelpText();

// "otawrap <version>" and a newline.
std::string versionText();

// Optional header fields a conversion takes from long options. Values are
// meaningful only when their flag (or field-control bit) is set.
struct HeaderFieldSettings {
  std::uint16_t fieldControl;  // bits 0, 1, 2 as the given options ask
  bool headerStringGiven;
  std::array<std::uint8_t, 32> headerString;  // zero-padded
  std::uint8_t securityCredentialVersion;
  std::array<std::uint8_t, 8> destination;  // least significant byte first
  bool minimumHardwareVersionGiven;
  bool maximumHardwareVersionGiven;
  std::uint16_t minimumHardwareVersion;
  std::uint16_t maximumHardwareVersion;
};

enum class HeaderOptionMatch : std::uint8_t {
  notHeaderOption,  // not one of the conversion's long options
  applied,
  failed,  // *error holds the text
};

// If name is one of the header-field options, parses value (nullptr when the
// argument list ended) into fields. Values: TEXT up to 32 bytes; N decimal
// 0..255 or 0x plus 1-2 hex digits; IEEE exactly 16 hex digits, most
// significant first; HEX4 1 to 4 hex digits, optional 0x, right-aligned.
HeaderOptionMatch applyHeaderOption(const char* name, const char* value,
                                    HeaderFieldSettings& fields, const char** error);

// Checks what only the whole command line shows: both hardware versions or
// neither, minimum not above maximum. Returns nullptr or the error text.
const char* headerFieldsComplete(const HeaderFieldSettings& fields);

}  // namespace otawrap
