#include "report/header_fields.h"

#include <cstring>

#include "codec/hex.h"

namespace otawrap {

namespace {

using Format = HeaderFieldFormat;

// The destination as one 64-bit number: bytes in the file are least
// significant first.
std::uint64_t destinationValue(const OtaHeader& header) {
  std::uint64_t value = 0;
  for (std::size_t i = header.upgradeFileDestination.size(); i-- > 0;) {
    value = (value << 8) | header.upgradeFileDestination[i];
  }
  return value;
}

}  // namespace

std::vector<HeaderField> otaHeaderFields(const OtaFileInfo& info) {
  const OtaHeader& h = info.header;
  const bool security = (h.fieldControl & kOtaFieldSecurityCredential) != 0;
  const bool destination = (h.fieldControl & kOtaFieldDestination) != 0;
  const bool hardware = (h.fieldControl & kOtaFieldHardwareVersions) != 0;
  return {
      {"File identifier", "fileIdentifier", Format::hex8, h.fileIdentifier, true, true},
      {"Header version", "headerVersion", Format::hex4, h.headerVersion, true, true},
      {"Header length", "headerLength", Format::decimal, h.headerLength, true, true},
      {"Field control", "fieldControl", Format::hex4, h.fieldControl, true, true},
      {"Manufacturer code", "manufacturerCode", Format::hex4, h.manufacturerCode, true, true},
      {"Image type", "imageType", Format::hex4, h.imageType, true, true},
      {"File version", "fileVersion", Format::hex8, h.fileVersion, true, true},
      {"Stack version", "stackVersion", Format::hex4, h.stackVersion, true, true},
      {"Header string", "headerString", Format::text, 0, true, true},
      {"Total image size", "totalImageSize", Format::decimal, h.totalImageSize, true, true},
      {"Security credential version", "securityCredentialVersion", Format::decimal,
       h.securityCredentialVersion, security, info.securityCredentialVersionPresent},
      {"Upgrade file destination", "upgradeFileDestination", Format::destination,
       destinationValue(h), destination, info.destinationPresent},
      {"Minimum hardware version", "minimumHardwareVersion", Format::hex4,
       h.minimumHardwareVersion, hardware, info.hardwareVersionsPresent},
      {"Maximum hardware version", "maximumHardwareVersion", Format::hex4,
       h.maximumHardwareVersion, hardware, info.hardwareVersionsPresent},
  };
}

HeaderField otaHeaderField(const OtaFileInfo& info, const char* key) {
  const std::vector<HeaderField> fields = otaHeaderFields(info);
  for (const HeaderField& field : fields) {
    if (std::strcmp(field.key, key) == 0) return field;
  }
  return fields.front();
}

std::size_t otaHeaderStringLength(const OtaHeader& header) {
  std::size_t length = header.headerString.size();
  while (length > 0 && header.headerString[length - 1] == 0) --length;
  return length;
}

std::string otaHeaderStringQuoted(const OtaHeader& header) {
  std::string text = "\"";
  const std::size_t length = otaHeaderStringLength(header);
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = header.headerString[i];
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      text += "\\x" + hexUpper(c, 2);
    }
  }
  return text + "\"";
}

std::string headerFieldText(const HeaderField& field, const OtaHeader& header) {
  if (!field.present) return "missing (beyond the end of the file)";
  switch (field.format) {
    case Format::hex4:
      return "0x" + hexUpper(field.value, 4);
    case Format::hex8:
      return "0x" + hexUpper(field.value, 8);
    case Format::decimal:
      return std::to_string(field.value);
    case Format::text:
      return otaHeaderStringQuoted(header);
    case Format::destination:
      return hexUpper(field.value, 16);
  }
  return "";
}

void headerFieldJson(JsonWriter& json, const HeaderField& field, const OtaHeader& header) {
  if (!field.present) {
    json.null();
  } else if (field.format == Format::text) {
    json.string(reinterpret_cast<const char*>(header.headerString.data()),
                otaHeaderStringLength(header));
  } else if (field.format == Format::destination) {
    json.string(hexUpper(field.value, 16));
  } else {
    json.number(field.value);
  }
}

}  // namespace otawrap
