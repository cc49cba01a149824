#include "driver/info_format.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/json_writer.h"

namespace otawrap {

namespace {

std::string hex(std::uint64_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return text;
}

// The destination as one 64-bit number: bytes in the file are least
// significant first.
std::uint64_t destinationValue(const OtaHeader& header) {
  std::uint64_t value = 0;
  for (std::size_t i = header.upgradeFileDestination.size(); i-- > 0;) {
    value = (value << 8) | header.upgradeFileDestination[i];
  }
  return value;
}

// The header string without its trailing zero padding.
std::size_t headerStringLength(const OtaHeader& header) {
  std::size_t length = header.headerString.size();
  while (length > 0 && header.headerString[length - 1] == 0) --length;
  return length;
}

// Quoted, printable ASCII as it is, everything else as \xNN.
std::string quotedHeaderString(const OtaHeader& header) {
  std::string text = "\"";
  const std::size_t length = headerStringLength(header);
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t c = header.headerString[i];
    if (c == '"' || c == '\\') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else {
      text += "\\x" + hex(c, 2);
    }
  }
  return text + "\"";
}

std::string checkValue(const OtaCheck& check, std::uint64_t value) {
  return check.hexValues ? "0x" + hex(value, value > 0xFFFF ? 8 : 4) : std::to_string(value);
}

void appendLine(std::string& out, const char* name, const std::string& value) {
  out += "  ";
  out += name;
  out += ':';
  const std::size_t width = 29;
  const std::size_t used = std::char_traits<char>::length(name) + 1;
  out.append(used < width ? width - used : 1, ' ');
  out += value;
  out += '\n';
}

const char* kMissing = "missing (beyond the end of the file)";

}  // namespace

std::string infoFormatText(const OtaFileInfo& info, const std::string& fileName) {
  std::string out = "File: " + fileName + " (" + std::to_string(info.fileSize) + " bytes)\n";
  const OtaHeader& h = info.header;
  if (!info.headerComplete) {
    out += "Header: incomplete, the file is shorter than 56 bytes\n";
  } else {
    out += "Header:\n";
    appendLine(out, "File identifier", "0x" + hex(h.fileIdentifier, 8));
    appendLine(out, "Header version", "0x" + hex(h.headerVersion, 4));
    appendLine(out, "Header length", std::to_string(h.headerLength));
    appendLine(out, "Field control", "0x" + hex(h.fieldControl, 4));
    appendLine(out, "Manufacturer code", "0x" + hex(h.manufacturerCode, 4));
    appendLine(out, "Image type", "0x" + hex(h.imageType, 4));
    appendLine(out, "File version", "0x" + hex(h.fileVersion, 8));
    appendLine(out, "Stack version", "0x" + hex(h.stackVersion, 4));
    appendLine(out, "Header string", quotedHeaderString(h));
    appendLine(out, "Total image size", std::to_string(h.totalImageSize));
    if (h.fieldControl & kOtaFieldSecurityCredential) {
      appendLine(out, "Security credential version",
                 info.securityCredentialVersionPresent
                     ? std::to_string(h.securityCredentialVersion)
                     : kMissing);
    }
    if (h.fieldControl & kOtaFieldDestination) {
      appendLine(out, "Upgrade file destination",
                 info.destinationPresent ? hex(destinationValue(h), 16) : kMissing);
    }
    if (h.fieldControl & kOtaFieldHardwareVersions) {
      appendLine(out, "Minimum hardware version",
                 info.hardwareVersionsPresent ? "0x" + hex(h.minimumHardwareVersion, 4)
                                              : kMissing);
      appendLine(out, "Maximum hardware version",
                 info.hardwareVersionsPresent ? "0x" + hex(h.maximumHardwareVersion, 4)
                                              : kMissing);
    }
  }

  out += "Sub-elements:\n";
  if (info.subElements.empty()) {
    out += "  (none)\n";
  }
  for (const OtaSubElement& e : info.subElements) {
    const char* name = otaTagName(e.tag);
    out += "  tag 0x" + hex(e.tag, 4) + " " + (name != nullptr ? name : "(unknown)") +
           ", offset " + std::to_string(e.offset) + ", length " + std::to_string(e.length) +
           "\n";
  }

  out += "Checks:\n";
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const auto id = static_cast<OtaCheckId>(i);
    const OtaCheck& c = info.check(id);
    if (c.state == OtaCheckState::notRun) continue;
    out += "  ";
    out += otaCheckName(id);
    out += ": ";
    switch (c.state) {
      case OtaCheckState::passed:
        out += "ok";
        if (id == OtaCheckId::imageCrc) {
          out += " (0x" + hex(info.imageCrc, 4) + " at offset 0x" +
                 hex(info.imageCrcOffset, 2) + ")";
        }
        break;
      case OtaCheckState::failed:
        out += "FAILED: ";
        out += c.reason;
        if (c.hasValues) {
          out += " (expected " + checkValue(c, c.expected) + ", found " +
                 checkValue(c, c.found) + ")";
        }
        break;
      default:
        out += "not applicable (";
        out += c.reason;
        out += ")";
        break;
    }
    out += '\n';
  }
  return out;
}

