#include "ota/signature_check.h"

#include "ecc/modn.h"
#include "ota/element_checks.h"
#include "sign/ecdsa_verify.h"
#include "sign/mmo.h"
#include "sign/suite2_signature.h"

namespace otawrap {

namespace {

constexpr std::size_t kAddressOctets = 8;

// Offset of the signature sub-element's head; 0 unless the layout check passed
// (then it is last, 56 bytes long and inside the file).
std::size_t signatureOffset(const OtaFileInfo& info) {
  if (info.check(OtaCheckId::signatureLayout).state != OtaCheckState::passed ||
      !info.beforeLastSubElement) {
    return 0;
  }
  const OtaSubElement& last = *info.lastSubElement;
  if (last.offset + kOtaSignatureSubElementSize != info.fileSize) {
    return 0;
  }
  return last.offset;
}

}  // namespace

SignatureCheckStatus otaSignatureUsable(const OtaFileInfo& info) {
  if (info.check(OtaCheckId::signatureLayout).state == OtaCheckState::notApplicable) {
    return SignatureCheckStatus::notSigned;
  }
  return signatureOffset(info) == 0 ? SignatureCheckStatus::notLast : SignatureCheckStatus::passed;
}

SignatureCheckStatus otaSignatureCheck(const std::uint8_t* file, const OtaFileInfo& info,
                                       const AffinePoint& publicKey) {
  const SignatureCheckStatus usable = otaSignatureUsable(info);
  if (usable != SignatureCheckStatus::passed) {
    return usable;
  }
  OtaSignatureParts parts;
  static_cast<void>(otaSignatureFind(file, info, parts));  // passes: the suite-1 layout did
  if (parts.hashed >= kOtaMmoMessageLimit) {
    return SignatureCheckStatus::fileTooLarge;
  }
  std::uint8_t digest[mmoDigestSize];
  mmoHash(file, static_cast<std::uint32_t>(parts.hashed), digest);
  return ecdsaVerify(publicKey, digest, parts.r, parts.s) == 0 ? SignatureCheckStatus::mismatch
                                                               : SignatureCheckStatus::passed;
}

const std::uint8_t* otaCertificateBytes(const std::uint8_t* file, const OtaFileInfo& info) {
  const std::size_t at = signatureOffset(info);
  if (at == 0) {
    return nullptr;
  }
  const OtaSubElement& certificate = *info.beforeLastSubElement;
  return file + certificate.offset + kOtaSubElementHeadSize;
}

const std::uint8_t* otaSignerAddressBytes(const std::uint8_t* file, const OtaFileInfo& info) {
  OtaSignatureParts parts;
  return otaSignatureFind(file, info, parts) == SignatureCheckStatus::passed ? parts.signer
                                                                             : nullptr;
}

SignatureCheckStatus otaSignatureFind(const std::uint8_t* file, const OtaFileInfo& info,
                                      OtaSignatureParts& parts) {
  if (otaSignatureUsable(info) == SignatureCheckStatus::passed) {
    const std::size_t at = signatureOffset(info);
    parts.curve = SigningCurve::sect163k1;
    parts.certificate = otaCertificateBytes(file, info);
    parts.signer = file + at + kOtaSubElementHeadSize;
    parts.r = parts.signer + kAddressOctets;
    parts.s = parts.r + kScalarOctets;
    parts.hashed = at;
    return SignatureCheckStatus::passed;
  }
  const Suite2Layout layout = otaSuite2SignatureLayout(info);
  if (layout != Suite2Layout::wellFormed && layout != Suite2Layout::withoutCertificate) {
    return info.firstSignature || info.firstSuite2Signature ? SignatureCheckStatus::notLast
                                                            : SignatureCheckStatus::notSigned;
  }
  const OtaSubElement& last = *info.lastSubElement;
  if (last.headSize != kOtaSubElementHeadSize ||
      last.offset + kOtaSubElementHeadSize + kOtaSuite2SignatureLength != info.fileSize) {
    return SignatureCheckStatus::notLast;
  }
  parts.curve = SigningCurve::sect283k1;
  parts.certificate = layout == Suite2Layout::wellFormed
                          ? file + info.beforeLastSubElement->dataOffset()
                          : nullptr;
  parts.signer = file + last.dataOffset() + kSuite2SignerOffset;
  parts.r = file + last.dataOffset() + kSuite2ROffset;
  parts.s = file + last.dataOffset() + kSuite2SOffset;
  parts.hashed = last.offset;
  return SignatureCheckStatus::passed;
}

SignatureCheckStatus otaSignatureVerify(const std::uint8_t* file, const OtaFileInfo& info,
                                        SigningCurve curve, const std::uint8_t* publicKey,
                                        std::size_t length) {
  OtaSignatureParts parts;
  const SignatureCheckStatus found = otaSignatureFind(file, info, parts);
  if (found != SignatureCheckStatus::passed) return found;
  if (parts.curve != curve) return SignatureCheckStatus::otherSuite;
  if (curve == SigningCurve::sect283k1 && !otaSuite2ScalarsPlausible(parts.signer)) {
    return SignatureCheckStatus::notSect283k1;
  }
  if (parts.hashed >= kOtaMmoMessageLimit) return SignatureCheckStatus::fileTooLarge;
  std::uint8_t digest[mmoDigestSize];
  mmoHash(file, static_cast<std::uint32_t>(parts.hashed), digest);
  return ecdsaVerifyDigest(curve, publicKey, length, digest, parts.r, parts.s) ==
                 EcdsaVerdict::valid
             ? SignatureCheckStatus::passed
             : SignatureCheckStatus::mismatch;
}

}  // namespace otawrap
