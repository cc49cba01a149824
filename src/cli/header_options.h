// The optional OTA header fields a conversion takes as long options, each
// with its value in the next argument (or after "=" in the subcommands):
//   --header-string TEXT, --security-credential-version N, --destination IEEE,
//   --min-hw-version HEX4, --max-hw-version HEX4
// Shared by the legacy walk and `convert`.
#pragma once

#include <array>
#include <cstdint>

namespace otawrap {

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
