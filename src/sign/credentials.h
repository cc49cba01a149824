// Signer credentials, read from text: the IEEE address, private key, implicit
// certificate and public key of a signer of crypto suite 1 (sect163k1,
// 48-octet certificates) or crypto suite 2 (sect283k1, 74-octet
// certificates). The certificate's length decides the suite.
//
// Three layouts of labelled hexadecimal fields:
//   signer (this tool's):  "IEEE Address:", "Device Private Key:",
//                          "Device Implicit Cert:"
//   authority (as a certificate authority hands them out): "CA Pub Key:",
//                          "Device Implicit Cert:", "Private Key Reconstruction
//                          Data:" (the private key), "Device Public Key:"
//                          (optional); the IEEE address is the certificate's
//                          subject. A text holding "Private Key Reconstruction
//                          Data:" and no "Device Private Key:" is of this kind.
//   certificate (the public part, for a signer outside this process):
//                          "Device Implicit Cert:", and "CA Pub Key:" or
//                          "Device Public Key:" or both; "IEEE Address:"
//                          optional, else the certificate's subject.
// A text is at most 1,023 bytes. Each label's first occurrence counts; the
// fields may come in any order and any other text may surround them. Before each
// pair of hex digits, spaces, line feeds and carriage returns are skipped; a
// pair itself must be two hexadecimal digits. A field ends after its last pair
// at anything but another hex digit: "...5B\n", "...5B Device" and "...5B AB"
// end it, "...5BA" makes it too long. A certificate field that reads as 74
// pairs is of suite 2, else it must read as 48. The file is read in binary
// mode, so CR LF line ends count as two bytes toward the size limit everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sign/ecdsa_curves.h"

namespace otawrap {

// Signs digest outside this process: fills r and s (the curve's scalar
// octets each) and returns true, or returns false having written nothing
// that counts.
using ExternalDigestSign = bool (*)(void* context, const std::uint8_t digest[kEcdsaDigestOctets],
                                    std::uint8_t* r, std::uint8_t* s);

enum class CredentialsFormat : std::uint8_t { signer, authority, certificate };

// Wipes itself when it goes out of scope, so no copy of the private key
// outlives its owner. Each array holds the curve's length at its start.
struct SignerCredentials {
  SigningCurve curve = SigningCurve::sect163k1;
  CredentialsFormat format = CredentialsFormat::signer;
  std::array<std::uint8_t, 8> ieeeAddress{};           // least significant byte first
  std::array<std::uint8_t, 36> privateKey{};           // big-endian; none in a certificate text
  std::array<std::uint8_t, 74> implicitCertificate{};  // as written
  std::array<std::uint8_t, 37> publicKey{};            // compressed
  // Set by the caller for a certificate text: who signs instead of privateKey.
  ExternalDigestSign externalSign = nullptr;
  void* externalContext = nullptr;

  std::size_t keyOctets() const { return signingCurveSizes(curve).scalarOctets; }
  std::size_t certificateOctets() const { return curve == SigningCurve::sect163k1 ? 48 : 74; }
  std::size_t publicKeyOctets() const { return signingCurveSizes(curve).compressedPointOctets; }

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
  notAPoint,       // a public key that is not a point of order n on the curve
  certificateFormat,    // a suite-2 certificate of another type, curve or hash
  publicKeyMismatch,    // the device public key is not the private key's
  certificateMismatch,  // the certificate under the CA key gives another public key
  publicKeyMissing,     // a certificate text with neither CA nor device public key
};

enum class CredentialsField : std::uint8_t {
  none,
  ieeeAddress,
  privateKey,
  certificate,
  caPublicKey,
  reconstructionData,
  devicePublicKey,
};

struct CredentialsFault {
  CredentialsDefect defect = CredentialsDefect::none;
  CredentialsField field = CredentialsField::none;
  SigningCurve curve = SigningCurve::sect163k1;  // the suite the certificate gave
};

// The label that introduces field ("IEEE Address:", ...); "" for none.
const char* credentialsLabel(CredentialsField field);

// The hex digits field holds on curve (16, 42, 96, 44 ...; 72, 148, 74 on
// sect283k1); 0 for none.
std::size_t credentialsDigits(CredentialsField field, SigningCurve curve);

// Parses a signer or authority text (length bytes, no terminator needed).
// Fails with `invalid` when the text is longer than kCredentialsFileLimit, a
// label is missing, a field ends before all its pairs, a pair holds a non-hex
// character, a hex digit follows a field's last pair, the private key is zero
// modulo the group order, or (authority) a public key is not a point of order
// n, the device public key is not d*G or the certificate under the CA key does
// not give d*G; fault (may be nullptr) then says which. The certificate is
// judged first after the IEEE address (its length sets the others'), then the
// other fields in the order of the labels above. out is written only on
// success.
CredentialsStatus parseSignerCredentials(const char* text, std::size_t length,
                                         SignerCredentials& out, CredentialsFault* fault = nullptr);

// Parses a certificate text the same way: the public key is the device
// public key, or the certificate's under the CA key, and both must agree
// when both are given. out gets no private key.
CredentialsStatus parseSignerCertificate(const char* text, std::size_t length,
                                         SignerCredentials& out, CredentialsFault* fault = nullptr);

// Reads the file at path and parses it. `cannotOpen` when the file cannot be
// opened or read. out is written only on success.
CredentialsStatus loadSignerCredentials(const char* path, SignerCredentials& out,
                                        CredentialsFault* fault = nullptr);
CredentialsStatus loadSignerCertificate(const char* path, SignerCredentials& out,
                                        CredentialsFault* fault = nullptr);

// Overwrites every byte of the credentials, the private key included.
void wipeSignerCredentials(SignerCredentials& credentials);

}  // namespace otawrap
