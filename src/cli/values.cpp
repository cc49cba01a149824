#include "cli/values.h"

#include "codec/hex.h"
#include "io/file_system.h"
#include "ota/builder.h"

namespace otawrap {

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string parseIdentifier(const std::string& option, const std::string& text, int maxDigits,
                            std::uint32_t& value) {
  if (parseHexNumber(text, maxDigits, value)) return "";
  return "invalid value '" + text + "' for " + option + ": 1 to " + std::to_string(maxDigits) +
         " hex digits expected";
}

std::string directoryPrefix(const std::string& directory) {
  return fsIsSeparator(directory.back()) ? directory : directory + kPathSeparator;
}

std::string parseTag(const std::string& option, const std::string& text, std::uint16_t& tag) {
  std::uint32_t value = 0;
  if (!parseHexNumber(text, 4, value)) {
    return "invalid tag '" + text + "' for " + option + ": 1 to 4 hex digits expected";
  }
  tag = static_cast<std::uint16_t>(value);
  return "";
}

std::string parseTagFile(const std::string& option, const std::string& text, std::uint16_t& tag,
                         std::string& path) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals + 1 == text.size()) {
    return "invalid value '" + text + "' for " + option + ": TAG=FILE expected";
  }
  std::string error = parseTag(option, text.substr(0, equals), tag);
  if (!error.empty()) return error;
  path = text.substr(equals + 1);
  const std::string name = "tag 0x" + hexUpper(tag, 4) + " for " + option;
  switch (otaPayloadTagStatus(tag)) {
    case OtaBuildStatus::reservedTag:
      return name + " is written by otawrap itself (signature and certificate: --credentials;" +
             " integrity code: --integrity-code)";
    default:
      return "";
  }
}

std::string parseSeconds(const std::string& option, const std::string& text, unsigned maxSeconds,
                         unsigned& seconds) {
  unsigned long value = 0;
  bool digits = !text.empty() && text.size() <= 9;
  for (const char c : text) {
    digits = digits && c >= '0' && c <= '9';
    if (digits) value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (!digits || value == 0 || value > maxSeconds) {
    return "invalid value '" + text + "' for " + option + ": 1 to " + std::to_string(maxSeconds) +
           " seconds expected";
  }
  seconds = static_cast<unsigned>(value);
  return "";
}

std::string parsePlatform(const std::string& option, const std::string& text,
                          Platform& platform) {
  std::string name;
  for (const char c : text) name += upper(c);
  // A NUL inside would cut the name short.
  if (name.find('\0') == std::string::npos && platformFromName(name.c_str(), platform)) {
    return "";
  }
  return "invalid value '" + text + "' for " + option +
         ": QUILLDEV, MARSHDEV or FENBOARD expected";
}

}  // namespace otawrap
