// otaRestamp on files the builder makes: one row per seal, field change and
// choice about the signature. The body is compared with the input's bytes,
// the integrity code with OpenSSL's AES-MMO, the signature under the new key.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ota/builder.h"
#include "ota/ota_file_builder.h"
#include "ota/reader.h"
#include "ota/header_rewrite.h"
#include "ota/signature_check.h"
#include "sign/ecdsa_verify.h"
#include "support/openssl_hash.h"
#include "support/sample_credentials.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

SignerCredentials testCredentials(std::uint32_t seed) {
  const std::string text = test::generateCredentials(seed).text();
  SignerCredentials credentials;
  EXPECT_EQ(parseSignerCredentials(text.data(), text.size(), credentials), CredentialsStatus::ok);
  return credentials;
}

unsigned le(const Bytes& b, std::size_t at, int width) {
  unsigned value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | b[at + static_cast<std::size_t>(i)];
  return value;
}

// The sub-elements every input carries: an upgrade image without a preamble
// and a manufacturer element.
Bytes patternImage() {
  Bytes image(300);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 13 + 1);
  return image;
}
const Bytes kImage = patternImage();
const Bytes kExtra(20, 0xA5);
constexpr std::size_t kBodySize = 6 + 300 + 6 + 20;

struct Row {
  const char* name;
  std::uint16_t fieldControl;  // of the input (its hardware range is 0x0010..0x0020)
  OtaSeal sealIn;
  OtaRestampFields fields;
  OtaResign resign;
  OtaRestampStatus status;
  OtaSeal sealOut;
  std::uint16_t fieldControlOut;
};

OtaRestampFields version(std::uint32_t v) {
  OtaRestampFields f;
  f.fileVersionGiven = true;
  f.fileVersion = v;
  return f;
}

OtaRestampFields hardware(bool min, std::uint16_t lo, bool max, std::uint16_t hi) {
  OtaRestampFields f = version(0x22);
  f.minimumHardwareVersionGiven = min;
  f.minimumHardwareVersion = lo;
  f.maximumHardwareVersionGiven = max;
  f.maximumHardwareVersion = hi;
  return f;
}

OtaRestampFields headerString() {
  OtaRestampFields f = version(0x22);
  f.headerStringGiven = true;
  const std::string text = "restamped";
  std::copy(text.begin(), text.end(), f.headerString.begin());
  return f;
}

using S = OtaRestampStatus;
using R = OtaResign;
const Row kRows[] = {
    {"unsigned", 0, OtaSeal::none, version(0x22), R::keep, S::ok, OtaSeal::none, 0},
    {"code recomputed", 0, OtaSeal::integrityCode, version(0x22), R::keep, S::ok,
     OtaSeal::integrityCode, 0},
    {"code kept by drop", 1, OtaSeal::integrityCode, version(0x22), R::drop, S::ok,
     OtaSeal::integrityCode, 1},
    {"code replaced by a signature", 0, OtaSeal::integrityCode, version(0x22), R::sign, S::ok,
     OtaSeal::signature, 0},
    {"signed, kept: refused", 0, OtaSeal::signature, version(0x22), R::keep,
     S::signatureWouldBreak, OtaSeal::none, 0},
    {"signed, re-signed", 4, OtaSeal::signature, version(0x22), R::sign, S::ok,
     OtaSeal::signature, 4},
    {"signed, dropped", 0, OtaSeal::signature, version(0x22), R::drop, S::ok, OtaSeal::none, 0},
    {"unsigned, signed", 0, OtaSeal::none, version(0x22), R::sign, S::ok, OtaSeal::signature, 0},
    {"header string", 0, OtaSeal::integrityCode, headerString(), R::keep, S::ok,
     OtaSeal::integrityCode, 0},
    {"hardware range added: header grows", 1, OtaSeal::integrityCode,
     hardware(true, 1, true, 2), R::keep, S::ok, OtaSeal::integrityCode, 5},
    {"hardware range added to a signed file", 0, OtaSeal::signature, hardware(true, 1, true, 9),
     R::sign, S::ok, OtaSeal::signature, 4},
    {"one end of a present range", 4, OtaSeal::none, hardware(false, 0, true, 0x30), R::keep,
     S::ok, OtaSeal::none, 4},
    {"half a range for a file without one", 0, OtaSeal::none, hardware(true, 1, false, 0),
     R::keep, S::hardwareRangeIncomplete, OtaSeal::none, 0},
    {"minimum above the present maximum", 4, OtaSeal::none, hardware(true, 0x21, false, 0),
     R::keep, S::hardwareRangeInverted, OtaSeal::none, 4},
};

Bytes inputFor(const Row& row, const SignerCredentials& signer) {
  OtaBuildRequest request;
  otaHeaderDefaults(request.header);
  request.header.manufacturerCode = 0x1234;
  request.header.imageType = 0x0056;
  request.header.fileVersion = 0x11;
  request.header.fieldControl = row.fieldControl;
  request.header.securityCredentialVersion = 7;
  request.header.minimumHardwareVersion = 0x10;
  request.header.maximumHardwareVersion = 0x20;
  request.payloads = {{kOtaTagUpgradeImage, kImage.data(), kImage.size()},
                      {0xF001, kExtra.data(), kExtra.size()}};
  request.seal = row.sealIn;
  request.credentials = &signer;
  Bytes file;
  EXPECT_EQ(otaBuildFile(request, file).status, OtaBuildStatus::ok);
  return file;
}

