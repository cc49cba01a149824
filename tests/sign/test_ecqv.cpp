// Public keys from implicit certificates issued by a test CA of our own
// (OpenSSL arithmetic): the reconstructed key equals d*G of the issued private
// key and equals e*P + Q_CA computed by OpenSSL; signatures made with the
// issued key verify under it; damaged certificates and wrong CA keys do not
// give the key.
#include <gtest/gtest.h>

#include <random>

#include "ecc/point_decode.h"
#include "sign/ecdsa.h"
#include "sign/ecdsa_verify.h"
#include "sign/ecqv.h"
#include "support/field_reference.h"
#include "support/openssl_hash.h"
#include "support/openssl_curve.h"
#include "support/openssl_verify.h"
#include "support/test_ca.h"

namespace otawrap {
namespace {

std::array<std::uint8_t, 8> subjectOf(std::uint32_t value) {
  std::array<std::uint8_t, 8> s{};
  for (int i = 0; i < 8; ++i) s[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value * 31u + i);
  return s;
}

TEST(Ecqv, ReconstructedKeyIsTheIssuedKeyAndMatchesOpenSsl) {
  test::TestCertificateAuthority ca(4711);  // seed of the test CA
  for (std::uint32_t i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const test::IssuedCredentials issued = ca.issue(subjectOf(i));
    AffinePoint Q;
    ASSERT_EQ(ecqvPublicKeyReconstruct(issued.certificate.data(), ca.publicKey(), Q), EcqvStatus::ok);
    EXPECT_EQ(Q, issued.publicKey);

    // e*P + Q_CA with OpenSSL: e from the OpenSSL-based MMO.
    std::uint8_t digest[16];
    test::OpensslMmo mmo;
    mmo.hash(issued.certificate.data(), 48, digest);
    Words e{};
    octetsToWords(16, digest, kWordCount, e.data());
    AffinePoint P{};
    ASSERT_TRUE(test::sslPointDecode(
        std::vector<std::uint8_t>(issued.certificate.begin(), issued.certificate.begin() + 22), P));
    EXPECT_EQ(Q, test::sslPointAdd(test::sslMultiplyPoint(e, P), ca.publicKey()));

    // A signature made with the issued private key verifies under Q.
    std::uint8_t r[21];
    std::uint8_t s[21];
    ASSERT_EQ(ecdsaSignDeterministic(issued.privateKey.data(), digest, r, s), EcdsaStatus::ok);
    EXPECT_EQ(ecdsaVerify(Q, digest, r, s), 1);
  }
}

TEST(Ecqv, DamagedCertificatesAndWrongCaKeysDoNotGiveTheKey) {
  test::TestCertificateAuthority ca(4711);
  test::TestCertificateAuthority other(815);
  const test::IssuedCredentials issued = ca.issue(subjectOf(1));

  AffinePoint Q;
  ASSERT_EQ(ecqvPublicKeyReconstruct(issued.certificate.data(), other.publicKey(), Q), EcqvStatus::ok);
  EXPECT_NE(Q, issued.publicKey);

  // Every bit of every octet: either the point no longer decodes or the key changes.
  for (std::size_t byte = 0; byte < 48; ++byte) {
    for (int bit = 0; bit < 8; ++bit) {
      auto damaged = issued.certificate;
      damaged[byte] ^= static_cast<std::uint8_t>(1u << bit);
      AffinePoint out{};
      const EcqvStatus status = ecqvPublicKeyReconstruct(damaged.data(), ca.publicKey(), out);
      if (status == EcqvStatus::ok) {
        EXPECT_NE(out, issued.publicKey) << "byte " << byte << " bit " << bit;
      } else {
        EXPECT_LT(byte, 22u);
        EXPECT_EQ(status, EcqvStatus::badReconstructionPoint);
      }
    }
  }

  // A reconstruction point of order 2 (x = 0) is refused, out untouched.
  auto zeroPoint = issued.certificate;
  std::fill(zeroPoint.begin(), zeroPoint.begin() + 22, 0);
  zeroPoint[0] = 0x02;
  AffinePoint untouched;
  untouched.x.fill(0x7777);
  EXPECT_EQ(ecqvPublicKeyReconstruct(zeroPoint.data(), ca.publicKey(), untouched),
            EcqvStatus::badReconstructionPoint);
  EXPECT_EQ(untouched.x[0], 0x7777);
}

}  // namespace
}  // namespace otawrap
