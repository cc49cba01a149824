// Signed files from the built binary, checked with an independent AES-MMO and
// OpenSSL's ECDSA verification, plus every credentials error end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "commands/ota_file_check.h"
#include "support/ca_vectors.h"
#include "support/openssl_ecdsa.h"
#include "support/openssl_hash.h"
#include "support/openssl_sect283k1.h"
#include "support/openssl_verify.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"
#include "support/temp_directory.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::le;
using test::TempDirectory;
using test::examplesDir;
using test::runOtawrap;

using TestCredentials = test::GeneratedCredentials;

std::string hexLower(const Bytes& bytes) {
  std::string text = test::bytesToHex(bytes.data(), bytes.size());
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Test credentials; every third key lies at or above n and signs as its residue.
TestCredentials randomCredentials(std::mt19937& rng) {
  TestCredentials c = test::generateCredentials(static_cast<std::uint32_t>(rng()));
  if (rng() % 3 == 0) c.privateKey[0] |= 0x04;
  return c;
}

// Checks the signed layout and the signature of file.
void checkSignedFile(const Bytes& file, const TestCredentials& creds) {
  ASSERT_GE(file.size(), 166u);
  EXPECT_EQ(le(file, 0, 4), 0x0BEEF11Eu);
  EXPECT_EQ(le(file, 52, 4), file.size());

  const std::size_t certAt = file.size() - 110;
  EXPECT_EQ(le(file, certAt, 2), 0x0002u);
  EXPECT_EQ(le(file, certAt + 2, 4), 48u);
  EXPECT_TRUE(std::equal(creds.certificate.begin(), creds.certificate.end(),
                         file.begin() + static_cast<long>(certAt) + 6));

  const std::size_t sigAt = file.size() - 56;
  const Bytes head(file.begin() + static_cast<long>(sigAt),
                   file.begin() + static_cast<long>(sigAt) + 6);
  EXPECT_EQ(head, Bytes({0x01, 0x00, 0x32, 0x00, 0x00, 0x00}));
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(file[sigAt + 6 + i], creds.ieeeAddress[7 - i]) << "IEEE byte " << i;
  }
  test::Octets21 r{};
  test::Octets21 s{};
  std::copy_n(file.begin() + static_cast<long>(sigAt) + 14, 21, r.begin());
  std::copy_n(file.begin() + static_cast<long>(sigAt) + 35, 21, s.begin());

  Bytes digest(16);
  test::OpensslMmo mmo;
  mmo.hash(file.data(), sigAt, digest.data());
  EXPECT_TRUE(test::sslEcdsaVerify(digest, r, s, creds.privateKey));
}

TEST(SignedEndToEnd, EveryPlatformAndNoImageModeVerifyWithOpenSsl) {
  std::mt19937 rng(4242);
  struct Case {
    const char* platform;  // nullptr: no -p
    bool noImage;
    std::size_t dataBytes;
  } cases[] = {
      {nullptr, false, 3000},      {"QUILLDEV", false, 20000}, {"FENBOARD", false, 70000},
      {"MARSHDEV", false, 70000},  {nullptr, true, 0},         {"MARSHDEV", true, 0},
  };
  int seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform ? c.platform : "default") + (c.noImage ? " -n" : ""));
    TempDirectory dir;
    const TestCredentials creds = randomCredentials(rng);
    const std::string text = creds.text();
    ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"), Bytes(text.begin(), text.end())));
    test::RawGeneratorOptions options;
    options.seed = static_cast<std::uint32_t>(seed++);
    options.dataBytes = c.dataBytes;
    if (!c.noImage) {
      ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"),
                                       test::rawFileBytes(test::generateRawFile(options))));
    }
    std::vector<std::string> args = {"in.raw", "-screds.txt", "-m100B", "-t0042", "-v00010203"};
    if (c.platform) args.push_back(std::string("-p") + c.platform);
    if (c.noImage) args.push_back("-n");

    const test::ProcessResult first = runOtawrap(dir, args);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_EQ(first.output, "");
    const std::string name = "100B-0042-00010203.zigbee";
    const Bytes file = test::readFileBytes(dir.file(name));
    checkSignedFile(file, creds);
    if (c.noImage) {
      EXPECT_EQ(file.size(), 166u);
    } else {
      // The part before the certificate is the unsigned file with the final size.
      Bytes unsignedPart(file.begin(), file.end() - 110);
      const std::uint32_t size = static_cast<std::uint32_t>(unsignedPart.size());
      for (int i = 0; i < 4; ++i) unsignedPart[52 + i] = static_cast<std::uint8_t>(size >> (8 * i));
      const int platform = c.platform == nullptr ? 0 : std::string(c.platform) == "FENBOARD" ? 1
                           : std::string(c.platform) == "MARSHDEV"                        ? 2
                                                                                           : 0;
      test::checkUnsignedOtaFile(unsignedPart, platform);
    }

    // Reproducible: a second run writes the same bytes.
    const test::ProcessResult second = runOtawrap(dir, args);
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_EQ(test::readFileBytes(dir.file(name)), file);
  }
}

