// Signer credentials: label lookup, strict hex pairs, and the public key
// each layout must agree on.
#include "sign/credentials.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "codec/hex.h"
#include "ecc/point_decode.h"
#include "sign/ecqv.h"
#include "sign/secure_wipe.h"

namespace otawrap {

namespace {

constexpr std::size_t kSuite1CertificateOctets = kEcqvCertificateOctets;
constexpr std::size_t kSuite1SubjectOffset = 22;
constexpr std::size_t kSuite2SubjectOffset = 28;

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

bool hasLabel(std::string_view text, CredentialsField field) {
  return text.find(credentialsLabel(field)) != std::string_view::npos;
}

// One text being read: its fields land in parsed, the first fault in fault.
struct TextReader {
  std::string_view text;
  SignerCredentials& parsed;
  CredentialsFault& fault;

  // Records a defect of field unless an earlier one stands; true when none.
  bool note(CredentialsField field, CredentialsDefect defect) {
    if (fault.defect == CredentialsDefect::none && defect != CredentialsDefect::none) {
      fault.defect = defect;
      fault.field = field;
    }
    return fault.defect == CredentialsDefect::none;
  }

  CredentialsDefect read(CredentialsField field, std::uint8_t* dest, std::size_t count,
                         bool reversed = false) const {
    return readHexField(text, credentialsLabel(field), dest, count, reversed);
  }

  // The certificate sets the curve: a field of 74 pairs or more is suite 2's,
  // any other is judged as suite 1's 48.
  CredentialsDefect readCertificate() {
    const CredentialsDefect suite2 =
        read(CredentialsField::certificate, parsed.implicitCertificate.data(),
             kSuite2CertificateOctets);
    if (suite2 == CredentialsDefect::none || suite2 == CredentialsDefect::fieldTooLong) {
      parsed.curve = SigningCurve::sect283k1;
      fault.curve = parsed.curve;
      return suite2;
    }
    parsed.curve = SigningCurve::sect163k1;
    fault.curve = parsed.curve;
    return read(CredentialsField::certificate, parsed.implicitCertificate.data(),
                kSuite1CertificateOctets);
  }

  // A compressed public key of the curve behind field's label into octets.
  CredentialsDefect readPoint(CredentialsField field, std::uint8_t* octets) const {
    return read(field, octets, parsed.publicKeyOctets());
  }

