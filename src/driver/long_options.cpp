#include "driver/long_options.h"

#include <cstring>

#include "driver/cli.h"
#include "ota/header.h"

namespace otawrap {

namespace {

const char kLongOptionsHelpText[] =
    "\n"
    "  Long options:\n"
    "       --help    - Print this text.\n"
    "       --version - Print the version.\n"
    "       --info <file> [--json] - Show the header, sub-elements and checks of an OTA file.\n"
    "       --verify <file> --public-key <hex> - Verify the signature of an OTA file\n"
    "           (or -s<certificate>, or --ca-key <hex>, in place of --public-key).\n"
    "  Optional header fields, after the input file; each takes the next argument:\n"
    "       --header-string <text> - OTA header string, at most 32 bytes.\n"
    "       --security-credential-version <n> - 0 to 255.\n"
    "       --destination <ieee> - Upgrade file destination, 16 hex digits.\n"
    "       --min-hw-version <hex> - Minimum hardware version, up to 4 hex digits.\n"
    "       --max-hw-version <hex> - Maximum hardware version (both or neither).\n";

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Strict hexadecimal: an optional "0x"/"0X", then 1..maxDigits hex digits and
// nothing else. exactDigits demands exactly maxDigits of them.
bool parseHex(const char* text, int maxDigits, bool exactDigits, std::uint64_t& value) {
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text += 2;
  }
  const std::size_t length = std::strlen(text);
  if (length == 0 || length > static_cast<std::size_t>(maxDigits) ||
      (exactDigits && length != static_cast<std::size_t>(maxDigits))) {
    return false;
  }
  value = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (!isHexDigit(text[i])) return false;
    value = (value << 4) | hexDigitValue(text[i]);
  }
  return true;
}

// Decimal 0..255, or "0x" with one or two hex digits.
bool parseByteValue(const char* text, std::uint8_t& value) {
  std::uint64_t parsed = 0;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (!parseHex(text, 2, false, parsed)) return false;
  } else {
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 3) return false;
    for (std::size_t i = 0; i < length; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      parsed = parsed * 10 + static_cast<unsigned>(text[i] - '0');
    }
    if (parsed > 255) return false;
  }
  value = static_cast<std::uint8_t>(parsed);
  return true;
}

struct ModeName {
  const char* name;
  LongOptionMode mode;
};

constexpr ModeName kModes[] = {
    {"--help", LongOptionMode::help},
    {"--version", LongOptionMode::version},
    {"--info", LongOptionMode::info},
    {"--verify", LongOptionMode::verify},
};

}  // namespace

LongOptionMode longOptionMode(const char* argument) {
  for (const ModeName& m : kModes) {
    if (std::strcmp(argument, m.name) == 0) return m.mode;
  }
  return LongOptionMode::none;
}

const char* parseLongOptionArguments(LongOptionMode mode, int argc, const char* const* argv,
                                     LongOptionArguments& arguments) {
  const bool verify = mode == LongOptionMode::verify;
  bool fileGiven = false;
  for (int i = 2; i < argc; ++i) {
    const char* argument = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(argument, "--json") == 0) {
      arguments.json = true;
    } else if (verify && std::strcmp(argument, "--public-key") == 0) {
      if (next == nullptr) return "Missing value for --public-key";
      arguments.publicKeyGiven = true;
      arguments.publicKey = next;
      ++i;
    } else if (verify && std::strcmp(argument, "--ca-key") == 0) {
      if (next == nullptr) return "Missing value for --ca-key";
      arguments.caKeyGiven = true;
      arguments.caKey = next;
      ++i;
    } else if (verify && (argument[0] == '-' && (argument[1] == 's' || argument[1] == 'S'))) {
      const char* path = argument + 2;
      arguments.credentialsGiven = true;
      arguments.credentialsPath = *path == '"' ? path + 1 : path;
    } else if (argument[0] == '-') {
      return "Unknown option";
    } else if (fileGiven) {
      return "Only one file may be given";
    } else {
      if (std::strlen(argument) >= kPathBufferSize) return "Input file name too long";
      fileGiven = true;
      arguments.file = argument;
    }
  }
  return fileGiven ? nullptr : "Missing file name";
}

