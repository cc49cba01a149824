#include "driver/failure_messages.h"

namespace otawrap {

const char* failureMessage(ImageStatus status) {
  switch (status) {
    case ImageStatus::ok:
      return "";
    case ImageStatus::inputTruncated:
      return "Input file is truncated";
    case ImageStatus::inputReadFailed:
      return "Unable to open input file";
    case ImageStatus::imageTooSmall:
      return "Input image too small";
    case ImageStatus::imageTooLarge:
      return "Input image too large";
  }
  return "Input image too large";
}

const char* failureMessage(PointDecodeStatus status) {
  switch (status) {
    case PointDecodeStatus::ok:
      return "";
    case PointDecodeStatus::badLength:
      return "public key must be 22 octets (compressed) or 43 octets (uncompressed)";
    case PointDecodeStatus::badPrefix:
      return "public key must start with 02 or 03 (compressed) or 04 (uncompressed)";
    case PointDecodeStatus::notInField:
      return "public key coordinate is not a field element";
    case PointDecodeStatus::notOnCurve:
      return "public key is not a point on sect163k1";
    case PointDecodeStatus::wrongOrder:
      return "public key is not a point of order n";
  }
  return "";
}

const char* failureMessage(SignStatus status) {
  return status == SignStatus::ok ? "" : "Unable to generate signature";
}

const char* failureMessage(SignatureCheckStatus status) {
  switch (status) {
    case SignatureCheckStatus::passed:
      return "";
    case SignatureCheckStatus::notSigned:
      return "the file is not signed";
    case SignatureCheckStatus::notLast:
      return "the signature is not the last sub-element of the file";
    case SignatureCheckStatus::fileTooLarge:
      return "file too large to hash";
    case SignatureCheckStatus::mismatch:
      return "the signature does not match the key";
  }
  return "the signature does not match the key";
}

OtaCheck signatureCheckReport(SignatureCheckStatus status) {
  if (status == SignatureCheckStatus::passed) {
    return OtaCheck{OtaCheckState::passed, nullptr, false, false, 0, 0};
  }
  return OtaCheck{OtaCheckState::failed, failureMessage(status), false, false, 0, 0};
}

}  // namespace otawrap
