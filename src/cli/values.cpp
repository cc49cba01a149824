#include "cli/values.h"

#include "codec/hex.h"

namespace otawrap {

namespace {

struct PlatformName {
  const char* name;
  Platform platform;
};

constexpr PlatformName kPlatforms[] = {
    {"QUILLDEV", Platform::quillDev},
    {"MARSHDEV", Platform::marshDev},
    {"FENBOARD", Platform::fenBoard},
};

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string parseIdentifier(const std::string& option, const std::string& text, int maxDigits,
                            std::uint32_t& value) {
  if (parseHexNumber(text, maxDigits, value)) return "";
  return "invalid value '" + text + "' for " + option + ": 1 to " + std::to_string(maxDigits) +
         " hex digits expected";
}

std::string parsePlatform(const std::string& option, const std::string& text,
                          Platform& platform) {
  std::string name;
  for (const char c : text) name += upper(c);
  for (const PlatformName& p : kPlatforms) {
    if (name == p.name) {
      platform = p.platform;
      return "";
    }
  }
  return "invalid value '" + text + "' for " + option +
         ": QUILLDEV, MARSHDEV or FENBOARD expected";
}

const char* platformName(Platform platform) {
  for (const PlatformName& p : kPlatforms) {
    if (p.platform == platform) return p.name;
  }
  return "QUILLDEV";
}

}  // namespace otawrap