const char* longOptionsHelpText() { return kLongOptionsHelpText; }

std::string versionText() { return std::string("otawrap ") + OTAWRAP_VERSION + "\n"; }

HeaderOptionMatch applyHeaderOption(const char* name, const char* value,
                                    HeaderFieldSettings& fields, const char** error) {
  enum class Field { headerString, securityCredential, destination, minimumHw, maximumHw };
  struct Option {
    const char* name;
    Field field;
    const char* missing;
  };
  static constexpr Option kOptions[] = {
      {"--header-string", Field::headerString, "Missing value for --header-string"},
      {"--security-credential-version", Field::securityCredential,
       "Missing value for --security-credential-version"},
      {"--destination", Field::destination, "Missing value for --destination"},
      {"--min-hw-version", Field::minimumHw, "Missing value for --min-hw-version"},
      {"--max-hw-version", Field::maximumHw, "Missing value for --max-hw-version"},
  };
  const Option* option = nullptr;
  for (const Option& o : kOptions) {
    if (std::strcmp(name, o.name) == 0) option = &o;
  }
  if (option == nullptr) return HeaderOptionMatch::notHeaderOption;
  if (value == nullptr) {
    *error = option->missing;
    return HeaderOptionMatch::failed;
  }

  std::uint64_t parsed = 0;
  switch (option->field) {
    case Field::headerString: {
      const std::size_t length = std::strlen(value);
      if (length > fields.headerString.size()) {
        *error = "Header string longer than 32 bytes";
        return HeaderOptionMatch::failed;
      }
      fields.headerString = {};
      std::memcpy(fields.headerString.data(), value, length);
      fields.headerStringGiven = true;
      break;
    }
    case Field::securityCredential:
      if (!parseByteValue(value, fields.securityCredentialVersion)) {
        *error = "Invalid security credential version: 0 to 255 expected";
        return HeaderOptionMatch::failed;
      }
      fields.fieldControl |= kOtaFieldSecurityCredential;
      break;
    case Field::destination:
      if (!parseHex(value, 16, true, parsed)) {
        *error = "Invalid destination: 16 hex digits expected";
        return HeaderOptionMatch::failed;
      }
      // Stored least significant byte first, like every multi-byte field.
      for (std::size_t i = 0; i < fields.destination.size(); ++i) {
        fields.destination[i] = static_cast<std::uint8_t>(parsed >> (8 * i));
      }
      fields.fieldControl |= kOtaFieldDestination;
      break;
    case Field::minimumHw:
    case Field::maximumHw:
      if (!parseHex(value, 4, false, parsed)) {
        *error = "Invalid hardware version: 1 to 4 hex digits expected";
        return HeaderOptionMatch::failed;
      }
      if (option->field == Field::minimumHw) {
        fields.minimumHardwareVersionGiven = true;
        fields.minimumHardwareVersion = static_cast<std::uint16_t>(parsed);
      } else {
        fields.maximumHardwareVersionGiven = true;
        fields.maximumHardwareVersion = static_cast<std::uint16_t>(parsed);
      }
      // The bit stands for the pair; headerFieldsComplete rejects half a pair.
      if (fields.minimumHardwareVersionGiven && fields.maximumHardwareVersionGiven) {
        fields.fieldControl |= kOtaFieldHardwareVersions;
      }
      break;
  }
  return HeaderOptionMatch::applied;
}

const char* headerFieldsComplete(const HeaderFieldSettings& fields) {
  if (fields.minimumHardwareVersionGiven != fields.maximumHardwareVersionGiven) {
    return "Minimum and maximum hardware versions must be given together";
  }
  if (fields.minimumHardwareVersionGiven &&
      fields.minimumHardwareVersion > fields.maximumHardwareVersion) {
    return "Minimum hardware version is above the maximum";
  }
  return nullptr;
}

}  // namespace otawrap
