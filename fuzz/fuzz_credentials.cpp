// The credentials parser on arbitrary text. Checked: the size limit, that a
// failed parse leaves the output alone, that a success is reproducible and
// that each parsed field is found again, hex pair by hex pair, behind its
// label's first occurrence in the text (up to its first zero byte), with no
// hex digit right behind its last pair, at the lengths of the suite the
// certificate's length gives; an authority text's address is its
// certificate's subject.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "sign/credentials.h"
#include "support/fuzz_check.h"

namespace {

using namespace otawrap;
using fuzz::fuzzCheck;

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// True when the bytes behind the label's first occurrence read as the given
// field: pairs of hex digits, optionally preceded by spaces, CR and LF, and
// then no further hex digit.
bool fieldMatches(std::string_view text, std::string_view label, const std::uint8_t* field,
                  std::size_t count, bool reversed) {
  const std::size_t found = text.find(label);
  if (found == std::string_view::npos) return false;
  std::size_t at = found + label.size();
  for (std::size_t i = 0; i < count; ++i) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\r' || text[at] == '\n')) ++at;
    if (at + 1 >= text.size()) return false;
    const int high = hexValue(text[at]);
    const int low = hexValue(text[at + 1]);
    if (high < 0 || low < 0) return false;
    if (field[reversed ? count - 1 - i : i] != high * 16 + low) return false;
    at += 2;
  }
  return at == text.size() || hexValue(text[at]) < 0;  // no longer than count pairs
}

bool sameCredentials(const SignerCredentials& a, const SignerCredentials& b) {
  return a.curve == b.curve && a.format == b.format && a.ieeeAddress == b.ieeeAddress &&
         a.privateKey == b.privateKey && a.implicitCertificate == b.implicitCertificate &&
         a.publicKey == b.publicKey;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  SignerCredentials out;
  out.ieeeAddress.fill(0x5A);
  out.privateKey.fill(0x5A);
  out.implicitCertificate.fill(0x5A);
  const SignerCredentials untouched = out;

  const CredentialsStatus status = parseSignerCredentials(text, size, out);
  fuzzCheck(status == CredentialsStatus::ok || status == CredentialsStatus::invalid,
            "parser status");
  if (status != CredentialsStatus::ok) {
    fuzzCheck(sameCredentials(out, untouched), "failed parse leaves output alone");
    return 0;
  }
  fuzzCheck(size <= kCredentialsFileLimit, "over-long text rejected");

  std::string_view view(text, size);
  view = view.substr(0, view.find('\0'));
  const bool authority = out.format == CredentialsFormat::authority;
  fuzzCheck(out.format != CredentialsFormat::certificate, "credentials are no certificate text");
  if (authority) {
    const std::size_t subject = out.curve == SigningCurve::sect163k1 ? 22 : 28;
    bool sameSubject = true;
    for (std::size_t i = 0; i < 8; ++i) {
      sameSubject = sameSubject && out.ieeeAddress[7 - i] == out.implicitCertificate[subject + i];
    }
    fuzzCheck(sameSubject, "IEEE address from the subject");
  } else {
    fuzzCheck(fieldMatches(view, "IEEE Address:", out.ieeeAddress.data(), 8, true), "IEEE address");
  }
  fuzzCheck(fieldMatches(view, authority ? "Private Key Reconstruction Data:" : "Device Private Key:",
                         out.privateKey.data(), out.keyOctets(), false),
            "private key");
  fuzzCheck(fieldMatches(view, "Device Implicit Cert:", out.implicitCertificate.data(),
                         out.certificateOctets(), false),
            "implicit certificate");
  bool keyNonZero = false;
  for (const std::uint8_t byte : out.privateKey) keyNonZero = keyNonZero || byte != 0;
  fuzzCheck(keyNonZero, "zero private key rejected");

  SignerCredentials again;
  fuzzCheck(parseSignerCredentials(text, size, again) == CredentialsStatus::ok &&
                sameCredentials(again, out),
            "parse is reproducible");
  return 0;
}
