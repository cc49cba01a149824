// Crypto suite 2: ECQV on the published vectors of both suites and on keys
// OpenSSL makes, ECDSA over sect283k1 against OpenSSL both ways (and through
// the curve-parameter API on both curves), the certificate's fields and the
// signature element's layout.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ecc/point_decode.h"
#include "ecc/scalar_mult283.h"
#include "ota/format.h"
#include "sign/ecdsa283.h"
#include "sign/ecdsa_curves.h"
#include "sign/ecdsa_verify.h"
#include "sign/ecqv.h"
#include "sign/suite2_signature.h"
#include "support/field_reference.h"
#include "support/openssl_hash.h"
#include "support/openssl_sect283k1.h"
#include "support/vector_file.h"

namespace otawrap {

bool operator==(const Affine283& a, const Affine283& b) { return a.x == b.x && a.y == b.y; }

namespace {

using Bytes = std::vector<std::uint8_t>;
using test::hexToBytes;

// The published vectors (a CA's page, as in the credentials it hands out):
// CA public key, certificate, private key, device public key.
struct PublishedVector {
  const char* suite;
  const char* caKey;
  const char* certificate;
  const char* privateKey;
  const char* publicKey;
};

const PublishedVector kPublished[] = {
    {"suite 1", "0200fde8a7f3d1084224962a4e7c54e69ac3f04da6b8",
     "02020882b1d7df05538f37cdd09a4f6b15368998642b002208000000000154455354534543410109108301234567890a",
     "0392ba4afc2453a49eebe9bca8de73210f02479a4a", "0207d1ca014786b5e552cfd5f04339a2e856f00eaaef"},
    {"suite 2", "0207a445022d9f39f49bdc38380026a27a9e0a1799313ab28c5c1a1c6b605154db1dff6752",
     "000b3ad5a312ab75d60d081112131415161718005b7ed230ffffffff0022080000000001080205bb3d1d1576197ff9"
     "ab6563915019a130437adb0ee7915432dc4a09c97dc595c5856800",
     "00997097b87684f62f555173c47be89935fbf6440ae292492b54c5829a0d541f4d26e254",
     "02012f082ee7db1bd3f89f16eabbf5d6221a5dcd077fc0c9d37b329eee8e2cdaee03439de0"},
};

TEST(EcqvPublished, BothSuitesReconstructTheListedKeyAndItsPrivateKeyMatches) {
  for (const PublishedVector& v : kPublished) {
    SCOPED_TRACE(v.suite);
    const Bytes ca = hexToBytes(v.caKey);
    const Bytes certificate = hexToBytes(v.certificate);
    const Bytes privateKey = hexToBytes(v.privateKey);
    const Bytes expected = hexToBytes(v.publicKey);
    Bytes derived(expected.size());
    Bytes reconstructed(expected.size());
    if (certificate.size() == kEcqvCertificateOctets) {
      AffinePoint caKey;
      ASSERT_EQ(pointDecode(ca.data(), ca.size(), caKey), PointDecodeStatus::ok);
      AffinePoint Q;
      ASSERT_EQ(ecqvPublicKeyReconstruct(certificate.data(), caKey, Q), EcqvStatus::ok);
      pointEncodeCompressed(Q, reconstructed.data());
      ASSERT_EQ(ecdsaPublicKeyCompressed(SigningCurve::sect163k1, privateKey.data(), derived.data()),
                EcdsaStatus::ok);
    } else {
      ASSERT_EQ(certificate.size(), kSuite2CertificateOctets);
      Affine283 caKey;
      ASSERT_EQ(point283Decode(ca.data(), ca.size(), caKey), Point283Status::ok);
      Affine283 Q;
      ASSERT_EQ(ecqvSuite2PublicKey(certificate.data(), caKey, Q), EcqvStatus::ok);
      point283EncodeCompressed(Q, reconstructed.data());
      ASSERT_EQ(ecdsaPublicKeyCompressed(SigningCurve::sect283k1, privateKey.data(), derived.data()),
                EcdsaStatus::ok);
    }
    EXPECT_EQ(reconstructed, expected);
    EXPECT_EQ(derived, expected);
  }
}

// A CA and certificates made with OpenSSL's keys: P = r*G, the issued private
// key d = e*r + c mod n, so e*P + Q_CA must be d*G; damaged certificates and
// another CA's key must not give it.
TEST(EcqvSuite2, KeysOpensslMakesReconstructAndDamageDoesNot) {
  test::Source283 source(2);
  Limbs<5> c;
  Affine283 caKey;
  test::sslGenerateKey283(c, caKey);
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    Limbs<5> r;
    Affine283 P;
    test::sslGenerateKey283(r, P);
    Bytes certificate(kSuite2CertificateOctets);
    for (std::size_t j = 0; j < kSuite2ReconstructionOffset; ++j) {
      certificate[j] = static_cast<std::uint8_t>(source.element()[0]);
    }
    point283EncodeCompressed(P, certificate.data() + kSuite2ReconstructionOffset);
    std::uint8_t digest[16];
    test::OpensslMmo mmo;
    mmo.hash(certificate.data(), certificate.size(), digest);
    Limbs<5> e;
    limbsFromOctets(digest, 16, e);
    const Limbs<5> sum = test::sslModMultiply283(e, r);
    Limbs<5> d;
    limbsAdd(sum, c, d);
    d = test::sslModMultiply283(d, Limbs<5>{1, 0, 0, 0, 0});
    Affine283 Q;
    ASSERT_EQ(ecqvSuite2PublicKey(certificate.data(), caKey, Q), EcqvStatus::ok);
    EXPECT_TRUE(Q == test::sslMultiplyGenerator283(d));

    Bytes damaged = certificate;
    damaged[static_cast<std::size_t>(i) * 9 % kSuite2CertificateOctets] ^= 0x10;
    Affine283 other{};
    const EcqvStatus status = ecqvSuite2PublicKey(damaged.data(), caKey, other);
    EXPECT_TRUE(status == EcqvStatus::badReconstructionPoint || !(other == Q));
    ASSERT_EQ(ecqvSuite2PublicKey(certificate.data(), sect283k1Generator, other), EcqvStatus::ok);
    EXPECT_FALSE(other == Q);
  }
}

// Our signatures verify with OpenSSL, OpenSSL's with us; changed digests,
// r or s do not verify; the same key and digest sign the same way.
TEST(Ecdsa283, RoundTripsBothWaysAgainstOpenssl) {
  std::mt19937 rng(283);
  for (int i = 0; i < 24; ++i) {
    SCOPED_TRACE(i);
    Limbs<5> d;
    Affine283 Q;
    test::sslGenerateKey283(d, Q);
    std::uint8_t key[36];
    limbsToOctets(d, sizeof key, key);
    std::uint8_t digest[16];
    for (auto& b : digest) b = static_cast<std::uint8_t>(rng());
    if (i % 5 == 0) std::fill_n(digest, 6, 0);

    std::uint8_t r[36];
    std::uint8_t s[36];
    ASSERT_EQ(ecdsa283Sign(key, digest, r, s), EcdsaStatus::ok);
    EXPECT_TRUE(test::sslVerify283(Q, digest, 16, r, s));
    EXPECT_EQ(ecdsa283Verify(Q, digest, r, s), 1);
    std::uint8_t r2[36];
    std::uint8_t s2[36];
    ASSERT_EQ(ecdsa283Sign(key, digest, r2, s2), EcdsaStatus::ok);
    EXPECT_TRUE(std::equal(r, r + 36, r2) && std::equal(s, s + 36, s2));

    const Bytes theirs = test::sslSign283(d, digest, 16);
    EXPECT_EQ(ecdsa283Verify(Q, digest, theirs.data(), theirs.data() + 36), 1);
    digest[i % 16] ^= 1;
    EXPECT_EQ(ecdsa283Verify(Q, digest, theirs.data(), theirs.data() + 36), 0);
    digest[i % 16] ^= 1;
    s[35] ^= 2;
    EXPECT_EQ(ecdsa283Verify(Q, digest, r, s), 0);
  }
  // r or s of 0 or n; a key of 0 or n signs nothing.
  Affine283 Q;
  Limbs<5> d;
  test::sslGenerateKey283(d, Q);
  std::uint8_t n[36];
  limbsToOctets(sect283k1Order, sizeof n, n);
  const std::uint8_t zero[36] = {};
  const std::uint8_t digest[16] = {1};
  EXPECT_EQ(ecdsa283Verify(Q, digest, zero, n), 0);
  EXPECT_EQ(ecdsa283Verify(Q, digest, n, n), 0);
  std::uint8_t r[36] = {0xA5};
  EXPECT_EQ(ecdsa283Sign(zero, digest, r, r), EcdsaStatus::keyIsZero);
  EXPECT_EQ(ecdsa283Sign(n, digest, r, r), EcdsaStatus::keyIsZero);
  EXPECT_EQ(r[0], 0xA5);
}

// The curve parameter reaches each curve's signer and verifier.
TEST(EcdsaCurves, SignAndVerifyOnBothCurvesByParameter) {
  for (SigningCurve curve : {SigningCurve::sect163k1, SigningCurve::sect283k1}) {
    const SigningCurveSizes sizes = signingCurveSizes(curve);
    Bytes key(sizes.scalarOctets, 0x11);
    key[0] = 0x01;
    const std::uint8_t digest[16] = {9, 8, 7};
    Bytes r(sizes.scalarOctets);
    Bytes s(sizes.scalarOctets);
    Bytes publicKey(sizes.compressedPointOctets);
    ASSERT_EQ(ecdsaSignDigest(curve, key.data(), digest, r.data(), s.data()), EcdsaStatus::ok);
    ASSERT_EQ(ecdsaPublicKeyCompressed(curve, key.data(), publicKey.data()), EcdsaStatus::ok);
    EXPECT_EQ(ecdsaVerifyDigest(curve, publicKey.data(), publicKey.size(), digest, r.data(), s.data()),
              EcdsaVerdict::valid);
    s.back() ^= 1;
    EXPECT_EQ(ecdsaVerifyDigest(curve, publicKey.data(), publicKey.size(), digest, r.data(), s.data()),
              EcdsaVerdict::invalid);
    publicKey[0] = 0x05;
    EXPECT_EQ(ecdsaVerifyDigest(curve, publicKey.data(), publicKey.size(), digest, r.data(), s.data()),
              EcdsaVerdict::badPublicKey);
  }
}

TEST(Suite2Certificate, FieldsOfThePublishedCertificateAndEveryRefusal) {
  const Bytes published = hexToBytes(kPublished[1].certificate);
  struct Case {
    std::size_t offset;
    std::uint8_t value;
    Suite2CertificateStatus status;
  } cases[] = {
      {0, 0x00, Suite2CertificateStatus::ok},
      {0, 0x01, Suite2CertificateStatus::badType},
      {9, 0x0E, Suite2CertificateStatus::badCurve},
      {10, 0x09, Suite2CertificateStatus::badHash},
  };
  for (const Case& c : cases) {
    Bytes octets = published;
    octets[c.offset] = c.value;
    Suite2Certificate certificate{};
    EXPECT_EQ(suite2CertificateParse(octets.data(), certificate), c.status) << c.offset;
    EXPECT_EQ(test::bytesToHex(certificate.serial.data(), 8), "0B3AD5A312AB75D6");
    EXPECT_EQ(test::bytesToHex(certificate.issuer.data(), 8), "1112131415161718");
    EXPECT_EQ(certificate.validFrom, 0x005b7ed230u);
    EXPECT_EQ(certificate.validFor, kSuite2NeverExpires);
    EXPECT_EQ(test::bytesToHex(certificate.subject.data(), 8), "0022080000000001");
    EXPECT_EQ(certificate.keyUsage, kSuite2KeyAgreement);
    EXPECT_TRUE(std::equal(certificate.reconstruction.begin(), certificate.reconstruction.end(),
                           published.begin() + kSuite2ReconstructionOffset));
  }
}

TEST(Suite2Signature, LayoutIsSignerThenRThenSAndMatchesTheFileFormat) {
  static_assert(kSuite2SignatureOctets == kOtaSuite2SignatureLength, "0x0005 length");
  static_assert(kSuite2CertificateOctets == kOtaSuite2CertificateLength, "0x0006 length");
  std::uint8_t octets[kSuite2SignatureOctets];
  for (std::size_t i = 0; i < sizeof octets; ++i) octets[i] = static_cast<std::uint8_t>(i);
  const Suite2Signature signature = suite2SignatureDecode(octets);
  EXPECT_EQ(signature.signer[7], 7);
  EXPECT_EQ(signature.r[0], 8);
  EXPECT_EQ(signature.s[0], 44);
  EXPECT_EQ(signature.s[35], 79);
  std::uint8_t back[kSuite2SignatureOctets];
  suite2SignatureEncode(signature, back);
  EXPECT_TRUE(std::equal(octets, octets + sizeof octets, back));
}

}  // namespace
}  // namespace otawrap
