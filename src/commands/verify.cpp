#include "app/module_failures.h"
#include "commands/verify.h"

#include <optional>
#include <vector>

#include "codec/hex.h"
#include "app/batch.h"
#include "app/conversion.h"
#include "commands/info.h"
#include "app/input_file.h"
#include "entry/registry.h"
#include "ecc/point_decode.h"
#include "ota/payload_verdicts.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "report/check_texts.h"
#include "report/info_report.h"
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

bool decodeKeyText(const std::string& text, const char* what, AffinePoint& point,
                   Problem& problem) {
  std::string octets;
  if (!parseHexOctets(text, octets)) {
    problem = invalidKeyProblem(what, text, PointDecodeStatus::ok);
    return false;
  }
  const PointDecodeStatus status =
      pointDecode(reinterpret_cast<const std::uint8_t*>(octets.data()), octets.size(), point);
  if (status != PointDecodeStatus::ok) {
    problem = invalidKeyProblem(what, text, status);
    return false;
  }
  return true;
}

bool resolveKey(const VerifyOptions& options, ResolvedKey& key, Problem& problem) {
  key.isCaKey = options.keySource == KeySource::caKey;
  if (options.keySource == KeySource::credentials) {
    SignerCredentials credentials;
    if (!loadCredentials(options.key, credentials, problem)) return false;
    ecdsaPublicKey(credentials.privateKey.data(), key.point);  // the key is nonzero mod n
    return true;
  }
  return decodeKeyText(options.key, key.isCaKey ? "CA public key" : "public key", key.point,
                       problem);
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

int verifyFile(const VerifyOptions& options, const ResolvedKey& key, const std::string& path,
               bool batch, Console console) {
  std::vector<std::uint8_t> bytes;
  Problem problem{Failure::cannotOpenInput, "", path, 0};
  if (!readOtaFile(path, bytes, problem, DashInput::standardInput)) {
    if (batch && options.json) console.out << batchErrorJson(path, problem);
    return reportFailure(problem, MessageStyle::command, console);
  }
  OtaFileInfo info = otaFileLocateAndRead(bytes.data(), bytes.size(), options.read);
  const std::uint8_t* file = bytes.data() + info.prefixLength;
  OtaCheck& check = info.check(OtaCheckId::signatureVerification);
  const std::optional<AffinePoint> publicKey = signerKey(file, info, key, check);
  if (publicKey) {
    check = signatureCheckReport(otaSignatureCheck(file, info, *publicKey));
  }
  check = unverifiableReason(info, check);

  const std::vector<OtaPayloadVerdict> payloads = otaPayloadVerdicts(file, info, options.payloadCheck);
  const bool verified = check.state == OtaCheckState::passed;
  if (options.json) {
    console.out << infoFormatJson(info, path, payloads);
  } else {
    console.out << infoFormatText(info, path, payloads);
    if (publicKey) console.out << "Public key: " << keyText(*publicKey) << '\n';
    console.out << (verified ? std::string("Signature: ok\n")
                             : std::string("Signature: FAILED (") +
                                   otaReasonText(check.reason) + ")\n");
  }
  return finishOutput(console,
                      verified && otaFileChecksPass(info) && otaPayloadsPass(payloads)
                          ? kExitSuccess
                          : kExitCheckFailed);
}

// The key is resolved once: a bad key is an error whatever the files hold.
int runVerify(const VerifyOptions& options, Console console) {
  ResolvedKey key{};
  Problem problem{Failure::invalidKey, "", "", 0};
  if (!resolveKey(options, key, problem)) {
    return reportFailure(problem, MessageStyle::command, console);
  }
  if (options.files.size() == 1 && !options.recursive) {
    return verifyFile(options, key, options.files[0], false, console);
  }
  const std::vector<BatchFile> files = batchFiles(options.files, options.recursive);
  return runBatch(files, options.json, console, [&](const std::string& path) {
    return verifyFile(options, key, path, true, console);
  });
}

template <KeySource source>
std::string storeKey(const ParsedOption& given, VerifyOptions& options) {
  options.keyGiven = true;
  options.keySource = source;
  options.key = given.value;
  return "";
}

std::string storeNoPayloadCheck(const ParsedOption&, VerifyOptions& options) {
  options.payloadCheck = false;
  return "";
}

std::string finishVerify(const std::vector<std::string>& operands, VerifyOptions& options) {
  if (!options.keyGiven) return "missing key: give --public-key, --credentials or --ca-key";
  options.files = operands;
  return "";
}

}  // namespace

const CommandDefinition<VerifyOptions>& verifyDefinition() {
  using O = VerifyOptions;
  static const CommandDefinition<O> definition = {
      {"verify", "--verify", "verify FILE... KEY-OPTION", "check the signature of an OTA file",
       "verify FILE... (--public-key HEX | --credentials FILE | --ca-key HEX)\n"
       "                      [--recursive] [--platform NAME] [--no-payload-check] [--json]",
       "Checks the OTA file FILE like info (its payload checks included) and prints\n"
       "info's report, then checks its ECDSA signature (crypto suite 1; crypto suite\n"
       "2 signatures cannot be verified yet). Several FILEs: one report\n"
       "each, then a summary line (with --json one JSON object per line, the summary\n"
       "on standard error); with --recursive a directory FILE stands for every file\n"
       "below it.\n",
       "Options (exactly one key):", "otawrap verify signed.zigbee --credentials signer.txt",
       "0 valid, 1 a check, a payload or the signature failed, 2 usage error, bad key,\n"
       "unreadable file (of several files: the worst).\n"},
      {
          {{'\0', "public-key", "HEX", "the signer's public key, 22 or 43 octets in hex"},
           storeKey<KeySource::publicKey>},
          {{'s', "credentials", "FILE", "the signer's key from a signer credentials file"},
           storeKey<KeySource::credentials>},
          {{'\0', "ca-key", "HEX",
            "the CA's public key; the signer's follows from the\ncertificate in FILE"},
           storeKey<KeySource::caKey>},
          {{'p', "platform", "NAME", "check the upgrade image as one of NAME's, as info does"},
           storeCheckPlatform<O>},
          {{'\0', "no-payload-check", nullptr, "identify the payloads but skip their checks", true},
           storeNoPayloadCheck},
          {{'\0', "json", nullptr, "one JSON object instead of text", true}, storeReportJson<O>},
          {{'r', "recursive", nullptr, "read every regular file below a directory FILE", true},
           storeRecursive<O>},
      },
      {{{"public-key", "credentials", "ca-key"}}},
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
