#include "ota/signed_file.h"

#include <algorithm>
#include <cstring>

#include "ecc/point283.h"
#include "sign/ecdsa_curves.h"
#include "sign/mmo.h"
#include "sign/suite2_signature.h"

namespace otawrap {

namespace {

struct SealTags {
  std::uint16_t certificate;
  std::uint16_t signature;
  std::uint32_t signatureLength;
};

SealTags sealTags(SigningCurve curve) {
  return curve == SigningCurve::sect163k1
             ? SealTags{kOtaTagCertificate, kOtaTagSignature, kOtaSignatureLength}
             : SealTags{kOtaTagCertificateSuite2, kOtaTagSignatureSuite2,
                        kOtaSuite2SignatureLength};
}

// r and s of digest, by the private key or the outside signer, verified
// under the key the credentials stand for.
SignStatus signDigest(const SignerCredentials& credentials, const std::uint8_t* digest,
                      std::uint8_t* r, std::uint8_t* s) {
  const SigningCurve curve = credentials.curve;
  std::uint8_t publicKey[kPoint283CompressedOctets];
  if (credentials.externalSign != nullptr) {
    if (!credentials.externalSign(credentials.externalContext, digest, r, s)) {
      return SignStatus::signerFailed;
    }
    std::memcpy(publicKey, credentials.publicKey.data(), credentials.publicKeyOctets());
  } else if (ecdsaSignDigest(curve, credentials.privateKey.data(), digest, r, s) !=
                 EcdsaStatus::ok ||
             ecdsaPublicKeyCompressed(curve, credentials.privateKey.data(), publicKey) !=
                 EcdsaStatus::ok) {
    return SignStatus::signatureFailed;
  }
  // No signature leaves the tool unless it verifies.
  return ecdsaVerifyDigest(curve, publicKey, credentials.publicKeyOctets(), digest, r, s) ==
                 EcdsaVerdict::valid
             ? SignStatus::ok
             : SignStatus::signatureFailed;
}

}  // namespace

std::size_t otaSignedTrailerSize(SigningCurve curve) {
  return curve == SigningCurve::sect163k1 ? kOtaSignedTrailerSize : kOtaSuite2SignedTrailerSize;
}

SignStatus otaSignedFileAppend(OtaHeader& header, std::uint8_t* file, std::size_t& position,
                               const SignerCredentials& credentials) {
  const SealTags tags = sealTags(credentials.curve);
  const std::size_t certificateSize = credentials.certificateOctets();
  otaSubElementHeadWrite(tags.certificate, static_cast<std::uint32_t>(certificateSize),
                         file + position);
  std::memcpy(file + position + kOtaSubElementHeadSize, credentials.implicitCertificate.data(),
              certificateSize);
  position += kOtaSubElementHeadSize + certificateSize;

  // The hashed bytes carry the final total size, signature included.
  header.totalImageSize += static_cast<std::uint32_t>(otaSignedTrailerSize(credentials.curve));
  otaHeaderPatch(header, file);

  std::uint8_t digest[mmoDigestSize];
  mmoHash(file, static_cast<std::uint32_t>(position), digest);

  Suite2Signature signature{};
  std::copy(credentials.ieeeAddress.begin(), credentials.ieeeAddress.end(),
            signature.signer.begin());
  const SignStatus status = signDigest(credentials, digest, signature.r.data(), signature.s.data());
  if (status != SignStatus::ok) {
    return status;
  }
  std::uint8_t* out = file + position;
  otaSubElementHeadWrite(tags.signature, tags.signatureLength, out);
  out += kOtaSubElementHeadSize;
  if (credentials.curve == SigningCurve::sect283k1) {
    suite2SignatureEncode(signature, out);
  } else {
    const std::size_t scalar = credentials.keyOctets();
    out = std::copy(signature.signer.begin(), signature.signer.end(), out);
    out = std::copy(signature.r.begin(), signature.r.begin() + static_cast<std::ptrdiff_t>(scalar), out);
    std::copy(signature.s.begin(), signature.s.begin() + static_cast<std::ptrdiff_t>(scalar), out);
  }
  position += kOtaSubElementHeadSize + tags.signatureLength;
  return SignStatus::ok;
}

}  // namespace otawrap