TEST(OtaRestamp, TableOfSealsAndFields) {
  const SignerCredentials oldSigner = testCredentials(31);
  const SignerCredentials newSigner = testCredentials(32);
  AffinePoint newKey;
  ASSERT_EQ(ecdsaPublicKey(newSigner.privateKey.data(), newKey), EcdsaStatus::ok);
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const Bytes in = inputFor(row, oldSigner);
    const OtaFileInfo info = otaFileRead(in.data(), in.size());
    ASSERT_TRUE(otaFileChecksPass(info));
    OtaRestampRequest request{row.fields, row.resign,
                              row.resign == R::sign ? &newSigner : nullptr};
    Bytes out = {1, 2, 3};
    const OtaRestampResult result = otaRestamp(in.data(), info, request, out);
    ASSERT_EQ(result.status, row.status);
    EXPECT_EQ(result.sealBefore, row.sealIn);
    if (row.status != S::ok) {
      EXPECT_TRUE(out.empty());
      continue;
    }
    EXPECT_EQ(result.sealAfter, row.sealOut);
    const std::size_t oldLength = otaHeaderLengthFor(row.fieldControl);
    const std::size_t newLength = otaHeaderLengthFor(row.fieldControlOut);
    EXPECT_EQ(le(out, 8, 2), row.fieldControlOut);
    EXPECT_EQ(le(out, 6, 2), newLength);
    EXPECT_EQ(le(out, 52, 4), out.size());
    EXPECT_EQ(le(out, 10, 2), 0x1234u);
    EXPECT_EQ(le(out, 14, 4), row.fields.fileVersion);
    const Bytes text(out.begin() + 20, out.begin() + 52);
    EXPECT_EQ(text, row.fields.headerStringGiven
                        ? Bytes(row.fields.headerString.begin(), row.fields.headerString.end())
                        : Bytes(in.begin() + 20, in.begin() + 52));
    if ((row.fieldControlOut & 4) != 0) {
      const std::size_t at = newLength - 4;
      // A range added has both ends given; one end given keeps the other.
      EXPECT_EQ(le(out, at, 2), row.fields.minimumHardwareVersionGiven
                                    ? row.fields.minimumHardwareVersion
                                    : 0x10u);
      EXPECT_EQ(le(out, at + 2, 2), row.fields.maximumHardwareVersionGiven
                                        ? row.fields.maximumHardwareVersion
                                        : 0x20u);
    }
    // The sub-elements between header and seal, byte for byte.
    ASSERT_GE(out.size(), newLength + kBodySize);
    EXPECT_TRUE(std::equal(in.begin() + static_cast<long>(oldLength),
                           in.begin() + static_cast<long>(oldLength + kBodySize),
                           out.begin() + static_cast<long>(newLength)));
    const std::size_t sealAt = newLength + kBodySize;
    switch (row.sealOut) {
      case OtaSeal::none:
        EXPECT_EQ(out.size(), sealAt);
        break;
      case OtaSeal::integrityCode: {
        ASSERT_EQ(out.size(), sealAt + 22);
        const Bytes code = test::opensslMmoHash(out.data(), sealAt);
        EXPECT_TRUE(std::equal(code.begin(), code.end(), out.begin() + static_cast<long>(sealAt) + 6));
        break;
      }
      case OtaSeal::signature: {
        ASSERT_EQ(out.size(), sealAt + kOtaSignedTrailerSize);
        const OtaFileInfo after = otaFileRead(out.data(), out.size());
        EXPECT_EQ(otaSignatureCheck(out.data(), after, newKey), SignatureCheckStatus::passed);
        EXPECT_TRUE(std::equal(newSigner.implicitCertificate.begin(),
                               newSigner.implicitCertificate.begin() + 48,
                               out.begin() + static_cast<long>(sealAt) + 6));
        break;
      }
    }
  }
}

// An image of otawrap's, CRC at either offset: restamp gives the file the
// builder makes from the image stamped with the new version (the CRC from
// the test kit's own CRC), and only the same version leaves it as it was.
TEST(OtaRestamp, PreambleAndCrcAreStampedAgain) {
  const auto fileOf = [](std::size_t crcOffset, std::uint32_t version) {
    const Bytes image = test::builtImage(0x100, crcOffset,
                                         [version](Bytes& i) { test::putLe(i, 0x94, version, 4); });
    OtaBuildRequest request;
    otaHeaderDefaults(request.header);
    request.header.manufacturerCode = test::kBuiltManufacturer;
    request.header.imageType = test::kBuiltImageType;
    request.header.fileVersion = version;
    request.payloads = {{kOtaTagUpgradeImage, image.data(), image.size()}};
    Bytes file;
    EXPECT_EQ(otaBuildFile(request, file).status, OtaBuildStatus::ok);
    return file;
  };
  for (const std::size_t crcOffset : {std::size_t{0x88}, std::size_t{0}}) {
    SCOPED_TRACE(crcOffset);
    const Bytes in = fileOf(crcOffset, test::kBuiltFileVersion);
    const OtaFileInfo info = otaFileRead(in.data(), in.size());
    ASSERT_EQ(info.check(OtaCheckId::imagePreamble).state, OtaCheckState::passed);
    Bytes out;
    const OtaRestampResult result =
        otaRestamp(in.data(), info, {version(0x0A0B0C0D), R::keep, nullptr}, out);
    EXPECT_EQ(result.status, S::ok);
    EXPECT_TRUE(result.preambleStamped);
    EXPECT_EQ(out, fileOf(crcOffset, 0x0A0B0C0D));
    EXPECT_EQ(result.imageCrc, le(out, 56 + 6 + crcOffset, 2));
    EXPECT_EQ(otaRestamp(in.data(), info, {version(test::kBuiltFileVersion), R::keep, nullptr}, out).status,
              S::ok);
    EXPECT_EQ(out, in);
  }
}

}  // namespace
}  // namespace otawrap