TEST(SignedEndToEnd, SignedHeaderOnlyFileIs166BytesAndAnyFlippedByteFailsVerification) {
  TempDirectory dir;
  std::mt19937 rng(7);
  const TestCredentials creds = randomCredentials(rng);
  const std::string text = creds.text();
  ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"), Bytes(text.begin(), text.end())));
  ASSERT_EQ(runOtawrap(dir, {"x", "-n", "-screds.txt"}).exitCode, 0);
  const Bytes file = test::readFileBytes(dir.file("0000-0000-00000000.zigbee"));
  ASSERT_EQ(file.size(), 166u);
  checkSignedFile(file, creds);

  // The oracle is not vacuous: a flipped bit anywhere in the hashed bytes or in
  // r or s makes OpenSSL reject the signature.
  for (std::size_t at : {std::size_t{0}, std::size_t{52}, std::size_t{60}, std::size_t{109},
                         std::size_t{166 - 42}, std::size_t{165}}) {
    Bytes flipped = file;
    flipped[at] ^= 0x01;
    test::Octets21 r{};
    test::Octets21 s{};
    std::copy_n(flipped.begin() + 124, 21, r.begin());
    std::copy_n(flipped.begin() + 145, 21, s.begin());
    Bytes digest(16);
    test::OpensslMmo mmo;
    mmo.hash(flipped.data(), 110, digest.data());
    EXPECT_FALSE(test::sslEcdsaVerify(digest, r, s, creds.privateKey)) << "byte " << at;
  }
}

TEST(SignedEndToEnd, CredentialErrorsStopBeforeAnyFile) {
  std::mt19937 rng(99);
  const TestCredentials creds = randomCredentials(rng);
  const std::string good = creds.text();
  std::string zeroKey = good;
  const std::string keyHex = test::bytesToHex(creds.privateKey.data(), 21);
  zeroKey.replace(zeroKey.find(keyHex), keyHex.size(), std::string(42, '0'));
  std::string tabbed = good;
  tabbed.replace(tabbed.find("IEEE Address: "), 14, "IEEE Address:\t");

  struct Case {
    const char* name;
    const char* text;  // nullptr: no credentials file
    std::string content;
    const char* message;
  } cases[] = {
      {"missing file", nullptr, "", "Cannot open certificate"},
      {"label missing", "c", "Device Private Key: 01\n", "Invalid certificate"},
      {"1,024 bytes", "c", good + std::string(1024 - good.size(), '\n'), "Invalid certificate"},
      {"tab before a pair", "c", tabbed, "Invalid certificate"},
      {"key zero", "c", zeroKey, "Invalid certificate"},
      {"truncated certificate", "c", good.substr(0, good.size() - 3), "Invalid certificate"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDirectory dir;
    std::vector<std::string> before;
    if (c.text != nullptr) {
      ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"),
                                       Bytes(c.content.begin(), c.content.end())));
      before.push_back("creds.txt");
    }
    const test::ProcessResult result = runOtawrap(dir, {"x", "-n", "-screds.txt"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.output, std::string("Error: ") + c.message);
    EXPECT_EQ(dir.entries(), before);
  }
  // Accepted at 1,023 bytes.
  TempDirectory dir;
  const std::string padded = good + std::string(1023 - good.size(), '\n');
  ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"), Bytes(padded.begin(), padded.end())));
  EXPECT_EQ(runOtawrap(dir, {"x", "-n", "-screds.txt"}).exitCode, 0);
}

}  // namespace
}  // namespace otawrap

