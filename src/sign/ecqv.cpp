#include "sign/ecqv.h"

#include "ecc/multi_scalar.h"
#include "ecc/point_decode.h"
#include "ecc/point_table.h"
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

}  // namespace otawrap
