// The OTA header against hand-written byte images of the ZigBee OTA layout.
#include <gtest/gtest.h>

#include <vector>

#include "image/assembly.h"
#include "ota/header.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::bytesToHex;

TEST(OtaHeader, DefaultsAreAHeaderOnlyFile) {
  OtaHeader header;
  header.manufacturerCode = 0x1234;  // defaults clear everything
  header.totalImageSize = 99;
  otaHeaderDefaults(header);
  EXPECT_EQ(header.fileIdentifier, 0x0BEEF11Eu);
  EXPECT_EQ(header.headerVersion, 0x0100);
  EXPECT_EQ(header.headerLength, 56);
  EXPECT_EQ(header.fieldControl, 0);
  EXPECT_EQ(header.manufacturerCode, 0);
  EXPECT_EQ(header.stackVersion, 2);
  EXPECT_EQ(header.totalImageSize, 56u);
}

TEST(OtaHeader, SerialisesTheDocumentedExample) {
  OtaHeader header;
  otaHeaderDefaults(header);
  header.manufacturerCode = 0x100B;
  header.imageType = 0x100A;
  header.fileVersion = 0x00000001;
  std::uint8_t out[kOtaHeaderMaxLength] = {};
  ASSERT_EQ(otaHeaderSerialize(header, out), 56u);
  EXPECT_EQ(bytesToHex(out, 56),
            "1EF1EE0B" "0001" "3800" "0000" "0B10" "0A10" "01000000" "0200" +
                std::string(64, '0') + "38000000");
}

TEST(OtaHeader, OptionalFieldsFollowInBitOrder) {
  struct Case {
    std::uint16_t fieldControl;
    const char* tail;  // hexadecimal bytes behind offset 56
  } cases[] = {
      {0x0001, "A5"},
      {0x0002, "0102030405060708"},
      {0x0004, "3412" "7856"},
      {0x0007, "A5" "0102030405060708" "3412" "7856"},
  };
  for (const Case& c : cases) {
    OtaHeader header;
    otaHeaderDefaults(header);
    header.fieldControl = c.fieldControl;
    header.securityCredentialVersion = 0xA5;
    header.upgradeFileDestination = {1, 2, 3, 4, 5, 6, 7, 8};
    header.minimumHardwareVersion = 0x1234;
    header.maximumHardwareVersion = 0x5678;
    const std::string tail = c.tail;
    EXPECT_EQ(otaHeaderLengthFor(c.fieldControl), 56 + tail.size() / 2);
    std::uint8_t out[kOtaHeaderMaxLength + 1] = {};
    ASSERT_EQ(otaHeaderSerialize(header, out), 56 + tail.size() / 2);
    EXPECT_EQ(bytesToHex(out + 56, tail.size() / 2), tail);
    EXPECT_EQ(out[56 + tail.size() / 2], 0) << "wrote past the header";
  }
}

TEST(OtaHeader, PatchRewritesOnlyIdentifiersAndTotalSize) {
  OtaHeader header;
  otaHeaderDefaults(header);
  header.manufacturerCode = 0xA1B2;
  header.imageType = 0xC3D4;
  header.fileVersion = 0x01020304;
  header.totalImageSize = 0x00ABCDEF;
  std::vector<std::uint8_t> file(80, 0x5A);
  otaHeaderPatch(header, file.data());
  for (std::size_t i = 0; i < file.size(); ++i) {
    const bool patched = (i >= 10 && i < 18) || (i >= 52 && i < 56);
    if (!patched) {
      EXPECT_EQ(file[i], 0x5A) << "offset " << i;
    }
  }
  EXPECT_EQ(bytesToHex(file.data() + 10, 8), "B2A1D4C304030201");
  EXPECT_EQ(bytesToHex(file.data() + 52, 4), "EFCDAB00");
}

TEST(OtaHeader, SubElementHeadsAndSizes) {
  std::uint8_t out[6];
  otaSubElementHeadWrite(kOtaTagSignature, 50, out);
  EXPECT_EQ(bytesToHex(out, 6), "010032000000");
  otaSubElementHeadWrite(kOtaTagCertificate, 0x01020304, out);
  EXPECT_EQ(bytesToHex(out, 6), "020004030201");
  EXPECT_EQ(kOtaCertificateSubElementSize, 54u);
  EXPECT_EQ(kOtaSignatureSubElementSize, 56u);
  EXPECT_EQ(kOtaSignedTrailerSize, 110u);
  EXPECT_EQ(kOtaTagUpgradeImage, 0x0000);  // written by the image module
  EXPECT_EQ(kOtaSubElementHeadSize, 6u);
}

}  // namespace
}  // namespace otawrap
