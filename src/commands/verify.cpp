#include "commands/verify.h"

#include <optional>

#include "app/convert_run.h"
#include "app/input_file.h"
#include "app/module_failures.h"
#include "codec/hex.h"
#include "ecc/point_decode.h"
#include "io/file_system.h"
#include "ota/signature_check.h"
#include "report/check_texts.h"
#include "sign/ecdsa_verify.h"
#include "sign/ecqv.h"

namespace otawrap {

namespace {

// The key the options name: a point, either the signer's key or (caKey) the
// CA's, from which the signer's follows from the file's certificate.
struct ResolvedKey {
  AffinePoint point;
  bool isCaKey;
};

// Decodes the hex digits of a key; what names the key in the messages, which
// quote the file the digits come from ("" for an option's value) or else
// the digits themselves.
bool decodeKeyText(const std::string& text, const std::string& what, const std::string& file,
                   AffinePoint& point, Problem& problem) {
  std::string octets;
  if (!parseHexOctets(text, octets)) {
    problem = invalidKeyProblem(what.c_str(), file.empty() ? text : file, PointDecodeStatus::ok);
    return false;
  }
  const PointDecodeStatus status =
      pointDecode(reinterpret_cast<const std::uint8_t*>(octets.data()), octets.size(), point);
  if (status != PointDecodeStatus::ok) {
    const std::string named = file.empty() ? what : what + " '" + file + "'";
    problem = invalidKeyProblem(named.c_str(), text, status);
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
    ecdsaPublicKey(credentials.privateKey.data(), key.point);  // the key is nonzero mod n
    return true;
  }
  const std::string what = key.isCaKey ? "CA public key" : "public key";
  if (source == KeySource::publicKeyFile || source == KeySource::caKeyFile) {
    const std::string fileWhat = what + " file";
    std::string text;
    return readKeyFile(options.key, fileWhat, text, problem) &&
           decodeKeyText(text, fileWhat, options.key, key.point, problem);
  }
  if (decodeKeyText(options.key, what, "", key.point, problem)) return true;
  // A file's name where the digits go: the option that reads it.
  if (fsEntryKind(options.key) != FsEntryKind::none) {
    problem.hint = "'" + options.key + "' is a file: " +
                   (key.isCaKey ? "--ca-key-file" : "--public-key-file") + " reads the key from it";
  }
  return false;
}

// The signer's public key for this file, or the failed check that says why
// there is none.
std::optional<AffinePoint> signerKey(const std::uint8_t* file, const OtaFileInfo& info,
                                     const ResolvedKey& key, OtaCheck& failure) {
  if (!key.isCaKey) return key.point;
  const std::uint8_t* certificate = otaCertificateBytes(file, info);
  if (certificate == nullptr) {
    failure = signatureCheckReport(otaSignatureUsable(info));
    return std::nullopt;
  }
  AffinePoint publicKey{};
  if (ecqvPublicKeyReconstruct(certificate, key.point, publicKey) != EcqvStatus::ok) {
    failure = OtaCheck::failed(OtaReason::certificateNotUnderCaKey);
    return std::nullopt;
  }
  return publicKey;
}

// A more precise reason than "not signed" for a file with a signature that
// cannot be checked: one followed by an integrity code, or of crypto suite 2.
OtaCheck unverifiableReason(const OtaFileInfo& info, const OtaCheck& check) {
  if (check.state != OtaCheckState::failed || otaSignatureUsable(info) != SignatureCheckStatus::notSigned) {
    return check;
  }
  if (info.firstSignature) {
    return signatureCheckReport(SignatureCheckStatus::notLast);
  }
  if (info.firstSuite2Signature) {
    return OtaCheck::failed(info.firstSuite2Certificate ? OtaReason::suite2NotVerifiable
                                                        : OtaReason::suite2NeedsCertificate);
  }
  return check;
}

std::string keyText(const AffinePoint& point) {
  std::uint8_t encoded[kPointCompressedOctets];
  pointEncodeCompressed(point, encoded);
  std::string text;
  for (const std::uint8_t octet : encoded) text += hexUpper(octet, 2);
  return text;
}

// The signature check of a file read: sets its check and the report's lines.
bool verifySignature(const ResolvedKey& key, OtaInput& input, std::string& lines) {
  OtaFileInfo& info = input.info;
  OtaCheck& check = info.check(OtaCheckId::signatureVerification);
  const std::optional<AffinePoint> publicKey = signerKey(input.file(), info, key, check);
  if (publicKey) check = signatureCheckReport(otaSignatureCheck(input.file(), info, *publicKey));
  check = unverifiableReason(info, check);
  const bool verified = check.state == OtaCheckState::passed;
  if (publicKey) lines += "Public key: " + keyText(*publicKey) + "\n";
  lines += verified ? std::string("Signature: ok\n")
                    : std::string("Signature: FAILED (") + otaReasonText(check.reason) + ")\n";
  return verified;
}

// The key is resolved once: a bad key is an error whatever the files hold.
int runVerify(const VerifyOptions& options, Console console) {
  ResolvedKey key{};
  Problem problem{Failure::invalidKey, "", "", 0};
  if (!resolveKey(options, key, problem)) {
    return reportFailure(problem, console);
  }
  return judgeOtaFiles(options, console, [&key](OtaInput& input, std::string& lines) {
    return verifySignature(key, input, lines);
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
       "info's report, then checks its ECDSA signature (crypto suite 1; crypto suite\n"
       "2 signatures cannot be verified yet). Several FILEs: one report\n"
       "each, then a summary line (with --json one JSON object per line, the summary\n"
       "on standard error); with --recursive a directory FILE stands for every file\n"
       "below it.\n",
       "Options (exactly one key):", "otawrap verify signed.zigbee --credentials signer.txt"},
      joinRows<O>({{
          {{'\0', "public-key", "HEX", "the signer's public key, 22 or 43 octets in hex"},
           storeKey<KeySource::publicKey>},
          {{'\0', "public-key-file", "FILE", "the signer's public key as hex text in FILE"},
           storeKey<KeySource::publicKeyFile>},
          {{'s', "credentials", "FILE", "the signer's key from a signer credentials file"},
           storeKey<KeySource::credentials>},
          {{'\0', "ca-key", "HEX",
            "the CA's public key; the signer's follows from the\ncertificate in FILE"},
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
