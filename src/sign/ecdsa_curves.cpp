// The curve parameter turned into the curve's own signer and verifier.
#include "sign/ecdsa_curves.h"

#include "ecc/point_decode.h"
#include "ecc/point283.h"
#include "sign/ecdsa283.h"
#include "sign/ecdsa_verify.h"

namespace otawrap {

EcdsaStatus ecdsaSignDigest(SigningCurve curve, const std::uint8_t* privateKey,
                            const std::uint8_t digest[kEcdsaDigestOctets], std::uint8_t* rOut,
                            std::uint8_t* sOut) {
  if (curve == SigningCurve::sect163k1) {
    return ecdsaSignDeterministic(privateKey, digest, rOut, sOut);
  }
  return ecdsa283Sign(privateKey, digest, rOut, sOut);
}

EcdsaStatus ecdsaPublicKeyCompressed(SigningCurve curve, const std::uint8_t* privateKey,
                                     std::uint8_t* compressedOut) {
  if (curve == SigningCurve::sect163k1) {
    AffinePoint Q;
    const EcdsaStatus status = ecdsaPublicKey(privateKey, Q);
    if (status == EcdsaStatus::ok) {
      pointEncodeCompressed(Q, compressedOut);
    }
    return status;
  }
  Affine283 Q;
  const EcdsaStatus status = ecdsa283PublicKey(privateKey, Q);
  if (status == EcdsaStatus::ok) {
    point283EncodeCompressed(Q, compressedOut);
  }
  return status;
}

EcdsaVerdict ecdsaVerifyDigest(SigningCurve curve, const std::uint8_t* publicKey, std::size_t length,
                               const std::uint8_t digest[kEcdsaDigestOctets], const std::uint8_t* r,
                               const std::uint8_t* s) {
  int valid = 0;
  if (curve == SigningCurve::sect163k1) {
    AffinePoint Q;
    if (pointDecode(publicKey, length, Q) != PointDecodeStatus::ok) {
      return EcdsaVerdict::badPublicKey;
    }
    valid = ecdsaVerify(Q, digest, r, s);
  } else {
    Affine283 Q;
    if (point283Decode(publicKey, length, Q) != Point283Status::ok) {
      return EcdsaVerdict::badPublicKey;
    }
    valid = ecdsa283Verify(Q, digest, r, s);
  }
  return valid != 0 ? EcdsaVerdict::valid : EcdsaVerdict::invalid;
}

}  // namespace otawrap
