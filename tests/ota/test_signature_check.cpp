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
#include "sign/ecqv.h"
#include "support/ca_vectors.h"
#include "support/openssl_hash.h"
#include "support/openssl_sect283k1.h"
#include "support/openssl_verify.h"
#include "support/vector_file.h"

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
  std::copy_n(credentials.privateKey.begin(), key.size(), key.begin());
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
                         credentials.implicitCertificate.begin() + 48, certificate));
  const std::uint8_t* address = otaSignerAddressBytes(file.data(), info);
  ASSERT_NE(address, nullptr);
  EXPECT_TRUE(std::equal(credentials.ieeeAddress.begin(), credentials.ieeeAddress.end(), address));

  const Bytes cut(file.begin(), file.end() - 1);
  const OtaFileInfo cutInfo = otaFileRead(cut.data(), cut.size());
  EXPECT_EQ(otaCertificateBytes(cut.data(), cutInfo), nullptr);
  EXPECT_EQ(otaSignerAddressBytes(cut.data(), cutInfo), nullptr);
}

SignerCredentials suite2Credentials() {
  const std::string text = test::caText(test::kCaSuite2);
  SignerCredentials c;
  EXPECT_EQ(parseSignerCredentials(text.data(), text.size(), c), CredentialsStatus::ok);
  return c;
}

Bytes suite2File(const SignerCredentials& credentials) {
  Bytes file(kOtaHeaderMaxLength + 6 + 64 + kOtaSuite2SignedTrailerSize);
  OtaHeader header;
  otaHeaderDefaults(header);
  std::size_t position = otaHeaderSerialize(header, file.data());
  otaSubElementHeadWrite(0xF000, 64, file.data() + position);
  position += 6 + 64;
  header.totalImageSize = static_cast<std::uint32_t>(position);
  EXPECT_EQ(otaSignedFileAppend(header, file.data(), position, credentials), SignStatus::ok);
  file.resize(position);
  return file;
}

// The signer's key of file as verify --ca-key finds it: the certificate in
// the file under the published CA key; nothing when it gives none.
SignatureCheckStatus checkUnderCaKey(const Bytes& file) {
  const OtaFileInfo info = otaFileRead(file.data(), file.size());
  OtaSignatureParts parts;
  const SignatureCheckStatus found = otaSignatureFind(file.data(), info, parts);
  if (found != SignatureCheckStatus::passed || parts.certificate == nullptr) return found;
  const Bytes caOctets = test::hexToBytes(test::kCaSuite2.caKey);
  Affine283 ca;
  Affine283 signer;
  EXPECT_EQ(point283Decode(caOctets.data(), caOctets.size(), ca), Point283Status::ok);
  if (ecqvSuite2PublicKey(parts.certificate, ca, signer) != EcqvStatus::ok) {
    return SignatureCheckStatus::mismatch;
  }
  std::uint8_t key[kPoint283CompressedOctets];
  point283EncodeCompressed(signer, key);
  return otaSignatureVerify(file.data(), info, SigningCurve::sect283k1, key, sizeof key);
}

// Suite 2: the layout (certificate 0x0006, then signature 0x0005 last), the
// signature checked by OpenSSL over an independent digest, and every byte of
// both sub-elements flipped under the published CA key: only the signer's
// address, which no signature covers, may change.
TEST(SignatureCheck, Suite2FilesVerifyWithOpenSslAndEveryFlippedByteFails) {
  const SignerCredentials credentials = suite2Credentials();
  const Bytes file = suite2File(credentials);
  const std::size_t signatureAt = file.size() - 86;
  const std::size_t certificateAt = signatureAt - 80;
  EXPECT_EQ(Bytes(file.begin() + static_cast<long>(certificateAt),
                  file.begin() + static_cast<long>(certificateAt) + 6),
            Bytes({0x06, 0x00, 74, 0x00, 0x00, 0x00}));
  EXPECT_EQ(Bytes(file.begin() + static_cast<long>(signatureAt),
                  file.begin() + static_cast<long>(signatureAt) + 6),
            Bytes({0x05, 0x00, 80, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(std::equal(credentials.ieeeAddress.begin(), credentials.ieeeAddress.end(),
                         file.begin() + static_cast<long>(signatureAt) + 6));

  std::uint8_t digest[16];
  test::OpensslMmo().hash(file.data(), signatureAt, digest);
  const Bytes keyOctets = test::hexToBytes(test::kCaSuite2.devicePublicKey);
  Affine283 key;
  ASSERT_EQ(point283Decode(keyOctets.data(), keyOctets.size(), key), Point283Status::ok);
  EXPECT_TRUE(test::sslVerify283(key, digest, sizeof digest, file.data() + signatureAt + 14,
                                 file.data() + signatureAt + 50));
  ASSERT_EQ(checkUnderCaKey(file), SignatureCheckStatus::passed);

  for (std::size_t byte = certificateAt + 6; byte < file.size(); ++byte) {
    if (byte >= signatureAt && byte < signatureAt + 6) continue;  // the heads are the layout's
    Bytes damaged = file;
    damaged[byte] ^= 0x10;
    const bool signer = byte >= signatureAt + 6 && byte < signatureAt + 14;
    EXPECT_EQ(checkUnderCaKey(damaged) == SignatureCheckStatus::passed, signer) << byte;
  }

  // OpenSSL's own signature in place of ours verifies too.
  Limbs<5> d;
  const Bytes dOctets = test::hexToBytes(test::kCaSuite2.privateKey);
  limbsFromOctets(dOctets.data(), dOctets.size(), d);
  const Bytes rs = test::sslSign283(d, digest, sizeof digest);
  Bytes replaced = file;
  std::copy(rs.begin(), rs.end(), replaced.begin() + static_cast<long>(signatureAt) + 14);
  EXPECT_EQ(checkUnderCaKey(replaced), SignatureCheckStatus::passed);
}

}  // namespace
}  // namespace otawrap