std::string infoFormatJson(const OtaFileInfo& info, const std::string& fileName) {
  JsonWriter json;
  json.beginObject();
  json.key("file");
  json.string(fileName);
  json.key("fileSize");
  json.number(info.fileSize);

  json.key("header");
  const OtaHeader& h = info.header;
  if (!info.headerComplete) {
    json.null();
  } else {
    json.beginObject();
    json.key("fileIdentifier");
    json.number(h.fileIdentifier);
    json.key("headerVersion");
    json.number(h.headerVersion);
    json.key("headerLength");
    json.number(h.headerLength);
    json.key("fieldControl");
    json.number(h.fieldControl);
    json.key("manufacturerCode");
    json.number(h.manufacturerCode);
    json.key("imageType");
    json.number(h.imageType);
    json.key("fileVersion");
    json.number(h.fileVersion);
    json.key("stackVersion");
    json.number(h.stackVersion);
    json.key("headerString");
    json.string(reinterpret_cast<const char*>(h.headerString.data()), headerStringLength(h));
    json.key("headerStringHex");
    std::string stringHex;
    for (std::uint8_t byte : h.headerString) stringHex += hex(byte, 2);
    json.string(stringHex);
    json.key("totalImageSize");
    json.number(h.totalImageSize);
    if (info.securityCredentialVersionPresent) {
      json.key("securityCredentialVersion");
      json.number(h.securityCredentialVersion);
    }
    if (info.destinationPresent) {
      json.key("upgradeFileDestination");
      json.string(hex(destinationValue(h), 16));
    }
    if (info.hardwareVersionsPresent) {
      json.key("minimumHardwareVersion");
      json.number(h.minimumHardwareVersion);
      json.key("maximumHardwareVersion");
      json.number(h.maximumHardwareVersion);
    }
    json.endObject();
  }

  json.key("subElements");
  json.beginArray();
  for (const OtaSubElement& e : info.subElements) {
    json.beginObject();
    json.key("tag");
    json.number(e.tag);
    json.key("name");
    const char* name = otaTagName(e.tag);
    if (name != nullptr) {
      json.string(name);
    } else {
      json.null();
    }
    json.key("offset");
    json.number(e.offset);
    json.key("length");
    json.number(e.length);
    json.endObject();
  }
  json.endArray();

  json.key("imageCrcOffset");
  if (info.check(OtaCheckId::imageCrc).state == OtaCheckState::passed) {
    json.number(info.imageCrcOffset);
  } else {
    json.null();
  }

  json.key("checks");
  json.beginArray();
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const auto id = static_cast<OtaCheckId>(i);
    const OtaCheck& c = info.check(id);
    if (c.state == OtaCheckState::notRun) continue;
    json.beginObject();
    json.key("name");
    json.string(otaCheckName(id));
    json.key("result");
    json.string(c.state == OtaCheckState::passed   ? "ok"
                : c.state == OtaCheckState::failed ? "failed"
                                                   : "not applicable");
    if (c.reason != nullptr) {
      json.key("reason");
      json.string(c.reason);
    }
    if (c.hasValues) {
      json.key("expected");
      json.number(c.expected);
      json.key("found");
      json.number(c.found);
    }
    json.endObject();
  }
  json.endArray();

  json.key("ok");
  json.boolean(otaFileChecksPass(info));
  json.endObject();
  return json.text() + "\n";
}

}  // namespace otawrap
