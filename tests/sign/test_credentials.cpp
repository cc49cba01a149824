// Credentials text parsing: labels, byte orders, whitespace and the rejections.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "sign/credentials.h"
#include "support/ca_vectors.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

const std::string kKey = "00A1B2C3D4E5F60718293A4B5C6D7E8F9001122334";
const std::string kCert =
    "0202A1B2C3D4E5F60718293A4B5C6D7E8F900112233400124B0001020304544553545345434B"
    "00010203040506070809";

std::string credentialsText(const std::string& ieee, const std::string& key,
                            const std::string& cert) {
  return "IEEE Address: " + ieee + "\nDevice Private Key: " + key +
         "\nDevice Implicit Cert: " + cert + "\n";
}

CredentialsStatus parse(const std::string& text, SignerCredentials& out) {
  return parseSignerCredentials(text.data(), text.size(), out);
}

TEST(Credentials, FieldsLandInTheirByteOrders) {
  SignerCredentials c;
  ASSERT_EQ(parse(credentialsText("00124B0001020304", kKey, kCert), c), CredentialsStatus::ok);
  EXPECT_EQ(test::bytesToHex(c.ieeeAddress.data(), 8), "0403020100" "4B1200");
  EXPECT_EQ(test::bytesToHex(c.privateKey.data(), 21), kKey);
  EXPECT_EQ(test::bytesToHex(c.implicitCertificate.data(), 48), kCert);
}

TEST(Credentials, AcceptedSpellings) {
  struct Case {
    const char* name;
    std::string text;
  } cases[] = {
      {"lower case digits", credentialsText("00124b0001020304", kKey, kCert)},
      {"spaces between pairs", credentialsText("00 12 4B 00 01 02 03 04", kKey, kCert)},
      {"split over lines",
       credentialsText("00124B00\r\n01020304", kKey.substr(0, 20) + "\n  " + kKey.substr(20),
                       kCert.substr(0, 48) + "\r\n" + kCert.substr(48))},
      {"fields in another order, other text around",
       "# test key, not for production\nDevice Implicit Cert:" + kCert +
           "\nnotes\nDevice Private Key:" + kKey + "\nIEEE Address:00124B0001020304 trailing"},
      {"first occurrence of a label counts",
       credentialsText("00124B0001020304", kKey, kCert) + "IEEE Address: FFFFFFFFFFFFFFFF\n"},
      {"extra pairs after a space are ignored",
       credentialsText("00124B0001020304 AB", kKey + " CD", kCert + " EF")},
      {"a field ends at a non-hex character",
       credentialsText("00124B0001020304;", kKey + "G", kCert + "x")},
      {"a label right behind a field's line",
       "IEEE Address: 00124B0001020304\nDevice Private Key: " + kKey + "\r\nDevice Implicit Cert: " +
           kCert},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SignerCredentials creds;
    ASSERT_EQ(parse(c.text, creds), CredentialsStatus::ok);
    EXPECT_EQ(test::bytesToHex(creds.ieeeAddress.data(), 8), "04030201004B1200");
    EXPECT_EQ(test::bytesToHex(creds.privateKey.data(), 21), kKey);
    EXPECT_EQ(test::bytesToHex(creds.implicitCertificate.data(), 48), kCert);
  }
}

