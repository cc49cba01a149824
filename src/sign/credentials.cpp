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
CredentialsDefect readHexField(std::string_view text, std::string_view label, std::uint8_t* dest,
                               std::size_t count, bool reversed) {
  const std::size_t found = text.find(label);
  if (found == std::string_view::npos) {
    return CredentialsDefect::labelMissing;
  }
  std::size_t at = found + label.size();
  for (std::size_t i = 0; i < count; ++i) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r')) {
      ++at;
    }
    if (at + 2 > text.size()) {
      return CredentialsDefect::fieldTruncated;
    }
    const int high = hexDigit(text[at]);
    const int low = hexDigit(text[at + 1]);
    if (high < 0 || low < 0) {
      return CredentialsDefect::notHexDigit;
    }
    dest[reversed ? count - 1 - i : i] = static_cast<std::uint8_t>(high * 16 + low);
    at += 2;
  }
  return at == text.size() || hexDigit(text[at]) < 0 ? CredentialsDefect::none
                                                     : CredentialsDefect::fieldTooLong;
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

const char* credentialsLabel(CredentialsField field) {
  switch (field) {
    case CredentialsField::ieeeAddress:
      return "IEEE Address:";
    case CredentialsField::privateKey:
      return "Device Private Key:";
    case CredentialsField::certificate:
      return "Device Implicit Cert:";
    case CredentialsField::none:
      break;
  }
  return "";
}

std::size_t credentialsDigits(CredentialsField field) {
  switch (field) {
    case CredentialsField::ieeeAddress:
      return 2 * sizeof SignerCredentials{}.ieeeAddress;
    case CredentialsField::privateKey:
      return 2 * sizeof SignerCredentials{}.privateKey;
    case CredentialsField::certificate:
      return 2 * sizeof SignerCredentials{}.implicitCertificate;
    case CredentialsField::none:
      break;
  }
  return 0;
}

CredentialsStatus parseSignerCredentials(const char* text, std::size_t length,
                                         SignerCredentials& out, CredentialsFault* fault) {
  CredentialsFault found;
  SignerCredentials parsed;
  if (length > kCredentialsFileLimit) {
    found.defect = CredentialsDefect::tooLong;
  } else {
    std::string_view view(text, length);
    view = view.substr(0, view.find('\0'));  // the text ends at its first zero byte
    struct FieldRead {
      CredentialsField field;
      std::uint8_t* dest;
      std::size_t count;
      bool reversed;
    };
    const FieldRead fields[] = {
        {CredentialsField::ieeeAddress, parsed.ieeeAddress.data(), parsed.ieeeAddress.size(), true},
        {CredentialsField::privateKey, parsed.privateKey.data(), parsed.privateKey.size(), false},
        {CredentialsField::certificate, parsed.implicitCertificate.data(),
         parsed.implicitCertificate.size(), false},
    };
    for (const FieldRead& f : fields) {
      found.defect = readHexField(view, credentialsLabel(f.field), f.dest, f.count, f.reversed);
      if (found.defect != CredentialsDefect::none) {
        found.field = f.field;
        break;
      }
    }
    if (found.defect == CredentialsDefect::none && privateKeyIsZeroModOrder(parsed.privateKey)) {
      found = {CredentialsDefect::zeroKey, CredentialsField::privateKey};
    }
  }
  if (fault != nullptr) {
    *fault = found;
  }
  if (found.defect != CredentialsDefect::none) {
    return CredentialsStatus::invalid;
  }
  out = parsed;
  return CredentialsStatus::ok;
}

CredentialsStatus loadSignerCredentials(const char* path, SignerCredentials& out,
                                        CredentialsFault* fault) {
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
    status = parseSignerCredentials(text, length, out, fault);
  }
  secureWipe(text, sizeof text);
  return status;
}

SignerCredentials::~SignerCredentials() { wipeSignerCredentials(*this); }

void wipeSignerCredentials(SignerCredentials& credentials) {
  secureWipe(&credentials, sizeof credentials);
}

}  // namespace otawrap
