// The signer credentials file: IEEE address, private key and implicit
// certificate, each as hexadecimal text behind a fixed label.
//
// The text is at most 1,023 bytes. Each label's first occurrence counts; the
// fields may come in any order and any other text may surround them. Before each
// pair of hex digits, spaces, line feeds and carriage returns are skipped; a
// pair itself must be two hexadecimal digits. A field ends after its last pair
// at anything but another hex digit: "...5B\n", "...5B Device" and "...5B AB"
// end it, "...5BA" makes it too long. The file is read in binary mode, so CR LF
// line ends count as two bytes toward the size limit everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace otawrap {

// Wipes itself when it goes out of scope, so no copy of the private key
// outlives its owner.
struct SignerCredentials {
  std::array<std::uint8_t, 8> ieeeAddress{};           // least significant byte first
  std::array<std::uint8_t, 21> privateKey{};           // big-endian
  std::array<std::uint8_t, 48> implicitCertificate{};  // as written

  SignerCredentials() = default;
  SignerCredentials(const SignerCredentials&) = default;
  SignerCredentials& operator=(const SignerCredentials&) = default;
  ~SignerCredentials();
};

enum class CredentialsStatus {
  ok,
  cannotOpen,
  invalid,
};

// Largest accepted credentials file; a file of kCredentialsFileLimit + 1 bytes
// or more is invalid.
inline constexpr std::size_t kCredentialsFileLimit = 1023;

// Why a credentials text is invalid, and in which field.
enum class CredentialsDefect : std::uint8_t {
  none,
  tooLong,         // more than kCredentialsFileLimit bytes
  labelMissing,
  fieldTruncated,  // the text ends before all the field's pairs
  notHexDigit,     // a pair holds a character that is not a hex digit
  fieldTooLong,    // a hex digit right behind the field's last pair
  zeroKey,         // the private key is zero modulo the group order
};

enum class CredentialsField : std::uint8_t { none, ieeeAddress, privateKey, certificate };

struct CredentialsFault {
  CredentialsDefect defect = CredentialsDefect::none;
  CredentialsField field = CredentialsField::none;
};

// The label that introduces field ("IEEE Address:", ...); "" for none.
const char* credentialsLabel(CredentialsField field);

// The hex digits field holds (16, 42 or 96); 0 for none.
std::size_t credentialsDigits(CredentialsField field);

// Parses credentials text (length bytes, no terminator needed). Fails with
// `invalid` when the text is longer than kCredentialsFileLimit, a label is
// missing, a field ends before all its pairs, a pair holds a non-hex
// character, a hex digit follows a field's last pair, or the private key is
// zero modulo the group order; fault (may be nullptr) then says which, for the
// first field in file order of the labels above. out is written only on
// success.
CredentialsStatus parseSignerCredentials(const char* text, std::size_t length,
                                         SignerCredentials& out, CredentialsFault* fault = nullptr);

// Reads the file at path and parses it. `cannotOpen` when the file cannot be
// opened or read. out is written only on success.
CredentialsStatus loadSignerCredentials(const char* path, SignerCredentials& out,
                                        CredentialsFault* fault = nullptr);

// Overwrites every byte of the credentials, the private key included.
void wipeSignerCredentials(SignerCredentials& credentials);

}  // namespace otawrap
