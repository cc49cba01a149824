#include "ota/signature_check.h"

#include "ecc/modn.h"
#include "sign/ecdsa_verify.h"
#include "sign/mmo.h"

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
  const std::size_t at = signatureOffset(info);
  if (at >= (std::size_t{1} << 29)) {
    return SignatureCheckStatus::fileTooLarge;
  }
  std::uint8_t digest[mmoDigestSize];
  mmoHash(file, static_cast<std::uint32_t>(at), digest);
  const std::uint8_t* r = file + at + kOtaSubElementHeadSize + kAddressOctets;
  const std::uint8_t* s = r + kScalarOctets;
  return ecdsaVerify(publicKey, digest, r, s) == 0 ? SignatureCheckStatus::mismatch
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
  const std::size_t at = signatureOffset(info);
  return at == 0 ? nullptr : file + at + kOtaSubElementHeadSize;
}

}  // namespace otawrap
