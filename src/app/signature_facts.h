// What verify says about the signature it checked, besides the verdict: the
// signer's address, the public key used and, for crypto suite 2, the fields
// of the signer's certificate (issuer, subject, validity, key usage), as text
// lines and as the members of one JSON object.
#pragma once

#include <cstdint>
#include <string>

#include "report/json_writer.h"
#include "sign/ecdsa_curves.h"
#include "sign/suite2_certificate.h"

namespace otawrap {

struct SignatureFacts {
  SigningCurve curve = SigningCurve::sect163k1;
  const std::uint8_t* signer = nullptr;  // 8 bytes as stored, least significant first
  bool certificateShown = false;         // a suite-2 certificate is in the file
  Suite2Certificate certificate{};
  std::string publicKey;  // compressed, hex; "" when none was found
};

// An IEEE address stored least significant byte first, as 16 hex digits.
std::string storedAddressText(const std::uint8_t* stored);

// seconds after 1970-01-01 00:00:00 UTC as "YYYY-MM-DD hh:mm:ss UTC".
std::string utcText(std::uint64_t seconds);

// "Signer: ...", the certificate's lines, "Public key: ..." (when known),
// each ending in a newline.
std::string signatureFactsText(const SignatureFacts& facts);

// The same as the member "signature" of the current JSON object.
void signatureFactsJson(JsonWriter& json, const SignatureFacts& facts);

}  // namespace otawrap
