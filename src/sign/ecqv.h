// Public key of a signer from its implicit certificate (SEC 4, ECQV) in the
// 48-octet ZigBee layout:
//   octets  0..21  reconstruction point P, compressed
//   octets 22..29  subject (the signer's IEEE address, most significant first)
//   octets 30..37  issuer
//   octets 38..47  profile data
// Q = e*P + Q_CA, where e is the AES-MMO digest of all 48 octets read as a
// big-endian integer (128 bits, already below n).
//
// Suite 2 (sect283k1) reconstructs the same way from the 74-octet certificate
// of sign/suite2_certificate.h: P is its octets 37..73, e the AES-MMO digest of
// all 74 octets (again below n).
#pragma once

#include <cstdint>

#include "ecc/point.h"
#include "ecc/point283.h"
#include "sign/suite2_certificate.h"

namespace otawrap {

inline constexpr unsigned kEcqvCertificateOctets = 48;

enum class EcqvStatus {
  ok,
  badReconstructionPoint,  // octets 0..21 are not a point of order n
  infinity,                // e*P + Q_CA is the point at infinity
};

// publicKeyOut = e*P + Q_CA for the certificate (48 octets) and the CA's public
// key caKey (a point of order n, as pointDecode gives it). publicKeyOut is
// written only on success, with canonical coordinates.
EcqvStatus ecqvPublicKeyReconstruct(const std::uint8_t certificate[kEcqvCertificateOctets],
                                    const AffinePoint& caKey, AffinePoint& publicKeyOut);

// publicKeyOut = e*P + Q_CA for a suite-2 certificate (74 octets) and the CA's
// public key (a point of order n, as point283Decode gives it). publicKeyOut is
// written only on success. The certificate's other fields are not checked here.
EcqvStatus ecqvSuite2PublicKey(const std::uint8_t certificate[kSuite2CertificateOctets],
                               const Affine283& caKey, Affine283& publicKeyOut);

}  // namespace otawrap
