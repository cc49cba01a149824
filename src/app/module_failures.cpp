#include "app/module_failures.h"

namespace otawrap {

Failure imageFailure(ImageStatus status) {
  switch (status) {
    case ImageStatus::inputTruncated:
      return Failure::inputTruncated;
    case ImageStatus::inputReadFailed:
      return Failure::inputReadFailed;
    case ImageStatus::imageTooSmall:
      return Failure::imageTooSmall;
    case ImageStatus::ok:
    case ImageStatus::imageTooLarge:
      break;
  }
  return Failure::imageTooLarge;
}

Failure buildFailure(OtaBuildStatus status) {
  switch (status) {
    case OtaBuildStatus::reservedTag:
      return Failure::tagRefused;
    case OtaBuildStatus::fileTooLarge:
      return Failure::fileTooLarge;
    case OtaBuildStatus::signerFailed:
      return Failure::signerFailed;
    case OtaBuildStatus::ok:
    case OtaBuildStatus::missingCredentials:
    case OtaBuildStatus::signatureFailed:
      break;
  }
  return Failure::signingFailed;
}

const char* intelHexErrorText(IntelHexError error) {
  switch (error) {
    case IntelHexError::missingStartCode:
      return "line does not start with ':'";
    case IntelHexError::badHexDigit:
      return "not a hexadecimal digit";
    case IntelHexError::badRecordLength:
      return "wrong record length";
    case IntelHexError::lineTooLong:
      return "line longer than 1,024 characters";
    case IntelHexError::textTooLong:
      return "text longer than the 256 MiB limit";
    case IntelHexError::checksumMismatch:
      return "checksum mismatch";
    case IntelHexError::unknownRecordType:
      return "unknown record type";
    case IntelHexError::dataAfterEndOfFile:
      return "data after the end-of-file record";
    case IntelHexError::missingEndOfFile:
      return "no end-of-file record";
    case IntelHexError::readFailed:
      return "read failed";
    case IntelHexError::none:
      break;
  }
  return "";
}

std::string pointDecodeText(PointDecodeStatus status, SigningCurve curve) {
  switch (status) {
    case PointDecodeStatus::ok:
      return "";
    case PointDecodeStatus::badLength:
      return "public key must be 22 or 43 octets (crypto suite 1) or 37 or 73 octets (crypto "
             "suite 2), compressed or uncompressed";
    case PointDecodeStatus::badPrefix:
      return "public key must start with 02 or 03 (compressed) or 04 (uncompressed)";
    case PointDecodeStatus::notInField:
      return "public key coordinate is not a field element";
    case PointDecodeStatus::notOnCurve:
      return std::string("public key is not a point on ") +
             (curve == SigningCurve::sect163k1 ? "sect163k1" : "sect283k1");
    case PointDecodeStatus::wrongOrder:
      return "public key is not a point of order n";
  }
  return "";
}

OtaCheck signatureCheckReport(SignatureCheckStatus status) {
  switch (status) {
    case SignatureCheckStatus::passed:
      return OtaCheck::passed();
    case SignatureCheckStatus::notSigned:
      return OtaCheck::failed(OtaReason::fileNotSigned);
    case SignatureCheckStatus::notLast:
      return OtaCheck::failed(OtaReason::signatureNotLastOfFile);
    case SignatureCheckStatus::fileTooLarge:
      return OtaCheck::failed(OtaReason::fileTooLargeToHash);
    case SignatureCheckStatus::otherSuite:
      return OtaCheck::failed(OtaReason::keyOfOtherSuite);
    case SignatureCheckStatus::notSect283k1:
      return OtaCheck::failed(OtaReason::notSect283k1Signature);
    case SignatureCheckStatus::mismatch:
      break;
  }
  return OtaCheck::failed(OtaReason::signatureMismatch);
}

std::string credentialsFaultText(const CredentialsFault& fault) {
  const std::string label = std::string("'") + credentialsLabel(fault.field) + "'";
  const std::string digits = std::to_string(credentialsDigits(fault.field, fault.curve));
  const char* curve = fault.curve == SigningCurve::sect163k1 ? "sect163k1" : "sect283k1";
  switch (fault.defect) {
    case CredentialsDefect::tooLong:
      return "larger than " + std::to_string(kCredentialsFileLimit) + " bytes";
    case CredentialsDefect::labelMissing:
      return label + " is missing";
    case CredentialsDefect::fieldTruncated:
      return label + " ends before its " + digits + " hex digits";
    case CredentialsDefect::notHexDigit:
      return label + " holds a character that is not a hex digit";
    case CredentialsDefect::fieldTooLong:
      return label + " has more than " + digits + " hex digits";
    case CredentialsDefect::zeroKey:
      return label + " is zero modulo the group order";
    case CredentialsDefect::notAPoint:
      return label + " is not a point of order n on " + curve;
    case CredentialsDefect::certificateFormat:
      return label + " is not a certificate for sect283k1 and AES-MMO (type 00, curve 0D, hash 08)";
    case CredentialsDefect::publicKeyMismatch:
      return label + " is not the public key of 'Private Key Reconstruction Data:'";
    case CredentialsDefect::certificateMismatch:
      return "'Device Implicit Cert:' under 'CA Pub Key:' does not give the signer's public key";
    case CredentialsDefect::publicKeyMissing:
      return "neither 'CA Pub Key:' nor 'Device Public Key:' is given";
    case CredentialsDefect::none:
      break;
  }
  return "not valid signer credentials";
}

Problem intelHexProblem(const std::string& file, const IntelHexFailure& failure) {
  return {Failure::intelHexInvalid,
          file + ":" + std::to_string(failure.line) + ": " + intelHexErrorText(failure.error), file,
          0};
}

Problem invalidKeyProblem(const char* what, const std::string& text, PointDecodeStatus status,
                          SigningCurve curve) {
  if (status == PointDecodeStatus::ok) {
    return {Failure::invalidKey,
            std::string("invalid ") + what + " '" + text +
                "': not an even number of hexadecimal digits",
            "", 0};
  }
  return {Failure::invalidKey, std::string("invalid ") + what + ": " + pointDecodeText(status, curve),
          "", 0};
}

Problem notFirmwareProblem(const std::string& file, const std::string& kind) {
  return {Failure::inputNotFirmware, kind.empty() ? "image too small" : "it looks like " + kind,
          file, 0};
}

}  // namespace otawrap
