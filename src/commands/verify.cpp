#include "commands/verify.h"

#include <memory>
#include <vector>

#include "app/input_file.h"
#include "app/module_failures.h"
#include "app/signature_facts.h"
#include "app/signer_choice.h"
#include "codec/hex.h"
#include "ecc/point_decode.h"
#include "io/file_system.h"
#include "ota/element_checks.h"
#include "ota/signature_check.h"
#include "report/check_texts.h"
#include "sign/ecqv.h"

namespace otawrap {

namespace {

// The key the options name, as an encoded point of its curve: either the
// signer's key or (isCaKey) the CA's, from which the signer's follows from
// the file's certificate.
struct ResolvedKey {
  SigningCurve curve = SigningCurve::sect163k1;
  std::string octets;
  bool isCaKey = false;
};

PointDecodeStatus decodeStatus(Point283Status status) {
  switch (status) {
    case Point283Status::ok:
      return PointDecodeStatus::ok;
    case Point283Status::badLength:
      return PointDecodeStatus::badLength;
    case Point283Status::badPrefix:
      return PointDecodeStatus::badPrefix;
    case Point283Status::notInField:
      return PointDecodeStatus::notInField;
    case Point283Status::notOnCurve:
      return PointDecodeStatus::notOnCurve;
    case Point283Status::wrongOrder:
      break;
  }
  return PointDecodeStatus::wrongOrder;
}

// Decodes the hex digits of a key; what names the key in the messages, which
// quote the file the digits come from ("" for an option's value) or else the
// digits themselves. The key's curve follows from its length: 22 or 43
// octets are sect163k1's, 37 or 73 sect283k1's.
bool decodeKeyText(const std::string& text, const std::string& what, const std::string& file,
                   ResolvedKey& key, Problem& problem) {
  if (!parseHexOctets(text, key.octets)) {
    problem = invalidKeyProblem(what.c_str(), file.empty() ? text : file, PointDecodeStatus::ok);
    return false;
  }
  const auto* octets = reinterpret_cast<const std::uint8_t*>(key.octets.data());
  const std::size_t length = key.octets.size();
  key.curve = length == kPoint283CompressedOctets || length == kPoint283UncompressedOctets
                  ? SigningCurve::sect283k1
                  : SigningCurve::sect163k1;
  AffinePoint point163;
  Affine283 point283;
  const PointDecodeStatus status = key.curve == SigningCurve::sect163k1
                                       ? pointDecode(octets, length, point163)
                                       : decodeStatus(point283Decode(octets, length, point283));
  if (status != PointDecodeStatus::ok) {
    const std::string named = file.empty() ? what : what + " '" + file + "'";
    problem = invalidKeyProblem(named.c_str(), text, status, key.curve);
    return false;
  }
  return true;
}

// The hex text of a key file without its whitespace (spaces, tabs, line ends
// anywhere, so a wrapped key and a trailing newline read as one).
bool readKeyFile(const std::string& path, const std::string& what, std::string& text,
                 Problem& problem) {
  std::vector<std::uint8_t> bytes;
  int osError = 0;
  const InputFileStatus status = inputFileReadAll(path, kKeyFileLimit, bytes, osError);
  if (status == InputFileStatus::unreadable) {
    problem = {Failure::cannotReadKeyFile, "", path, osError};
    return false;
  }
  if (status == InputFileStatus::tooLarge) {
    problem = {Failure::invalidKey,
               "invalid " + what + " '" + path + "': larger than " +
                   std::to_string(kKeyFileLimit) + " bytes",
               "", 0};
    return false;
  }
  text.clear();
  for (const std::uint8_t byte : bytes) {
    if (byte != ' ' && byte != '\t' && byte != '\r' && byte != '\n') text += static_cast<char>(byte);
  }
  return true;
}

bool resolveKey(const VerifyOptions& options, ResolvedKey& key, Problem& problem) {
  const KeySource source = options.keySource;
  key.isCaKey = source == KeySource::caKey || source == KeySource::caKeyFile;
  if (source == KeySource::credentials) {
    SignerCredentials credentials;
    if (!loadCredentials(options.key, credentials, problem)) return false;
    key.curve = credentials.curve;
    key.octets.assign(credentials.publicKey.begin(),
                      credentials.publicKey.begin() +
                          static_cast<std::ptrdiff_t>(credentials.publicKeyOctets()));
    return true;
  }
  const std::string what = key.isCaKey ? "CA public key" : "public key";
  if (source == KeySource::publicKeyFile || source == KeySource::caKeyFile) {
    const std::string fileWhat = what + " file";
    std::string text;
    return readKeyFile(options.key, fileWhat, text, problem) &&
           decodeKeyText(text, fileWhat, options.key, key, problem);
  }
  if (decodeKeyText(options.key, what, "", key, problem)) return true;
  // A file's name where the digits go: the option that reads it.
  if (fsEntryKind(options.key) != FsEntryKind::none) {
    problem.hint = "'" + options.key + "' is a file: " +
                   (key.isCaKey ? "--ca-key-file" : "--public-key-file") + " reads the key from it";
  }
  return false;
}

// The signer's public key (compressed) for the file's certificate under the
// CA key, or the failed check that says why there is none.
bool keyFromCertificate(const OtaSignatureParts& parts, const ResolvedKey& key,
                        std::vector<std::uint8_t>& publicKey, OtaCheck& failure) {
  if (parts.certificate == nullptr) {
    failure = OtaCheck::failed(OtaReason::suite2NeedsCertificate);
    return false;
  }
  const auto* caOctets = reinterpret_cast<const std::uint8_t*>(key.octets.data());
  std::uint8_t encoded[kPoint283CompressedOctets];
  bool reconstructed = false;
  if (parts.curve == SigningCurve::sect163k1) {
    AffinePoint ca;
    AffinePoint signer{};
    reconstructed = pointDecode(caOctets, key.octets.size(), ca) == PointDecodeStatus::ok &&
                    ecqvPublicKeyReconstruct(parts.certificate, ca, signer) == EcqvStatus::ok;
    if (reconstructed) pointEncodeCompressed(signer, encoded);
  } else {
    Suite2Certificate fields;
    if (suite2CertificateParse(parts.certificate, fields) != Suite2CertificateStatus::ok) {
      failure = OtaCheck::failed(OtaReason::certificateNotSuite2);
      return false;
    }
    Affine283 ca;
    Affine283 signer;
    reconstructed = point283Decode(caOctets, key.octets.size(), ca) == Point283Status::ok &&
                    ecqvSuite2PublicKey(parts.certificate, ca, signer) == EcqvStatus::ok;
    if (reconstructed) point283EncodeCompressed(signer, encoded);
  }
  if (!reconstructed) {
    failure = OtaCheck::failed(OtaReason::certificateNotUnderCaKey);
    return false;
  }
  publicKey.assign(encoded, encoded + signingCurveSizes(parts.curve).compressedPointOctets);
  return true;
}

// The key compressed, as the report shows it.
std::vector<std::uint8_t> compressedKey(const ResolvedKey& key) {
  const auto* octets = reinterpret_cast<const std::uint8_t*>(key.octets.data());
  std::uint8_t encoded[kPoint283CompressedOctets];
  if (key.curve == SigningCurve::sect163k1) {
    AffinePoint point;
    pointDecode(octets, key.octets.size(), point);  // decoded once already
    pointEncodeCompressed(point, encoded);
  } else {
    Affine283 point;
    point283Decode(octets, key.octets.size(), point);
    point283EncodeCompressed(point, encoded);
  }
  return {encoded, encoded + signingCurveSizes(key.curve).compressedPointOctets};
}

// Verifies parts (a signature found) under key; sets check and the facts.
void checkFoundSignature(const std::uint8_t* file, const OtaFileInfo& info,
                         const OtaSignatureParts& parts, const ResolvedKey& key,
                         SignatureFacts& facts, OtaCheck& check) {
  if (parts.curve != key.curve) {
    check = OtaCheck::failed(OtaReason::keyOfOtherSuite);
    return;
  }
  if (parts.curve == SigningCurve::sect283k1 && !otaSuite2ScalarsPlausible(parts.signer)) {
    check = OtaCheck::failed(OtaReason::notSect283k1Signature);
    return;
  }
  std::vector<std::uint8_t> publicKey;
  if (key.isCaKey) {
    if (!keyFromCertificate(parts, key, publicKey, check)) return;
  } else {
    publicKey = compressedKey(key);
  }
  facts.publicKey = hexUpperOctets(publicKey.data(), publicKey.size());
  check = signatureCheckReport(
      otaSignatureVerify(file, info, parts.curve, publicKey.data(), publicKey.size()));
}

// The signature check of a file read: sets the check of the signature's
// suite (the key's when the file has none) and the report's additions.
bool verifySignature(const ResolvedKey& key, OtaInput& input, ExtraReport& report) {
  OtaFileInfo& info = input.info;
  OtaSignatureParts parts;
  const SignatureCheckStatus found = otaSignatureFind(input.file(), info, parts);
  const SigningCurve suite = found == SignatureCheckStatus::passed ? parts.curve : key.curve;
  OtaCheck& check = info.check(suite == SigningCurve::sect163k1
                                   ? OtaCheckId::signatureVerification
                                   : OtaCheckId::suite2SignatureVerification);
  auto facts = std::make_shared<SignatureFacts>();
  facts->curve = suite;
  if (found != SignatureCheckStatus::passed) {
    check = signatureCheckReport(found);
  } else {
    facts->signer = parts.signer;
    if (parts.curve == SigningCurve::sect283k1 && parts.certificate != nullptr) {
      facts->certificateShown = true;
      suite2CertificateParse(parts.certificate, facts->certificate);
    }
    checkFoundSignature(input.file(), info, parts, key, *facts, check);
  }
  const bool verified = check.state == OtaCheckState::passed;
  report.text = signatureFactsText(*facts);
  report.text += verified ? std::string("Signature: ok\n")
                          : std::string("Signature: FAILED (") + otaReasonText(check.reason) + ")\n";
  if (found == SignatureCheckStatus::passed) {
    report.json = [facts](JsonWriter& json) { signatureFactsJson(json, *facts); };
  }
  return verified;
}

// The key is resolved once: a bad key is an error whatever the files hold.
int runVerify(const VerifyOptions& options, const Console& console) {
  ResolvedKey key{};
  Problem problem{Failure::invalidKey, "", "", 0};
  if (!resolveKey(options, key, problem)) {
    return reportFailure(problem, console);
  }
  return judgeOtaFiles(options, console, [&key](OtaInput& input, ExtraReport& report) {
    return verifySignature(key, input, report);
  });
}

template <KeySource source>
std::string storeKey(const ParsedOption& given, VerifyOptions& options) {
  options.keyGiven = true;
  options.keySource = source;
  options.key = given.value;
  return "";
}

std::string finishVerify(const std::vector<std::string>& operands, VerifyOptions& options) {
  if (!options.keyGiven) {
    return "missing key: give --public-key, --public-key-file, --credentials, --ca-key or "
           "--ca-key-file";
  }
  options.files = operands;
  return "";
}

}  // namespace

const CommandDefinition<VerifyOptions>& verifyDefinition() {
  using O = VerifyOptions;
  static const CommandDefinition<O> definition = {
      {"verify", "--verify", CommandKind::judges, "FILE... KEY-OPTION",
       "check the signature of an OTA file",
       "FILE... (--public-key HEX | --public-key-file FILE | --credentials FILE\n"
       "                      | --ca-key HEX | --ca-key-file FILE)\n"
       "                      [--recursive] [--platform NAME] [--no-payload-check] [--json]",
       "Checks the OTA file FILE like info (its payload checks included) and prints\n"
       "info's report, then checks its ECDSA signature, of crypto suite 1 (sect163k1)\n"
       "or 2 (sect283k1) as the key is, and names the signer and, for suite 2, the\n"
       "certificate's subject, issuer, validity and key usage. Several FILEs: one report\n"
       "each, then a summary line (with --json one JSON object per line, the summary\n"
       "on standard error); with --recursive a directory FILE stands for every file\n"
       "below it.\n",
       "Options (exactly one key):", "otawrap verify signed.zigbee --credentials signer.txt"},
      joinRows<O>({{
          {{'\0', "public-key", "HEX",
            "the signer's public key in hex: 22 or 43 octets\n(suite 1), 37 or 73 (suite 2)"},
           storeKey<KeySource::publicKey>},
          {{'\0', "public-key-file", "FILE", "the signer's public key as hex text in FILE"},
           storeKey<KeySource::publicKeyFile>},
          {{'s', "credentials", "FILE",
            "the signer's key from a signer credentials file\n(either suite, any layout)"},
           storeKey<KeySource::credentials>},
          {{'\0', "ca-key", "HEX",
            "the CA's public key (22 or 37 octets); the signer's\nfollows from the certificate in FILE"},
           storeKey<KeySource::caKey>},
          {{'\0', "ca-key-file", "FILE", "the CA's public key as hex text in FILE"},
           storeKey<KeySource::caKeyFile>}},
                   otaFilesRows<O>("check the upgrade image as one of NAME's, as info does")}),
      {{{"public-key", "public-key-file", "credentials", "ca-key", "ca-key-file"}}},
      {1, kAnyNumber, "FILE"},
      finishVerify,
      runVerify,
  };
  return definition;
}

const Command& verifyCommand() {
  static const DefinedCommand<VerifyOptions> command(verifyDefinition());
  return command;
}

}  // namespace otawrap
