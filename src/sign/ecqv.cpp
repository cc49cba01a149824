#include "sign/ecqv.h"

#include "ecc/multi_scalar.h"
#include "ecc/point_decode.h"
#include "ecc/point_table.h"
#include "ecc/scalar_mult283.h"
#include "sign/mmo.h"

namespace otawrap {

EcqvStatus ecqvPublicKeyReconstruct(const std::uint8_t certificate[kEcqvCertificateOctets],
                                    const AffinePoint& caKey, AffinePoint& publicKeyOut) {
  AffinePoint reconstruction;
  if (pointDecode(certificate, kPointCompressedOctets, reconstruction) != PointDecodeStatus::ok) {
    return EcqvStatus::badReconstructionPoint;
  }
  std::uint8_t digest[mmoDigestSize];
  mmoHash(certificate, kEcqvCertificateOctets, digest);
  ModNumber e;
  octetsToWords(mmoDigestSize, digest, kWordCount, e.data());
  ModNumber one;
  wordsSetOne(one.data(), kWordCount);

  AffinePoint reconstructionTable[kPointTableEntries];
  AffinePoint caTable[kPointTableEntries];
  pointTableBuild(reconstruction, reconstructionTable);
  pointTableBuild(caKey, caTable);
  AffinePoint sum;
  scalarMultiplyCombined(sum, e, &reconstructionTable[5], one, &caTable[5]);
  if (wordsIsZero(sum.x.data(), kWordCount) != 0) {
    return EcqvStatus::infinity;  // no point of order n has x = 0
  }
  publicKeyOut = sum;
  return EcqvStatus::ok;
}

EcqvStatus ecqvSuite2PublicKey(const std::uint8_t certificate[kSuite2CertificateOctets],
                               const Affine283& caKey, Affine283& publicKeyOut) {
  Affine283 reconstruction;
  if (point283Decode(certificate + kSuite2ReconstructionOffset, kPoint283CompressedOctets,
                     reconstruction) != Point283Status::ok) {
    return EcqvStatus::badReconstructionPoint;
  }
  std::uint8_t digest[mmoDigestSize];
  mmoHash(certificate, kSuite2CertificateOctets, digest);
  Scalar283 e;
  scalar283FromOctets(digest, mmoDigestSize, e);
  // e*P by its windows, then Q_CA added once.
  Affine283 product;
  if (sect283k1MultiplyPoint(e, reconstruction, product) == 0) {
    return EcqvStatus::infinity;
  }
  Ld283 sum{product.x, product.y, Field283{1, 0, 0, 0, 0}};
  ldAddMixed(sum, caKey, sum);
  if (limbsIsZero(sum.Z) != 0) {
    return EcqvStatus::infinity;
  }
  ldToAffine(sum, publicKeyOut);
  return EcqvStatus::ok;
}

}  // namespace otawrap
