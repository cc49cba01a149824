// The signature check of a read OTA file: files signed in process verify,
// every flipped bit of every signed byte fails, a signature placed by OpenSSL
// over an independently computed AES-MMO digest verifies, and files that are
// unsigned or whose signature is not last fail with their own status.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ota/header.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "ota/signed_file.h"
#include "sign/ecdsa_verify.h"
#include "support/openssl_hash.h"
#include "support/openssl_verify.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Test credentials from std::mt19937(seed); not a real key.
SignerCredentials credentialsFrom(std::uint32_t seed) {
  std::mt19937 rng(seed);
  SignerCredentials c;
  for (auto& b : c.ieeeAddress) b = static_cast<std::uint8_t>(rng());
  for (auto& b : c.privateKey) b = static_cast<std::uint8_t>(rng());
  for (auto& b : c.implicitCertificate) b = static_cast<std::uint8_t>(rng());
  c.privateKey[0] &= 0x03;
  c.privateKey[20] |= 1;
  return c;
}

// A signed file: header, payload bytes as an unknown sub-element, trailer.
Bytes signedFile(const SignerCredentials& credentials, std::size_t payload) {
  Bytes file(kOtaHeaderMaxLength + 6 + payload + kOtaSignedTrailerSize);
  OtaHeader header;
  otaHeaderDefaults(header);
  std::size_t position = otaHeaderSerialize(header, file.data());
  if (payload > 0) {
    otaSubElementHeadWrite(0xF000, static_cast<std::uint32_t>(payload), file.data() + position);
    position += 6;
    for (std::size_t i = 0; i < payload; ++i) file[position++] = static_cast<std::uint8_t>(i * 7);
  }
  header.totalImageSize = static_cast<std::uint32_t>(position);
  EXPECT_EQ(otaSignedFileAppend(header, file.data(), position, credentials), SignStatus::ok);
  file.resize(position);
  return file;
}

SignatureCheckStatus check(const Bytes& file, const AffinePoint& key) {
  const OtaFileInfo info = otaFileRead(file.data(), file.size());
  return otaSignatureCheck(file.data(), info, key);
}

AffinePoint keyOf(const SignerCredentials& c) {
  AffinePoint Q;
  EXPECT_EQ(ecdsaPublicKey(c.privateKey.data(), Q), EcdsaStatus::ok);
  return Q;
}

TEST(SignatureCheck, SignedFilesVerifyAndEveryFlippedSignedBitFails) {
  const SignerCredentials credentials = credentialsFrom(31337);
  const AffinePoint key = keyOf(credentials);
  const Bytes file = signedFile(credentials, 37);
  ASSERT_EQ(check(file, key), SignatureCheckStatus::passed);

  const std::size_t signatureAt = file.size() - kOtaSignatureSubElementSize;
  for (std::size_t byte = 0; byte < file.size(); ++byte) {
    const bool signerAddress = byte >= signatureAt + 6 && byte < signatureAt + 14;
    for (int bit = 0; bit < 8; ++bit) {
      Bytes damaged = file;
      damaged[byte] ^= static_cast<std::uint8_t>(1u << bit);
      const SignatureCheckStatus result = check(damaged, key);
      if (signerAddress) {
        EXPECT_EQ(result, SignatureCheckStatus::passed) << "the address is not signed";
      } else {
        ASSERT_NE(result, SignatureCheckStatus::passed) << "byte " << byte << " bit " << bit;
      }
    }
  }
}

TEST(SignatureCheck, WrongKeyFails) {
  const SignerCredentials credentials = credentialsFrom(1);
  const Bytes file = signedFile(credentials, 0);
  EXPECT_EQ(check(file, keyOf(credentialsFrom(2))), SignatureCheckStatus::mismatch);
}

TEST(SignatureCheck, OpenSslSignatureOverAnIndependentDigestVerifies) {
  const SignerCredentials credentials = credentialsFrom(99);
  Bytes file = signedFile(credentials, 200);
  const std::size_t signatureAt = file.size() - kOtaSignatureSubElementSize;
  std::vector<std::uint8_t> digest(16);
  test::OpensslMmo mmo;
  mmo.hash(file.data(), signatureAt, digest.data());
  test::Octets21 key;
  std::copy(credentials.privateKey.begin(), credentials.privateKey.end(), key.begin());
  test::Octets21 k{};
  k[20] = 0x2B;
  k[3] = 0x11;
  test::Octets21 r;
  test::Octets21 s;
  test::sslEcdsaSign(digest, key, k, r, s);
  std::copy(r.begin(), r.end(), file.begin() + static_cast<long>(signatureAt + 14));
  std::copy(s.begin(), s.end(), file.begin() + static_cast<long>(signatureAt + 35));
  EXPECT_EQ(check(file, test::sslPublicKey(key)), SignatureCheckStatus::passed);
}

TEST(SignatureCheck, UnsignedFilesAndMisplacedSignaturesFail) {
  const SignerCredentials credentials = credentialsFrom(5);
  const AffinePoint key = keyOf(credentials);

  Bytes unsignedFile(kOtaHeaderBaseLength);
  OtaHeader header;
  otaHeaderDefaults(header);
  otaHeaderSerialize(header, unsignedFile.data());
  EXPECT_EQ(check(unsignedFile, key), SignatureCheckStatus::notSigned);

  // A valid file followed by a stray sub-element: the signature is not last.
  Bytes trailing = signedFile(credentials, 0);
  const Bytes extra = {0x00, 0xF1, 0x00, 0x00, 0x00, 0x00};
  trailing.insert(trailing.end(), extra.begin(), extra.end());
  for (int i = 0; i < 4; ++i) {
    trailing[52 + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(trailing.size() >> (8 * i));
  }
  EXPECT_EQ(check(trailing, key), SignatureCheckStatus::notLast);

  // Truncated at every length: never passes, never reads beyond the bytes.
  const Bytes file = signedFile(credentials, 10);
  for (std::size_t length = 0; length < file.size(); ++length) {
    const Bytes cut(file.begin(), file.begin() + static_cast<long>(length));
    EXPECT_NE(check(cut, key), SignatureCheckStatus::passed) << length;
  }
}

TEST(SignatureCheck, CertificateAndAddressAreFoundOnlyInAGoodLayout) {
  const SignerCredentials credentials = credentialsFrom(6);
  const Bytes file = signedFile(credentials, 3);
  const OtaFileInfo info = otaFileRead(file.data(), file.size());
  const std::uint8_t* certificate = otaCertificateBytes(file.data(), info);
  ASSERT_NE(certificate, nullptr);
  EXPECT_TRUE(std::equal(credentials.implicitCertificate.begin(),
                         credentials.implicitCertificate.end(), certificate));
  const std::uint8_t* address = otaSignerAddressBytes(file.data(), info);
  ASSERT_NE(address, nullptr);
  EXPECT_TRUE(std::equal(credentials.ieeeAddress.begin(), credentials.ieeeAddress.end(), address));

  const Bytes cut(file.begin(), file.end() - 1);
  const OtaFileInfo cutInfo = otaFileRead(cut.data(), cut.size());
  EXPECT_EQ(otaCertificateBytes(cut.data(), cutInfo), nullptr);
  EXPECT_EQ(otaSignerAddressBytes(cut.data(), cutInfo), nullptr);
}

}  // namespace
}  // namespace otawrap
