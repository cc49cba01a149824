// Signed files from the built binary, checked with an independent AES-MMO and
// OpenSSL's ECDSA verification, plus every credentials error end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "commands/ota_file_check.h"
#include "support/openssl_ecdsa.h"
#include "support/openssl_hash.h"
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

}  // namespace
}  // namespace otawrap
