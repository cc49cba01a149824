#include "driver/verify_command.h"

#include <string>
#include <vector>

#include "driver/failure_messages.h"
#include "driver/info_format.h"
#include "driver/input_file.h"
#include "ecc/point_decode.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "sign/credentials.h"
#include "sign/ecdsa_verify.h"
#include "sign/ecqv.h"

namespace otawrap {

namespace {

// Largest file --verify reads: the hash takes fewer than 2^29 bytes.
constexpr std::size_t kVerifyFileLimit = std::size_t{256} * 1024 * 1024;

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An even number of hex digits, with an optional "0x" in front; false for
// anything else.
bool parseHexOctets(const std::string& text, std::vector<std::uint8_t>& octets) {
  std::size_t at = 0;
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    at = 2;
  }
  if (at == text.size() || (text.size() - at) % 2 != 0) {
    return false;
  }
  octets.clear();
  for (; at < text.size(); at += 2) {
    const int high = hexValue(text[at]);
    const int low = hexValue(text[at + 1]);
    if (high < 0 || low < 0) {
      return false;
    }
    octets.push_back(static_cast<std::uint8_t>(high * 16 + low));
  }
  return true;
}

// The point the key text stands for; nullptr on success, else the error text
// (stored in message).
const char* decodeKeyText(const std::string& text, const char* what, AffinePoint& point,
                          std::string& message) {
  std::vector<std::uint8_t> octets;
  if (!parseHexOctets(text, octets)) {
    message = std::string("Invalid ") + what + ": not an even number of hexadecimal digits";
    return message.c_str();
  }
  const PointDecodeStatus status = pointDecode(octets.data(), octets.size(), point);
  if (status != PointDecodeStatus::ok) {
    message = std::string("Invalid ") + what + ": " + failureMessage(status);
    return message.c_str();
  }
  return nullptr;
}

std::string hexText(const std::uint8_t* octets, std::size_t length) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    text += kDigits[octets[i] >> 4];
    text += kDigits[octets[i] & 0xF];
  }
  return text;
}

int errorExit(const char* message, std::ostream& out) {
  out << "Error: " << message << std::flush;
  return 2;
}

}  // namespace

int runVerifyCommand(const LongOptionArguments& arguments, std::ostream& out) {
  const int keySources = (arguments.publicKeyGiven ? 1 : 0) + (arguments.credentialsGiven ? 1 : 0) +
                         (arguments.caKeyGiven ? 1 : 0);
  if (keySources == 0) {
    return errorExit("Missing key: give --public-key, -s or --ca-key", out);
  }
  if (keySources > 1) {
    return errorExit("Give only one of --public-key, -s and --ca-key", out);
  }

  // The key comes first, so a bad key is reported whatever the file holds.
  AffinePoint publicKey{};
  AffinePoint caKey{};
  std::string message;
  if (arguments.publicKeyGiven) {
    if (decodeKeyText(arguments.publicKey, "public key", publicKey, message) != nullptr) {
      return errorExit(message.c_str(), out);
    }
  } else if (arguments.caKeyGiven) {
    if (decodeKeyText(arguments.caKey, "CA public key", caKey, message) != nullptr) {
      return errorExit(message.c_str(), out);
    }
  } else {
    SignerCredentials credentials;
    const CredentialsStatus status =
        loadSignerCredentials(arguments.credentialsPath.c_str(), credentials);
    if (status != CredentialsStatus::ok) {
      return errorExit(credentialsMessage(status), out);
    }
    ecdsaPublicKey(credentials.privateKey.data(), publicKey);  // the key is nonzero mod n
  }

  std::vector<std::uint8_t> bytes;
  const InputFileStatus read = inputFileReadAll(arguments.file, kVerifyFileLimit, bytes);
  if (read == InputFileStatus::unreadable) {
    return errorExit("Unable to open input file", out);
  }
  if (read == InputFileStatus::tooLarge) {
    return errorExit("Input file too large to verify", out);
  }
  OtaFileInfo info = otaFileRead(bytes.data(), bytes.size());
  OtaCheck& check = info.check(OtaCheckId::signatureVerification);
  bool haveKey = true;
  if (arguments.caKeyGiven) {
    const std::uint8_t* certificate = otaCertificateBytes(bytes.data(), info);
    if (certificate == nullptr) {
      // The layout is wrong: the check reports why without using a key.
      check = signatureCheckReport(otaSignatureCheck(bytes.data(), info, caKey));
      haveKey = false;
    } else if (ecqvPublicKeyReconstruct(certificate, caKey, publicKey) != EcqvStatus::ok) {
      check = OtaCheck{OtaCheckState::failed,
                       "the certificate does not give a public key under this CA key", false,
                       false, 0, 0};
      haveKey = false;
    }
  }
  if (haveKey) {
    check = signatureCheckReport(otaSignatureCheck(bytes.data(), info, publicKey));
  }

  const bool verified = check.state == OtaCheckState::passed;
  if (arguments.json) {
    out << infoFormatJson(info, arguments.file);
  } else {
    out << infoFormatText(info, arguments.file);
    if (haveKey) {
      std::uint8_t encoded[kPointCompressedOctets];
      pointEncodeCompressed(publicKey, encoded);
      out << "Public key: " << hexText(encoded, sizeof encoded) << '\n';
    }
    out << (verified ? std::string("Signature: ok\n")
                     : std::string("Signature: FAILED (") + check.reason + ")\n");
  }
  out << std::flush;
  return verified && otaFileChecksPass(info) ? 0 : 2;
}

}  // namespace otawrap
