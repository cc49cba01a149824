// Signer credentials: label lookup and strict hex pairs.
#include "sign/credentials.h"

#include <cstdio>
#include <string_view>

#include "codec/hex.h"
#include "ecc/modn.h"
#include "ecc/words.h"
#include "sign/secure_wipe.h"

namespace otawrap {

namespace {

// Reads count pairs behind the first occurrence of label into dest (reversed
// when asked). Whitespace is allowed only between pairs; the text ends at its
// first zero byte, and a field that runs into that end is invalid. A hex digit
// right behind the last pair means the field is longer than count pairs, so
// it is invalid too; anything else there ends the field.
bool readHexField(std::string_view text, std::string_view label, std::uint8_t* dest,
                  std::size_t count, bool reversed) {
  const std::size_t found = text.find(label);
  if (found == std::string_view::npos) {
    return false;
  }
  std::size_t at = found + label.size();
  for (std::size_t i = 0; i < count; ++i) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r')) {
      ++at;
    }
    if (at + 2 > text.size()) {
      return false;
    }
    const int high = hexDigit(text[at]);
    const int low = hexDigit(text[at + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    dest[reversed ? count - 1 - i : i] = static_cast<std::uint8_t>(high * 16 + low);
    at += 2;
  }
  return at == text.size() || hexDigit(text[at]) < 0;
}

bool privateKeyIsZeroModOrder(const std::array<std::uint8_t, 21>& key) {
  ModNumber d{};
  octetsToWords(static_cast<std::uint16_t>(key.size()), key.data(), kWordCount, d.data());
  modReduceFinal(d);
  const bool zero = wordsIsZero(d.data(), kWordCount) == 1;
  secureWipe(d.data(), sizeof d);
  return zero;
}

}  // namespace

CredentialsStatus parseSignerCredentials(const char* text, std::size_t length,
                                         SignerCredentials& out) {
  if (length > kCredentialsFileLimit) {
    return CredentialsStatus::invalid;
  }
  std::string_view view(text, length);
  view = view.substr(0, view.find('\0'));  // the text ends at its first zero byte

  SignerCredentials parsed;
  const bool ok =
      readHexField(view, "IEEE Address:", parsed.ieeeAddress.data(), parsed.ieeeAddress.size(),
                   true) &&
      readHexField(view, "Device Private Key:", parsed.privateKey.data(),
                   parsed.privateKey.size(), false) &&
      readHexField(view, "Device Implicit Cert:", parsed.implicitCertificate.data(),
                   parsed.implicitCertificate.size(), false) &&
      !privateKeyIsZeroModOrder(parsed.privateKey);
  if (ok) {
    out = parsed;
  }
  return ok ? CredentialsStatus::ok : CredentialsStatus::invalid;
}

CredentialsStatus loadSignerCredentials(const char* path, SignerCredentials& out) {
  // Binary: CR LF counts as two bytes toward the limit on every platform.
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return CredentialsStatus::cannotOpen;
  }
  // One byte more than the limit tells an over-long file from one at the limit.
  char text[kCredentialsFileLimit + 1];
  const std::size_t length = std::fread(text, 1, sizeof text, file);
  const bool readFailed = std::ferror(file) != 0;
  static_cast<void>(std::fclose(file));  // opened for reading only
  CredentialsStatus status = CredentialsStatus::cannotOpen;
  if (!readFailed) {
    status = parseSignerCredentials(text, length, out);
  }
  secureWipe(text, sizeof text);
  return status;
}

const char* credentialsMessage(CredentialsStatus status) {
  switch (status) {
    case CredentialsStatus::ok:
      return "";
    case CredentialsStatus::cannotOpen:
      return "Cannot open certificate";
    case CredentialsStatus::invalid:
      return "Invalid certificate";
  }
  return "Invalid certificate";
}

SignerCredentials::~SignerCredentials() { wipeSignerCredentials(*this); }

void wipeSignerCredentials(SignerCredentials& credentials) {
  secureWipe(&credentials, sizeof credentials);
}

}  // namespace otawrap
