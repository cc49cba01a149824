#include "ota/signed_file.h"

#include <cstring>

#include "sign/ecdsa.h"
#include "sign/ecdsa_verify.h"
#include "sign/mmo.h"

namespace otawrap {

SignStatus otaSignedFileAppend(OtaHeader& header, std::uint8_t* file, std::size_t& position,
                               const SignerCredentials& credentials) {
  const std::size_t certificateSize = credentials.implicitCertificate.size();
  otaSubElementHeadWrite(kOtaTagCertificate, static_cast<std::uint32_t>(certificateSize),
                         file + position);
  std::memcpy(file + position + kOtaSubElementHeadSize, credentials.implicitCertificate.data(),
              certificateSize);
  position += kOtaCertificateSubElementSize;

  // The hashed bytes carry the final total size, signature included.
  header.totalImageSize +=
      static_cast<std::uint32_t>(kOtaCertificateSubElementSize + kOtaSignatureSubElementSize);
  otaHeaderPatch(header, file);

  std::uint8_t digest[mmoDigestSize];
  mmoHash(file, static_cast<std::uint32_t>(position), digest);

  std::uint8_t r[21];
  std::uint8_t s[21];
  if (ecdsaSignDeterministic(credentials.privateKey.data(), digest, r, s) != EcdsaStatus::ok) {
    return SignStatus::signatureFailed;
  }
  // No signature leaves the tool unless it verifies under d*G.
  AffinePoint publicKey;
  if (ecdsaPublicKey(credentials.privateKey.data(), publicKey) != EcdsaStatus::ok ||
      ecdsaVerify(publicKey, digest, r, s) == 0) {
    return SignStatus::signatureFailed;
  }

  std::uint8_t* out = file + position;
  otaSubElementHeadWrite(kOtaTagSignature,
                         static_cast<std::uint32_t>(kOtaSignatureSubElementSize -
                                                    kOtaSubElementHeadSize),
                         out);
  out += kOtaSubElementHeadSize;
  std::memcpy(out, credentials.ieeeAddress.data(), credentials.ieeeAddress.size());
  out += credentials.ieeeAddress.size();
  std::memcpy(out, r, sizeof r);
  out += sizeof r;
  std::memcpy(out, s, sizeof s);
  position += kOtaSignatureSubElementSize;
  return SignStatus::ok;
}

}  // namespace otawrap