  void addressFromSubject() {
    const std::size_t at = parsed.curve == SigningCurve::sect163k1 ? kSuite1SubjectOffset
                                                                   : kSuite2SubjectOffset;
    std::reverse_copy(parsed.implicitCertificate.begin() + static_cast<std::ptrdiff_t>(at),
                      parsed.implicitCertificate.begin() + static_cast<std::ptrdiff_t>(at + 8),
                      parsed.ieeeAddress.begin());
  }
};

// The compressed encoding of the point octets (compressed, the curve's
// length) holds, checked to be of order n; false when it is none.
bool pointCanonical(SigningCurve curve, const std::uint8_t* octets, std::uint8_t* out) {
  if (curve == SigningCurve::sect163k1) {
    AffinePoint point;
    if (pointDecode(octets, kPointCompressedOctets, point) != PointDecodeStatus::ok) return false;
    pointEncodeCompressed(point, out);
    return true;
  }
  Affine283 point;
  if (point283Decode(octets, kPoint283CompressedOctets, point) != Point283Status::ok) return false;
  point283EncodeCompressed(point, out);
  return true;
}

// The public key the certificate gives under the CA key (a checked point),
// compressed into out; false when the certificate gives none.
bool certificatePublicKey(const SignerCredentials& c, const std::uint8_t* caKey,
                          std::uint8_t* out) {
  if (c.curve == SigningCurve::sect163k1) {
    AffinePoint ca;
    AffinePoint key;
    if (pointDecode(caKey, kPointCompressedOctets, ca) != PointDecodeStatus::ok ||
        ecqvPublicKeyReconstruct(c.implicitCertificate.data(), ca, key) != EcqvStatus::ok) {
      return false;
    }
    pointEncodeCompressed(key, out);
    return true;
  }
  Affine283 ca;
  Affine283 key;
  if (point283Decode(caKey, kPoint283CompressedOctets, ca) != Point283Status::ok ||
      ecqvSuite2PublicKey(c.implicitCertificate.data(), ca, key) != EcqvStatus::ok) {
    return false;
  }
  point283EncodeCompressed(key, out);
  return true;
}

bool sameKey(const SignerCredentials& c, const std::uint8_t* a, const std::uint8_t* b) {
  return std::equal(a, a + c.publicKeyOctets(), b);
}

bool suite2CertificateUsable(const SignerCredentials& c) {
  if (c.curve != SigningCurve::sect283k1) return true;
  Suite2Certificate fields;
  return suite2CertificateParse(c.implicitCertificate.data(), fields) ==
         Suite2CertificateStatus::ok;
}

// The CA key and the device public key of an authority or certificate text,
// each checked against key (the public key so far) when there is one; sets
// key from the certificate when there is none.
bool checkPublicParts(TextReader& r, std::uint8_t* key, bool haveKey) {
  const std::size_t octets = r.parsed.publicKeyOctets();
  std::uint8_t given[kPoint283CompressedOctets] = {};
  std::uint8_t derived[kPoint283CompressedOctets] = {};
  if (hasLabel(r.text, CredentialsField::caPublicKey)) {
    if (!r.note(CredentialsField::caPublicKey, r.readPoint(CredentialsField::caPublicKey, given)) ||
        !r.note(CredentialsField::caPublicKey,
                pointCanonical(r.parsed.curve, given, derived) ? CredentialsDefect::none
                                                               : CredentialsDefect::notAPoint) ||
        !r.note(CredentialsField::certificate,
                certificatePublicKey(r.parsed, given, derived) ? CredentialsDefect::none
                                                               : CredentialsDefect::certificateMismatch)) {
      return false;
    }
    if (haveKey && !sameKey(r.parsed, key, derived)) {
      return r.note(CredentialsField::certificate, CredentialsDefect::certificateMismatch);
    }
    std::copy(derived, derived + octets, key);
    haveKey = true;
  }
  if (hasLabel(r.text, CredentialsField::devicePublicKey)) {
    if (!r.note(CredentialsField::devicePublicKey,
                r.readPoint(CredentialsField::devicePublicKey, given)) ||
        !r.note(CredentialsField::devicePublicKey,
                pointCanonical(r.parsed.curve, given, derived) ? CredentialsDefect::none
                                                               : CredentialsDefect::notAPoint)) {
      return false;
    }
    if (haveKey && !sameKey(r.parsed, key, derived)) {
      // A certificate text's two public parts disagree; an authority text's
      // device key is not its private key's.
      return r.note(CredentialsField::devicePublicKey,
                    r.parsed.format == CredentialsFormat::certificate
                        ? CredentialsDefect::certificateMismatch
                        : CredentialsDefect::publicKeyMismatch);
    }
    std::copy(derived, derived + octets, key);
    haveKey = true;
  }
  return r.note(CredentialsField::none,
                haveKey ? CredentialsDefect::none : CredentialsDefect::publicKeyMissing);
}

// d*G into parsed.publicKey; zeroKey for a key that is 0 mod n.
CredentialsDefect derivePublicKey(SignerCredentials& parsed) {
  return ecdsaPublicKeyCompressed(parsed.curve, parsed.privateKey.data(),
                                  parsed.publicKey.data()) == EcdsaStatus::ok
             ? CredentialsDefect::none
             : CredentialsDefect::zeroKey;
}

void readSigner(TextReader& r) {
  SignerCredentials& p = r.parsed;
  p.format = CredentialsFormat::signer;
  if (!r.note(CredentialsField::ieeeAddress,
              r.read(CredentialsField::ieeeAddress, p.ieeeAddress.data(), 8, true))) {
    return;
  }
  // The certificate first: its length decides the other fields' lengths.
  if (r.note(CredentialsField::certificate, r.readCertificate()) &&
      r.note(CredentialsField::certificate, suite2CertificateUsable(p)
                                                ? CredentialsDefect::none
                                                : CredentialsDefect::certificateFormat) &&
      r.note(CredentialsField::privateKey,
             r.read(CredentialsField::privateKey, p.privateKey.data(), p.keyOctets()))) {
    r.note(CredentialsField::privateKey, derivePublicKey(p));
  }
}

void readAuthority(TextReader& r) {
  SignerCredentials& p = r.parsed;
  p.format = CredentialsFormat::authority;
  std::uint8_t caKey[kPoint283CompressedOctets];
  if (!r.note(CredentialsField::certificate, r.readCertificate()) ||
      !r.note(CredentialsField::caPublicKey, r.readPoint(CredentialsField::caPublicKey, caKey)) ||
      !r.note(CredentialsField::certificate, suite2CertificateUsable(p)
                                                 ? CredentialsDefect::none
                                                 : CredentialsDefect::certificateFormat) ||
      !r.note(CredentialsField::reconstructionData,
              r.read(CredentialsField::reconstructionData, p.privateKey.data(), p.keyOctets())) ||
      !r.note(CredentialsField::reconstructionData, derivePublicKey(p))) {
    return;
  }
  r.addressFromSubject();
  checkPublicParts(r, p.publicKey.data(), true);
}

void readCertificateText(TextReader& r) {
  SignerCredentials& p = r.parsed;
  p.format = CredentialsFormat::certificate;
  if (!r.note(CredentialsField::certificate, r.readCertificate()) ||
      !r.note(CredentialsField::certificate, suite2CertificateUsable(p)
                                                 ? CredentialsDefect::none
                                                 : CredentialsDefect::certificateFormat)) {
    return;
  }
  if (hasLabel(r.text, CredentialsField::ieeeAddress)) {
    if (!r.note(CredentialsField::ieeeAddress,
                r.read(CredentialsField::ieeeAddress, p.ieeeAddress.data(), 8, true))) {
      return;
    }
  } else {
    r.addressFromSubject();
  }
  checkPublicParts(r, p.publicKey.data(), false);
}

CredentialsStatus parseText(const char* text, std::size_t length, bool certificate,
                            SignerCredentials& out, CredentialsFault* fault) {
  CredentialsFault found;
  SignerCredentials parsed;
  if (length > kCredentialsFileLimit) {
    found.defect = CredentialsDefect::tooLong;
  } else {
    std::string_view view(text, length);
    view = view.substr(0, view.find('\0'));  // the text ends at its first zero byte
    TextReader reader{view, parsed, found};
    if (certificate) {
      readCertificateText(reader);
    } else if (hasLabel(view, CredentialsField::reconstructionData) &&
               !hasLabel(view, CredentialsField::privateKey)) {
      readAuthority(reader);
    } else {
      readSigner(reader);
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

CredentialsStatus loadText(const char* path, bool certificate, SignerCredentials& out,
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
    status = parseText(text, length, certificate, out, fault);
  }
  secureWipe(text, sizeof text);
  return status;
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
    case CredentialsField::caPublicKey:
      return "CA Pub Key:";
    case CredentialsField::reconstructionData:
      return "Private Key Reconstruction Data:";
    case CredentialsField::devicePublicKey:
      return "Device Public Key:";
    case CredentialsField::none:
      break;
  }
  return "";
}

std::size_t credentialsDigits(CredentialsField field, SigningCurve curve) {
  const SigningCurveSizes sizes = signingCurveSizes(curve);
  switch (field) {
    case CredentialsField::ieeeAddress:
      return 16;
    case CredentialsField::privateKey:
    case CredentialsField::reconstructionData:
      return 2 * sizes.scalarOctets;
    case CredentialsField::certificate:
      return curve == SigningCurve::sect163k1 ? 2 * kSuite1CertificateOctets
                                              : 2 * kSuite2CertificateOctets;
    case CredentialsField::caPublicKey:
    case CredentialsField::devicePublicKey:
      return 2 * sizes.compressedPointOctets;
    case CredentialsField::none:
      break;
  }
  return 0;
}

CredentialsStatus parseSignerCredentials(const char* text, std::size_t length,
                                         SignerCredentials& out, CredentialsFault* fault) {
  return parseText(text, length, false, out, fault);
}

CredentialsStatus parseSignerCertificate(const char* text, std::size_t length,
                                         SignerCredentials& out, CredentialsFault* fault) {
  return parseText(text, length, true, out, fault);
}

CredentialsStatus loadSignerCredentials(const char* path, SignerCredentials& out,
                                        CredentialsFault* fault) {
  return loadText(path, false, out, fault);
}

CredentialsStatus loadSignerCertificate(const char* path, SignerCredentials& out,
                                        CredentialsFault* fault) {
  return loadText(path, true, out, fault);
}

SignerCredentials::~SignerCredentials() { wipeSignerCredentials(*this); }

void wipeSignerCredentials(SignerCredentials& credentials) {
  secureWipe(&credentials, sizeof credentials);
}

}  // namespace otawrap