TEST(Credentials, Rejections) {
  const std::string good = credentialsText("00124B0001020304", kKey, kCert);
  struct Case {
    CredentialsDefect defect;
    CredentialsField field;
    const char* name;
    std::string text;
  } cases[] = {
      {CredentialsDefect::labelMissing, CredentialsField::ieeeAddress, "IEEE label missing", "Device Private Key: " + kKey + "\nDevice Implicit Cert: " + kCert},
      {CredentialsDefect::labelMissing, CredentialsField::privateKey, "key label missing", "IEEE Address: 00124B0001020304\nDevice Implicit Cert: " + kCert},
      {CredentialsDefect::labelMissing, CredentialsField::certificate, "cert label missing", "IEEE Address: 00124B0001020304\nDevice Private Key: " + kKey},
      {CredentialsDefect::labelMissing, CredentialsField::ieeeAddress, "label with other case", "ieee address: 00124B0001020304\nDevice Private Key: " + kKey +
                                    "\nDevice Implicit Cert: " + kCert},
      {CredentialsDefect::fieldTruncated, CredentialsField::certificate, "field ends early at end of text", credentialsText("00124B0001020304", kKey,
                                                          kCert.substr(0, 94))},
      {CredentialsDefect::notHexDigit, CredentialsField::certificate, "field ends inside a pair", credentialsText("00124B0001020304", kKey,
                                                   kCert.substr(0, 95))},
      {CredentialsDefect::fieldTruncated, CredentialsField::ieeeAddress, "field runs into a zero byte",
       std::string("Device Private Key: ") + kKey + "\nDevice Implicit Cert: " + kCert +
           "\nIEEE Address: 0012" + std::string(1, '\0') + "4B0001020304"},
      {CredentialsDefect::notHexDigit, CredentialsField::ieeeAddress, "tab before a pair", credentialsText("\t00124B0001020304", kKey, kCert)},
      {CredentialsDefect::notHexDigit, CredentialsField::ieeeAddress, "colon separators", credentialsText("00:12:4B:00:01:02:03:04", kKey, kCert)},
      {CredentialsDefect::notHexDigit, CredentialsField::ieeeAddress, "0x prefix", credentialsText("0x00124B0001020304", kKey, kCert)},
      {CredentialsDefect::notHexDigit, CredentialsField::ieeeAddress, "stray letter", credentialsText("00124B000102030G", kKey, kCert)},
      {CredentialsDefect::notHexDigit, CredentialsField::ieeeAddress, "pair split by a space", credentialsText("0 0124B0001020304", kKey, kCert)},
      {CredentialsDefect::zeroKey, CredentialsField::privateKey, "private key zero", credentialsText("00124B0001020304", std::string(42, '0'), kCert)},
      {CredentialsDefect::zeroKey, CredentialsField::privateKey, "private key equal to the order",
       credentialsText("00124B0001020304", "04000000000000000000020108A2E0CC0D99F8A5EF", kCert)},
      {CredentialsDefect::tooLong, CredentialsField::none, "1,024 bytes", good + std::string(1024 - good.size(), ' ')},
      // One more hex digit behind the last pair: the field is longer than its
      // size, and reading its first pairs would sign with another key.
      {CredentialsDefect::fieldTooLong, CredentialsField::privateKey, "44-digit private key", credentialsText("00124B0001020304", "00" + kKey, kCert)},
      {CredentialsDefect::fieldTooLong, CredentialsField::privateKey, "43-digit private key", credentialsText("00124B0001020304", kKey + "5", kCert)},
      {CredentialsDefect::fieldTooLong, CredentialsField::ieeeAddress, "48-digit address", credentialsText("00124B000102030405", kKey, kCert)},
      {CredentialsDefect::fieldTooLong, CredentialsField::certificate, "97-digit certificate", credentialsText("00124B0001020304", kKey, kCert + "0")},
      {CredentialsDefect::fieldTooLong, CredentialsField::privateKey, "split long key", credentialsText("00124B0001020304", kKey.substr(0, 40) + " 3344A", kCert)},
      {CredentialsDefect::fieldTooLong, CredentialsField::ieeeAddress, "label glued to a field", "Device Private Key: " + kKey + "\nIEEE Address: 00124B0001020304"
                                 "Device Implicit Cert: " + kCert},
      {CredentialsDefect::fieldTooLong, CredentialsField::certificate, "field at the end of the text, one digit over",
       "IEEE Address: 00124B0001020304\nDevice Private Key: " + kKey + "\nDevice Implicit Cert: " +
           kCert + "F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SignerCredentials creds;
    creds.privateKey.fill(0x77);
    CredentialsFault fault;
    EXPECT_EQ(parseSignerCredentials(c.text.data(), c.text.size(), creds, &fault),
              CredentialsStatus::invalid);
    EXPECT_EQ(fault.defect, c.defect);
    EXPECT_EQ(fault.field, c.field);
    EXPECT_EQ(creds.privateKey[0], 0x77);  // untouched on failure
  }
}

TEST(Credentials, SizeLimitIsOneThousandTwentyThreeBytes) {
  const std::string good = credentialsText("00124B0001020304", kKey, kCert);
  SignerCredentials creds;
  EXPECT_EQ(parse(good + std::string(1023 - good.size(), ' '), creds), CredentialsStatus::ok);
  EXPECT_EQ(parse(good + std::string(1024 - good.size(), ' '), creds), CredentialsStatus::invalid);
}

TEST(Credentials, KeyAboveTheOrderIsKeptAsWritten) {
  SignerCredentials c;
  const std::string high = "04000000000000000000020108A2E0CC0D99F8A5F0";  // n + 1
  ASSERT_EQ(parse(credentialsText("00124B0001020304", high, kCert), c), CredentialsStatus::ok);
  EXPECT_EQ(test::bytesToHex(c.privateKey.data(), 21), high);
}

TEST(Credentials, LoadingFromFiles) {
  SignerCredentials c;
  EXPECT_EQ(loadSignerCredentials("/nonexistent/otawrap/credentials.txt", c),
            CredentialsStatus::cannotOpen);

  const std::string path = ::testing::TempDir() + "otawrap_credentials_test.txt";
  const std::string text = credentialsText("00124B0001020304", kKey, kCert);
  for (const std::size_t size : {std::size_t{1023}, std::size_t{1024}, std::size_t{4096}}) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string padded = text + std::string(size - text.size(), ' ');
    ASSERT_EQ(std::fwrite(padded.data(), 1, padded.size(), file), padded.size());
    ASSERT_EQ(std::fclose(file), 0);
    EXPECT_EQ(loadSignerCredentials(path.c_str(), c),
              size == 1023 ? CredentialsStatus::ok : CredentialsStatus::invalid)
        << size;
  }
  // Binary reading: CR LF line ends count two bytes each, so 1,024 bytes
  // written with them are refused on every platform.
  std::string crlf = "IEEE Address: 00124B0001020304\r\nDevice Private Key: " + kKey +
                     "\r\nDevice Implicit Cert: " + kCert + "\r\n";
  crlf += std::string(1022 - crlf.size(), ' ') + "\r\n";
  for (const std::size_t size : {std::size_t{1023}, std::size_t{1024}}) {
    const std::string sized = crlf.substr(0, size - 2) + "\r\n";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(sized.data(), 1, sized.size(), file), sized.size());
    ASSERT_EQ(std::fclose(file), 0);
    EXPECT_EQ(loadSignerCredentials(path.c_str(), c),
              size == 1023 ? CredentialsStatus::ok : CredentialsStatus::invalid)
        << "CR LF, " << size;
  }
  EXPECT_EQ(std::remove(path.c_str()), 0);
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The published vectors of both suites in the authority layout: the curve
// follows the certificate, the address its subject, and the device public
// key and the certificate under the CA key both agree with d*G.
TEST(Credentials, AuthorityLayoutOfBothSuites) {
  for (const test::CaVector* v : {&test::kCaSuite1, &test::kCaSuite2}) {
    const bool suite2 = v == &test::kCaSuite2;
    SCOPED_TRACE(suite2 ? "suite 2" : "suite 1");
    SignerCredentials c;
    const std::string text = "# pasted from the CA's page\n" + test::caText(*v);
    ASSERT_EQ(parse(text, c), CredentialsStatus::ok);
    EXPECT_EQ(c.curve, suite2 ? SigningCurve::sect283k1 : SigningCurve::sect163k1);
    EXPECT_EQ(c.format, CredentialsFormat::authority);
    EXPECT_EQ(test::bytesToHex(c.privateKey.data(), c.keyOctets()), upper(v->privateKey));
    EXPECT_EQ(test::bytesToHex(c.implicitCertificate.data(), c.certificateOctets()),
              upper(v->certificate));
    EXPECT_EQ(test::bytesToHex(c.publicKey.data(), c.publicKeyOctets()),
              upper(v->devicePublicKey));
    std::string address = test::bytesToHex(c.ieeeAddress.data(), 8);
    std::string reversed;
    for (std::size_t i = address.size(); i >= 2; i -= 2) reversed += address.substr(i - 2, 2);
    EXPECT_EQ(reversed, upper(v->subject));
    // Without the optional device key, and as the signer layout.
    ASSERT_EQ(parse(test::caText(v->caKey, v->certificate, v->privateKey, ""), c),
              CredentialsStatus::ok);
    ASSERT_EQ(parse(credentialsText(v->subject, v->privateKey, v->certificate), c),
              CredentialsStatus::ok);
    EXPECT_EQ(c.format, CredentialsFormat::signer);
    EXPECT_EQ(test::bytesToHex(c.publicKey.data(), c.publicKeyOctets()),
              upper(v->devicePublicKey));
  }
}

