#include "cli/header_options.h"

#include <cstring>
#include <string>

#include "codec/hex.h"
#include "ota/header.h"

namespace otawrap {

namespace {

// Decimal 0..255, or "0x" with one or two hex digits.
bool parseByteValue(const char* text, std::uint8_t& value) {
  std::uint32_t parsed = 0;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (!parseHexNumber(text, 2, parsed)) return false;
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

}  // namespace

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

  std::uint32_t parsed = 0;
  std::string octets;
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
      if (!parseHexOctets(value, octets) || octets.size() != fields.destination.size()) {
        *error = "Invalid destination: 16 hex digits expected";
        return HeaderOptionMatch::failed;
      }
      // Written most significant first, stored least significant byte first.
      for (std::size_t i = 0; i < fields.destination.size(); ++i) {
        fields.destination[i] = static_cast<std::uint8_t>(octets[octets.size() - 1 - i]);
      }
      fields.fieldControl |= kOtaFieldDestination;
      break;
    case Field::minimumHw:
    case Field::maximumHw:
      if (!parseHexNumber(value, 4, parsed)) {
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
