#include "sign/ecqv.h"

#include "ecc/multi_scalar.h"
#include "ecc/point_decode.h"
#include "ecc/point_table.h"
#include "ecc/tnaf283.h"
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
  const Scalar283 one{1, 0, 0, 0, 0};
  Affine283 reconstructionTable[kTau283Entries];
  Affine283 caTable[kTau283Entries];
  tau283TableBuild(reconstruction, reconstructionTable);
  tau283TableBuild(caKey, caTable);
  Affine283 sum;
  if (tau283MultiplyCombined(e, reconstructionTable, one, caTable, sum) == 0) {
    return EcqvStatus::infinity;
  }
  publicKeyOut = sum;
  return EcqvStatus::ok;
}

}  // namespace otawrap