TEST(Credentials, AuthorityAndCertificateRejections) {
  const test::CaVector& v1 = test::kCaSuite1;
  const test::CaVector& v2 = test::kCaSuite2;
  const std::string otherKey2 = std::string(v2.privateKey).substr(0, 70) + "55";
  struct Case {
    const char* name;
    bool certificateText;
    std::string text;
    CredentialsDefect defect;
    CredentialsField field;
  } const cases[] = {
      {"device key of another private key", false,
       test::caText(v2.caKey, v2.certificate, otherKey2, v2.devicePublicKey),
       CredentialsDefect::certificateMismatch, CredentialsField::certificate},
      {"device key not the private key's", false,
       test::caText(v1.caKey, v1.certificate, v1.privateKey, v1.caKey),
       CredentialsDefect::publicKeyMismatch, CredentialsField::devicePublicKey},
      {"device key off the curve", false,
       test::caText(v1.caKey, v1.certificate, v1.privateKey, "02" + std::string(42, '0')),
       CredentialsDefect::notAPoint, CredentialsField::devicePublicKey},
      {"other CA key", false,
       test::caText(v2.devicePublicKey, v2.certificate, v2.privateKey, v2.devicePublicKey),
       CredentialsDefect::certificateMismatch, CredentialsField::certificate},
      {"CA key of the other suite", false,
       test::caText(v1.caKey, v2.certificate, v2.privateKey, ""), CredentialsDefect::notHexDigit,
       CredentialsField::caPublicKey},
      {"suite-1 key behind a suite-2 certificate", false,
       test::caText(v2.caKey, v2.certificate, v1.privateKey, ""), CredentialsDefect::fieldTruncated,
       CredentialsField::reconstructionData},
      {"certificate one digit short of suite 2", false,
       test::caText(v2.caKey, std::string(v2.certificate).substr(0, 147), v2.privateKey, ""),
       CredentialsDefect::fieldTooLong, CredentialsField::certificate},
      {"certificate one digit over suite 2", false,
       test::caText(v2.caKey, std::string(v2.certificate) + "0", v2.privateKey, ""),
       CredentialsDefect::fieldTooLong, CredentialsField::certificate},
      {"CA key missing", false, test::caText("", v2.certificate, v2.privateKey, ""),
       CredentialsDefect::labelMissing, CredentialsField::caPublicKey},
      {"certificate of another curve", false,
       test::caText(v2.caKey, "000b3ad5a312ab75d60e08" + std::string(v2.certificate).substr(22),
                    v2.privateKey, ""),
       CredentialsDefect::certificateFormat, CredentialsField::certificate},
      {"zero key", false, test::caText(v2.caKey, v2.certificate, std::string(72, '0'), ""),
       CredentialsDefect::zeroKey, CredentialsField::reconstructionData},
      {"certificate text without a public key", true, test::caText("", v2.certificate, "", ""),
       CredentialsDefect::publicKeyMissing, CredentialsField::none},
      {"certificate text whose two keys disagree", true,
       test::caText(v1.caKey, v1.certificate, "", "03" + std::string(v1.devicePublicKey + 2)),
       CredentialsDefect::certificateMismatch, CredentialsField::devicePublicKey},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SignerCredentials out;
    CredentialsFault fault;
    const CredentialsStatus status =
        c.certificateText ? parseSignerCertificate(c.text.data(), c.text.size(), out, &fault)
                          : parseSignerCredentials(c.text.data(), c.text.size(), out, &fault);
    EXPECT_EQ(status, CredentialsStatus::invalid);
    EXPECT_EQ(fault.defect, c.defect);
    EXPECT_EQ(fault.field, c.field);
  }
}

// A certificate text gives the public key from the device key, from the
// certificate under the CA key, or from both when they agree.
TEST(Credentials, CertificateTextsGiveThePublicKey) {
  for (const test::CaVector* v : {&test::kCaSuite1, &test::kCaSuite2}) {
    for (const std::string& text :
         {test::caText(v->caKey, v->certificate, "", ""),
          test::caText("", v->certificate, "", v->devicePublicKey), test::caText(*v)}) {
      SignerCredentials c;
      ASSERT_EQ(parseSignerCertificate(text.data(), text.size(), c), CredentialsStatus::ok) << text;
      EXPECT_EQ(c.format, CredentialsFormat::certificate);
      EXPECT_EQ(test::bytesToHex(c.publicKey.data(), c.publicKeyOctets()),
                upper(v->devicePublicKey));
      EXPECT_EQ(c.privateKey, decltype(c.privateKey){});
    }
  }
}

}  // namespace
}  // namespace otawrap