namespace otawrap {
namespace {

TEST(SignedEndToEnd, BundledSampleSignsWithTheBundledTestCredentials) {
  const std::string examples = examplesDir();
  const test::GeneratedCredentials creds =
      test::generateCredentials(test::kSampleCredentialsSeed);
  const std::string text = creds.text();
  ASSERT_EQ(test::readFileBytes(examples + "test-credentials.txt"), Bytes(text.begin(), text.end()))
      << "regenerate examples/test-credentials.txt with otawrap_make_sample";

  TempDirectory dir;
  const test::ProcessResult result =
      runOtawrap(dir, {examples + "sample.raw", "-s" + examples + "test-credentials.txt"});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  checkSignedFile(test::readFileBytes(dir.file("100B-0042-00010203.zigbee")), creds);
}

// Crypto suite 2 from credentials as the CA hands them out: the file ends
// with 0x0006 and 0x0005, OpenSSL verifies r and s over its own AES-MMO of the
// bytes before 0x0005, and otawrap verifies it under the published CA key.
// The legacy form and build take the same credentials as before or refuse them.
TEST(SignedEndToEnd, Suite2FromAuthorityCredentialsVerifiesWithOpenSsl) {
  TempDirectory dir;
  test::writeText(dir.file("ca2.txt"), test::caText(test::kCaSuite2));
  test::writeText(dir.file("ca1.txt"), test::caText(test::kCaSuite1));
  const std::string sample = examplesDir() + "sample.raw";
  ASSERT_EQ(runOtawrap(dir, {"convert", sample, "-s", "ca2.txt", "--output", "s2.ota"}).exitCode, 0);
  const Bytes file = test::readFileBytes(dir.file("s2.ota"));
  ASSERT_GT(file.size(), 166u);
  const std::size_t sigAt = file.size() - 86;
  EXPECT_EQ(le(file, sigAt - 80, 2), 0x0006u);
  EXPECT_EQ(le(file, sigAt, 2), 0x0005u);
  EXPECT_EQ(le(file, 52, 4), file.size());
  Bytes digest(16);
  test::OpensslMmo().hash(file.data(), sigAt, digest.data());
  const Bytes key = test::hexToBytes(test::kCaSuite2.devicePublicKey);
  Affine283 point;
  ASSERT_EQ(point283Decode(key.data(), key.size(), point), Point283Status::ok);
  EXPECT_TRUE(test::sslVerify283(point, digest.data(), 16, file.data() + sigAt + 14,
                                 file.data() + sigAt + 50));

  const test::ProcessResult verified =
      runOtawrap(dir, {"verify", "s2.ota", "--ca-key", test::kCaSuite2.caKey, "--json"});
  EXPECT_EQ(verified.exitCode, 0) << verified.output;
  for (const char* member :
       {"\"signer\":\"0022080000000001\"", "\"issuer\":\"1112131415161718\"",
        "\"validFromUtc\":\"2018-08-23 15:26:40 UTC\"", "\"validUntilUtc\":null",
        "\"keyUsage\":8", "\"cryptoSuite\":2"}) {
    EXPECT_NE(verified.output.find(member), std::string::npos) << member << verified.output;
  }
  // The suite-1 vector the same way, by build.
  const std::string payload = examplesDir() + "sample.raw";
  ASSERT_EQ(runOtawrap(dir, {"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=" + payload,
                             "-s", "ca1.txt", "--output", "s1.ota", "-q"})
                .exitCode,
            0);
  EXPECT_EQ(runOtawrap(dir, {"verify", "s1.ota", "--ca-key", test::kCaSuite1.caKey}).exitCode, 0);
  // The legacy form is suite 1 of three labels, as it always was.
  for (const char* credentials : {"ca2.txt", "ca1.txt"}) {
    const test::ProcessResult legacy =
        runOtawrap(dir, {sample, std::string("-s") + credentials});
    EXPECT_EQ(legacy.output, "Error: Invalid certificate") << credentials;
  }
}

// --signer-command: the command gets the AES-MMO digest in hex and answers
// with r and s in hex. A signature OpenSSL makes for the right key gives the
// file; a wrong key, garbage, a slow command and a failing one give no file.
TEST(SignedEndToEnd, ExternalSignerTable) {
  TempDirectory dir;
  const std::string sample = examplesDir() + "sample.raw";
  test::writeText(dir.file("ca2.txt"), test::caText(test::kCaSuite2));
  test::writeText(dir.file("cert2.txt"),
                  test::caText(test::kCaSuite2.caKey, test::kCaSuite2.certificate, "", ""));
  test::writeText(dir.file("cert1.txt"), test::caText("", test::kCaSuite1.certificate, "",
                                                      test::kCaSuite1.devicePublicKey));
  // The bytes the signer signs: the file the credentials sign, less 0x0005.
  ASSERT_EQ(runOtawrap(dir, {"convert", sample, "-s", "ca2.txt", "--output", "ref.ota"}).exitCode, 0);
  const Bytes reference = test::readFileBytes(dir.file("ref.ota"));
  Bytes digest(16);
  test::OpensslMmo().hash(reference.data(), reference.size() - 86, digest.data());
  const std::string digestHex = hexLower(digest);
  Limbs<5> d{};
  const Bytes key = test::hexToBytes(test::kCaSuite2.privateKey);
  limbsFromOctets(key.data(), key.size(), d);
  const std::string good = hexLower(test::sslSign283(d, digest.data(), 16));
  Limbs<5> other = d;
  other[0] ^= 1;
  const std::string wrong = hexLower(test::sslSign283(other, digest.data(), 16));
  // Suite 1: the same with the suite-1 vector's key and certificate.
  test::writeText(dir.file("ca1.txt"), test::caText(test::kCaSuite1));
  ASSERT_EQ(runOtawrap(dir, {"convert", sample, "-s", "ca1.txt", "--output", "ref1.ota"}).exitCode, 0);
  const Bytes reference1 = test::readFileBytes(dir.file("ref1.ota"));
  Bytes digest1(16);
  test::OpensslMmo().hash(reference1.data(), reference1.size() - 56, digest1.data());
  test::Octets21 key1{};
  const Bytes key1Bytes = test::hexToBytes(test::kCaSuite1.privateKey);
  std::copy(key1Bytes.begin(), key1Bytes.end(), key1.begin());
  test::Octets21 k{};
  k[20] = 0x77;
  test::Octets21 r1;
  test::Octets21 s1;
  test::sslEcdsaSign(digest1, key1, k, r1, s1);
  const std::string good1 = hexLower(Bytes(r1.begin(), r1.end())) + "\n" +
                            hexLower(Bytes(s1.begin(), s1.end()));

  struct Row {
    const char* name;
    const char* certificate;
    std::string command;
    const char* error;  // nullptr: the file is written
  } const rows[] = {
      {"good, suite 2", "cert2.txt", "cat > got.txt; echo " + good, nullptr},
      {"good, suite 1, r and s on two lines", "cert1.txt", "cat > got.txt; printf '" + good1 + "\\n'",
       nullptr},
      {"wrong key", "cert2.txt", "cat >/dev/null; echo " + wrong,
       "its signature does not verify under the public key of 'cert2.txt'"},
      {"garbage", "cert2.txt", "echo not a signature", "its output is not r and s as 144 hex digits"},
      {"suite-1 length for a suite-2 key", "cert2.txt", "echo " + good.substr(0, 84),
       "its output is not r and s as 144 hex digits"},
      {"slow", "cert2.txt", "sleep 30", "no signature within 1 second; stopped"},
      {"failing", "cert2.txt", "echo " + good + "; exit 3", "it exited with status 3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const test::ProcessResult run =
        runOtawrap(dir, {"convert", sample, "--output", "out.ota", "--certificate", row.certificate,
                         "--signer-command", row.command, "--signer-timeout", "1"});
    if (row.error != nullptr) {
      EXPECT_EQ(run.exitCode, 2);
      EXPECT_NE(run.errors.find(row.error), std::string::npos) << run.errors;
      EXPECT_FALSE(test::readFileBytes(dir.file("out.ota")).size() > 0) << "a file was left";
      continue;
    }
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const bool suite2 = std::string(row.certificate) == "cert2.txt";
    EXPECT_EQ(test::readText(dir.file("got.txt")), (suite2 ? digestHex : hexLower(digest1)) + "\n");
    const Bytes out = test::readFileBytes(dir.file("out.ota"));
    const Bytes& ref = suite2 ? reference : reference1;
    const std::size_t signedPart = ref.size() - (suite2 ? 72 : 42);
    EXPECT_TRUE(std::equal(ref.begin(), ref.begin() + static_cast<long>(signedPart), out.begin()));
    EXPECT_EQ(runOtawrap(dir, {"verify", "out.ota", "--ca-key",
                               suite2 ? test::kCaSuite2.caKey : test::kCaSuite1.caKey})
                  .exitCode,
              0);
    std::remove(dir.file("out.ota").c_str());
  }
}

}  // namespace
}  // namespace otawrap
