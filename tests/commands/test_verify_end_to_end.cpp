// otawrap --verify through the built binary: files it signs with generated
// test credentials verify with --public-key in both encodings (made by
// OpenSSL), with -s and with --ca-key for certificates of a test CA; wrong
// keys, corrupted and unsigned files fail with exit code 2; bad key text,
// missing files and bad option combinations take the error exit; the payload
// of the upgrade image is reported and judged as info does.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "payload/payload.h"
#include "support/ca_vectors.h"
#include "support/openssl_curve.h"
#include "support/otawrap_run.h"
#include "support/payload_generator.h"
#include "support/openssl_verify.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"
#include "support/test_ca.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::TempDirectory;
using test::examplesDir;
using test::runOtawrap;

std::string hex(const Bytes& bytes) { return test::bytesToHex(bytes.data(), bytes.size()); }

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Test credentials (not for production) written as a credentials file.
struct Signer {
  test::Octets21 key;
  Bytes ieee;
  Bytes certificate;
};

void writeCredentials(const TempDirectory& dir, const std::string& name, const Signer& s) {
  const std::string text = "# otawrap test credentials: test key, not for production\n"
                           "IEEE Address: " + hex(s.ieee) +
                           "\nDevice Private Key: " + test::bytesToHex(s.key.data(), 21) +
                           "\nDevice Implicit Cert: " + hex(s.certificate) + "\n";
  ASSERT_TRUE(test::writeFileBytes(dir.file(name), Bytes(text.begin(), text.end())));
}

Signer randomSigner(std::mt19937& rng) {
  Signer s;
  s.ieee.resize(8);
  s.certificate.resize(48);
  for (auto& b : s.ieee) b = static_cast<std::uint8_t>(rng());
  for (auto& b : s.key) b = static_cast<std::uint8_t>(rng());
  for (auto& b : s.certificate) b = static_cast<std::uint8_t>(rng());
  s.key[0] &= 0x03;
  s.key[20] |= 1;
  return s;
}

class VerifyEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(2611);  // seed of the generated credentials
    signer_ = randomSigner(rng);
    other_ = randomSigner(rng);
    writeCredentials(dir_, "creds.txt", signer_);
    writeCredentials(dir_, "other.txt", other_);
    test::RawGeneratorOptions options;
    options.seed = 12;
    options.dataBytes = 5000;
    ASSERT_TRUE(test::writeFileBytes(dir_.file("in.raw"),
                                     test::rawFileBytes(test::generateRawFile(options))));
    const test::ProcessResult run =
        runOtawrap(dir_, {"in.raw", "-screds.txt", "-m100B", "-t0042", "-v00010203"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const test::ProcessResult plain = runOtawrap(dir_, {"in.raw", "-m100B", "-t0042", "-v00000001"});
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
  }

  const std::string signedName_ = "100B-0042-00010203.zigbee";
  const std::string unsignedName_ = "100B-0042-00000001.zigbee";
  TempDirectory dir_;
  Signer signer_;
  Signer other_;
};

TEST_F(VerifyEndToEnd, PublicKeyInBothEncodingsAndCredentialsVerify) {
  const AffinePoint Q = test::sslPublicKey(signer_.key);
  const std::vector<std::vector<std::string>> keyArguments = {
      {"--public-key", hex(test::sslPointEncode(Q, true))},
      {"--public-key", hex(test::sslPointEncode(Q, false))},
      {"--public-key", "0x" + hex(test::sslPointEncode(Q, true))},
      {"-screds.txt"},
      {"-s", "creds.txt"},
      {"--credentials", "creds.txt"},
      {"--credentials=creds.txt"},
  };
  for (const auto& key : keyArguments) {
    std::vector<std::string> args = {"--verify", signedName_};
    args.insert(args.end(), key.begin(), key.end());
    SCOPED_TRACE(key.back());
    const test::ProcessResult run = runOtawrap(dir_, args);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("  signature verification: ok\n"), std::string::npos) << run.output;
    EXPECT_TRUE(endsWith(run.output, "\nSignature: ok\n")) << run.output;
  }
  // Key first or file first: the same.
  const test::ProcessResult reordered =
      runOtawrap(dir_, {"--verify", "-screds.txt", signedName_});
  EXPECT_EQ(reordered.exitCode, 0) << reordered.output;
}

TEST_F(VerifyEndToEnd, JsonReportCarriesTheSignatureCheck) {
  const test::ProcessResult good = runOtawrap(dir_, {"--verify", signedName_, "-screds.txt", "--json"});
  EXPECT_EQ(good.exitCode, 0);
  EXPECT_NE(good.output.find(R"({"name":"signature verification","result":"ok"})"),
            std::string::npos)
      << good.output;
  EXPECT_TRUE(endsWith(good.output, "\"ok\":true}\n")) << good.output;
  const test::ProcessResult bad = runOtawrap(dir_, {"--verify", signedName_, "-sother.txt", "--json"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.output.find(R"({"name":"signature verification","result":"failed",)"
                            R"("reason":"the signature does not match the key"})"),
            std::string::npos)
      << bad.output;
  EXPECT_TRUE(endsWith(bad.output, "\"ok\":false}\n")) << bad.output;
}

TEST_F(VerifyEndToEnd, WrongKeysCorruptedAndUnsignedFilesFail) {
  const AffinePoint wrong = test::sslPublicKey(other_.key);
  const std::string failed = "Signature: FAILED (the signature does not match the key)\n";
  const std::vector<std::vector<std::string>> wrongKeys = {
      {"-sother.txt"}, {"--public-key", hex(test::sslPointEncode(wrong, true))}};
  for (const auto& key : wrongKeys) {
    std::vector<std::string> args = {"--verify", signedName_};
    args.insert(args.end(), key.begin(), key.end());
    const test::ProcessResult run = runOtawrap(dir_, args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(endsWith(run.output, failed)) << run.output;
  }

  // One flipped bit in the header, the image, the certificate, r and s.
  const Bytes file = test::readFileBytes(dir_.file(signedName_));
  const std::size_t positions[] = {10, 20, 100, file.size() / 2, file.size() - 100,
                                   file.size() - 30, file.size() - 1};
  for (const std::size_t at : positions) {
    Bytes damaged = file;
    damaged[at] ^= 0x10;
    ASSERT_TRUE(test::writeFileBytes(dir_.file("damaged.zigbee"), damaged));
    const test::ProcessResult run = runOtawrap(dir_, {"--verify", "damaged.zigbee", "-screds.txt"});
    EXPECT_EQ(run.exitCode, 1) << "byte " << at;
    EXPECT_NE(run.output.find("Signature: FAILED ("), std::string::npos) << run.output;
    EXPECT_EQ(run.output.rfind("Error:", 0), std::string::npos);
  }

  for (const std::string& key : {std::string("-screds.txt"), std::string("--ca-key")}) {
    std::vector<std::string> args = {"--verify", unsignedName_, key};
    if (key == "--ca-key") args.push_back(hex(test::sslPointEncode(test::sslPublicKey(signer_.key), true)));
    const test::ProcessResult plain = runOtawrap(dir_, args);
    EXPECT_EQ(plain.exitCode, 1);
    EXPECT_TRUE(endsWith(plain.output, "Signature: FAILED (the file is not signed)\n")) << plain.output;
  }
}

TEST_F(VerifyEndToEnd, BadKeysFilesAndOptionsTakeTheErrorExit) {
  const AffinePoint Q = test::sslPublicKey(signer_.key);
  Bytes offCurve = test::sslPointEncode(Q, false);
  offCurve.back() ^= 1;
  Bytes orderTwo(22, 0);
  orderTwo[0] = 0x02;
  const AffinePoint twisted =
      test::sslPointAdd(Q, AffinePoint{FieldElement{}, FieldElement{1}});  // order 2n
  const std::string kTry = "\nTry 'otawrap verify --help'.";
  struct Case {
    std::vector<std::string> args;
    std::string errors;  // without the final newline
  } cases[] = {
      {{"--verify", signedName_, "--public-key", "zz"},
       "invalid public key 'zz': not an even number of hexadecimal digits"},
      {{"--verify", signedName_, "--public-key", "030"},
       "invalid public key '030': not an even number of hexadecimal digits"},
      {{"--verify", signedName_, "--public-key", "0302"},
       "invalid public key: public key must be 22 or 43 octets (crypto suite 1) or 37 or 73 octets (crypto suite 2), compressed or uncompressed"},
      {{"--verify", signedName_, "--public-key", "05" + hex(test::sslPointEncode(Q, true)).substr(2)},
       "invalid public key: public key must start with 02 or 03 (compressed) or 04 "
       "(uncompressed)"},
      {{"--verify", signedName_, "--public-key", hex(offCurve)},
       "invalid public key: public key is not a point on sect163k1"},
      {{"--verify", signedName_, "--public-key", hex(orderTwo)},
       "invalid public key: public key is not a point of order n"},
      {{"--verify", signedName_, "--public-key", hex(test::sslPointEncode(twisted, false))},
       "invalid public key: public key is not a point of order n"},
      {{"--verify", signedName_, "--ca-key", "00"},
       "invalid CA public key: public key must be 22 or 43 octets (crypto suite 1) or 37 or 73 octets (crypto suite 2), compressed or uncompressed"},
      {{"--verify", "missing.zigbee", "-screds.txt"},
       "cannot open input file 'missing.zigbee': No such file or directory"},
      {{"verify", ".", "-screds.txt"},
       "cannot open input file '.': Is a directory\n"
       "otawrap: '.' is a directory: --recursive reads every file below it"},
      // Key files: the whitespace-free hex of the key, or a refusal naming the file.
      {{"verify", signedName_, "--ca-key-file", "missing.txt"},
       "cannot read key file 'missing.txt': No such file or directory"},
      {{"verify", signedName_, "--public-key-file", "creds.txt"},
       "invalid public key file 'creds.txt': not an even number of hexadecimal digits"},
      {{"verify", signedName_, "--public-key-file", "short.txt"},
       "invalid public key file 'short.txt': public key must be 22 or 43 octets (crypto suite 1) "
       "or 37 or 73 octets (crypto suite 2), compressed or uncompressed"},
      {{"verify", signedName_, "--ca-key-file", "in.raw"},
       "invalid CA public key file 'in.raw': larger than 1024 bytes"},
      {{"verify", signedName_, "--ca-key", "short.txt"},
       "invalid CA public key 'short.txt': not an even number of hexadecimal digits\n"
       "otawrap: 'short.txt' is a file: --ca-key-file reads the key from it"},
      {{"verify", signedName_, "-smissing.txt"},
       "cannot open credentials file 'missing.txt': No such file or directory"},
      {{"verify", signedName_, "-sin.raw"},
       "credentials file 'in.raw': larger than 1023 bytes"},
      {{"--verify", signedName_},
       "missing key: give --public-key, --public-key-file, --credentials, --ca-key or --ca-key-file" +
           kTry},
      {{"--verify", signedName_, "-screds.txt", "--public-key", hex(test::sslPointEncode(Q, true))},
       "give only one of --public-key, --public-key-file, --credentials, --ca-key and --ca-key-file" +
           kTry},
      {{"--verify", "-screds.txt"}, "missing FILE operand" + kTry},
  };
  test::writeText(dir_.file("short.txt"), " 02 03\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const test::ProcessResult run = runOtawrap(dir_, c.args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors, "otawrap: " + c.errors + "\n");
  }
}

TEST(VerifyEndToEndCa, BundledTestCredentialsSignAndVerifyWithTheBundledCaKey) {
  TempDirectory dir;
  const std::string examples = examplesDir();
  const Bytes caText = test::readFileBytes(examples + "test-ca-key.txt");
  ASSERT_EQ(caText.size(), 45u);
  const std::string caKey(caText.begin(), caText.end() - 1);
  ASSERT_EQ(runOtawrap(dir, {examples + "sample.raw", "-s" + examples + "test-ca-credentials.txt"}).exitCode, 0);
  const test::ProcessResult run =
      runOtawrap(dir, {"--verify", "100B-0042-00010203.zigbee", "--ca-key", caKey});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  // The same key from the file, and from a copy wrapped with spaces and CR LF.
  test::writeText(dir.file("wrapped.txt"), "\r\n " + caKey.substr(0, 20) + " \t\r\n" + caKey.substr(20) + "\r\n\r\n");
  for (const std::string& file : {examples + "test-ca-key.txt", dir.file("wrapped.txt")}) {
    const test::ProcessResult fromFile =
        runOtawrap(dir, {"verify", "100B-0042-00010203.zigbee", "--ca-key-file", file});
    EXPECT_EQ(fromFile.output, run.output) << file;
    EXPECT_EQ(fromFile.exitCode, 0) << fromFile.errors;
  }
  // The generator's CA (seed 4711) gives the same key as the bundled file.
  test::TestCertificateAuthority ca(4711);
  EXPECT_EQ(caKey, hex(ca.publicKeyCompressed()));
}

TEST(VerifyEndToEndCa, CaKeyReconstructsTheSignerFromTheCertificate) {
  TempDirectory dir;
  test::TestCertificateAuthority ca(4711);  // seed of the test CA
  test::TestCertificateAuthority otherCa(815);
  std::array<std::uint8_t, 8> subject = {0x00, 0x0D, 0x6F, 0x00, 0x00, 0x12, 0x34, 0x56};
  const test::IssuedCredentials issued = ca.issue(subject);
  Signer signer;
  signer.key = issued.privateKey;
  signer.ieee.assign(subject.begin(), subject.end());
  signer.certificate.assign(issued.certificate.begin(), issued.certificate.end());
  writeCredentials(dir, "creds.txt", signer);
  ASSERT_EQ(runOtawrap(dir, {"x", "-n", "-screds.txt"}).exitCode, 0);
  const std::string name = "0000-0000-00000000.zigbee";

  const test::ProcessResult good = runOtawrap(dir, {"--verify", name, "--ca-key", hex(ca.publicKeyCompressed())});
  EXPECT_EQ(good.exitCode, 0) << good.output;
  EXPECT_TRUE(endsWith(good.output, "\nPublic key: " + hex(test::sslPointEncode(issued.publicKey, true)) +
                                        "\nSignature: ok\n"))
      << good.output;

  const test::ProcessResult wrongCa =
      runOtawrap(dir, {"--verify", name, "--ca-key", hex(otherCa.publicKeyCompressed())});
  EXPECT_EQ(wrongCa.exitCode, 1);
  EXPECT_TRUE(endsWith(wrongCa.output, "Signature: FAILED (the signature does not match the key)\n"))
      << wrongCa.output;

  // A broken reconstruction point in the certificate (signed as it is).
  signer.certificate.assign(22, 0);
  signer.certificate[0] = 0x02;
  signer.certificate.resize(48, 0x55);
  writeCredentials(dir, "broken.txt", signer);
  ASSERT_EQ(runOtawrap(dir, {"x", "-n", "-sbroken.txt", "-v00000002"}).exitCode, 0);
  const test::ProcessResult broken = runOtawrap(
      dir, {"--verify", "0000-0000-00000002.zigbee", "--ca-key", hex(ca.publicKeyCompressed())});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_TRUE(endsWith(broken.output, "Signature: FAILED (the certificate does not give a public key "
                                      "under this CA key)\n"))
      << broken.output;
}

// Signed files behind a vendor prefix, with a platform named, followed by an
// integrity code, and with a crypto suite 2 signature instead.
TEST_F(VerifyEndToEnd, PrefixPlatformAndSealsOtherThanSuite1) {
  const Bytes file = test::readFileBytes(dir_.file(signedName_));
  Bytes prefixed(0x3C + file.size(), 0x00);
  std::copy(file.begin(), file.end(), prefixed.begin() + 0x3C);
  ASSERT_TRUE(test::writeFileBytes(dir_.file("prefixed.ota"), prefixed));
  // The signed file with an integrity code behind the signature (its value
  // does not matter to verify).
  const auto append = [](Bytes& bytes, std::uint8_t tag, std::uint8_t length, std::uint8_t fill) {
    for (const std::uint8_t b : {tag, std::uint8_t{0}, length, std::uint8_t{0}, std::uint8_t{0},
                                 std::uint8_t{0}}) {
      bytes.push_back(b);
    }
    bytes.resize(bytes.size() + length, fill);
  };
  Bytes sealed = file;
  append(sealed, 0x03, 16, 0x33);
  for (int i = 0; i < 4; ++i) sealed[52 + i] = static_cast<std::uint8_t>(sealed.size() >> (8 * i));
  ASSERT_TRUE(test::writeFileBytes(dir_.file("sealed.ota"), sealed));
  // The unsigned part with a well-formed crypto suite 2 certificate and signature.
  Bytes suite2(file.begin(), file.end() - 110);
  append(suite2, 0x06, 74, 0x66);
  append(suite2, 0x05, 80, 0x55);
  for (int i = 0; i < 4; ++i) suite2[52 + i] = static_cast<std::uint8_t>(suite2.size() >> (8 * i));
  ASSERT_TRUE(test::writeFileBytes(dir_.file("suite2.ota"), suite2));

  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string tail;
  } cases[] = {
      {{"prefixed.ota"}, 0, "\nSignature: ok\n"},
      {{signedName_, "--platform", "QUILLDEV"}, 0, "\nSignature: ok\n"},
      {{signedName_, "-pfenboard"}, 1, "\nSignature: ok\n"},
      {{"sealed.ota"}, 1,
       "\nSignature: FAILED (the signature is not the last sub-element of the file)\n"},
      {{"suite2.ota"}, 1,
       "\nSignature: FAILED (the key is of the other crypto suite than the signature)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = {"verify", "-s", "creds.txt"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SCOPED_TRACE(c.arguments.back());
    const test::ProcessResult run = runOtawrap(dir_, arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output << run.errors;
    EXPECT_TRUE(endsWith(run.output, c.tail)) << run.output;
  }
  const test::ProcessResult prefixedRun = runOtawrap(dir_, {"verify", "-s", "creds.txt", "prefixed.ota"});
  EXPECT_NE(prefixedRun.output.find("Vendor prefix: 60 bytes"), std::string::npos);
  const test::ProcessResult fenboard = runOtawrap(dir_, {"verify", "-s", "creds.txt", signedName_, "-pFENBOARD"});
  EXPECT_NE(fenboard.output.find("  image CRC: FAILED: image CRC at offset 0 does not match"),
            std::string::npos)
      << fenboard.output;
  const test::ProcessResult suite2Run = runOtawrap(dir_, {"verify", "-s", "creds.txt", "suite2.ota"});
  EXPECT_NE(suite2Run.output.find("  crypto suite 2 signature verification: FAILED: the key is of "
                                  "the other crypto suite than the signature\n"),
            std::string::npos)
      << suite2Run.output;
}

// Crypto suite 2, signed with the published vector: each key option, the
// certificate's fields, the other suite's key, a file whose 0x0005 holds no
// sect283k1 values and one without the certificate.
TEST(VerifyEndToEndSuite2, KeysCertificateFieldsAndRefusals) {
  TempDirectory dir;
  test::writeText(dir.file("ca2.txt"), test::caText(test::kCaSuite2));
  ASSERT_EQ(runOtawrap(dir, {"convert", examplesDir() + "sample.raw", "-s", "ca2.txt", "--output",
                             "s2.ota"})
                .exitCode,
            0);
  const Bytes file = test::readFileBytes(dir.file("s2.ota"));
  // 0x0005 alone, of values no sect283k1 signature has, and a plausible one.
  const auto withoutCertificate = [&file](std::uint8_t fill) {
    Bytes bytes(file.begin(), file.end() - 166);
    const Bytes signature(file.end() - 86, file.end());
    bytes.insert(bytes.end(), signature.begin(), signature.end());
    if (fill != 0) std::fill(bytes.end() - 72, bytes.end(), fill);
    for (int i = 0; i < 4; ++i) bytes[52 + i] = static_cast<std::uint8_t>(bytes.size() >> (8 * i));
    return bytes;
  };
  ASSERT_TRUE(test::writeFileBytes(dir.file("values.ota"), withoutCertificate(0xFF)));
  ASSERT_TRUE(test::writeFileBytes(dir.file("alone.ota"), withoutCertificate(0)));
  const std::string device = test::kCaSuite2.devicePublicKey;
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string text;
  } rows[] = {
      {{"s2.ota", "--public-key", device}, 0, "\nPublic key: " + upper(device) + "\nSignature: ok\n"},
      {{"s2.ota", "--credentials", "ca2.txt"}, 0, "\nSignature: ok\n"},
      {{"s2.ota", "--ca-key", test::kCaSuite2.caKey}, 0,
       "Signer: 0022080000000001\nSubject: 0022080000000001\nIssuer: 1112131415161718\n"
       "Serial: 0B3AD5A312AB75D6\nValid from: 2018-08-23 15:26:40 UTC\nValid until: never "
       "expires\nKey usage: 0x08 (key agreement)\n"},
      {{"s2.ota", "--ca-key", test::kCaSuite1.caKey}, 1,
       "Signature: FAILED (the key is of the other crypto suite than the signature)\n"},
      {{"s2.ota", "--ca-key", device}, 1, "Signature: FAILED (the signature does not match the key)\n"},
      {{"values.ota", "--public-key", device}, 1,
       "Signature: FAILED (not a sect283k1 signature: r or s lies outside [1, n-1] in either byte "
       "order)\n"},
      {{"alone.ota", "--ca-key", test::kCaSuite2.caKey}, 1,
       "Signature: FAILED (cannot be verified without the signer's certificate)\n"},
      {{"alone.ota", "--public-key", device}, 1,
       "Signature: FAILED (the signature does not match the key)\n"},
      {{"s2.ota", "--public-key", "02" + std::string(72, '0')}, 2,
       "invalid public key: public key is not a point on sect283k1"},
  };
  for (const auto& row : rows) {
    std::vector<std::string> arguments = {"verify"};
    arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
    SCOPED_TRACE(row.arguments[0] + " " + row.arguments[2]);
    const test::ProcessResult run = runOtawrap(dir, arguments);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.output << run.errors;
    EXPECT_NE((run.output + run.errors).find(row.text), std::string::npos) << run.output << run.errors;
  }
  // info notes the values that are no sect283k1 signature, and fails nothing.
  const test::ProcessResult info = runOtawrap(dir, {"info", "values.ota"});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_NE(info.output.find("crypto suite 2 signature layout: ok (a signature of 80 bytes last, "
                             "no certificate; its r and s lie outside [1, n-1] for sect283k1 in "
                             "either byte order: not a sect283k1 signature)\n"),
            std::string::npos)
      << info.output;
}

// The payload line and object are info's own; a failed payload fails verify
// whatever the signature says, unless --no-payload-check.
TEST_F(VerifyEndToEnd, PayloadsAsInfoReportsThem) {
  Bytes gbl = test::makePayload(PayloadFormat::gbl, 33);
  ASSERT_TRUE(test::writeFileBytes(dir_.file("good.gbl"), gbl));
  gbl[gbl.size() / 2] ^= 4;
  ASSERT_TRUE(test::writeFileBytes(dir_.file("bad.gbl"), gbl));
  const auto payloadLine = [](const std::string& report) {
    const std::size_t at = report.find("    payload: ");
    return at == std::string::npos ? std::string() : report.substr(at, report.find('\n', at) - at);
  };
  const struct {
    const char* payload;
    std::vector<std::string> options;
    int exitCode;
    const char* check;  // in the payload line
  } cases[] = {
      {"good.gbl", {}, 0, " ok"},
      {"bad.gbl", {}, 1, "FAILED: "},
      {"bad.gbl", {"--no-payload-check"}, 0, "check skipped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.payload) + (c.options.empty() ? "" : " " + c.options[0]));
    ASSERT_EQ(runOtawrap(dir_, {"build", "-m", "100B", "-t", "0042", "-v", "5", "--tag",
                             std::string("0=") + c.payload, "-s", "creds.txt", "--force",
                             "--output", "p.ota", "-q"}).exitCode, 0);
    for (const bool json : {false, true}) {
      std::vector<std::string> info = {"info", "p.ota"};
      std::vector<std::string> verify = {"verify", "p.ota", "-s", "creds.txt"};
      for (auto* arguments : {&info, &verify}) {
        arguments->insert(arguments->end(), c.options.begin(), c.options.end());
        if (json) arguments->push_back("--json");
      }
      const test::ProcessResult infoRun = runOtawrap(dir_, info);
      const test::ProcessResult verifyRun = runOtawrap(dir_, verify);
      EXPECT_EQ(verifyRun.exitCode, c.exitCode) << verifyRun.output << verifyRun.errors;
      EXPECT_EQ(infoRun.exitCode, c.exitCode);
      if (json) {
        const std::string key = "\"payload\":";
        const std::size_t at = infoRun.output.find(key);
        ASSERT_NE(at, std::string::npos) << infoRun.output;
        const std::string object = infoRun.output.substr(at, infoRun.output.find('}', at) - at);
        EXPECT_NE(verifyRun.output.find(object), std::string::npos) << object << "\n" << verifyRun.output;
        EXPECT_NE(verifyRun.output.find(c.exitCode == 0 ? "\"ok\":true" : "\"ok\":false"), std::string::npos);
      } else {
        EXPECT_NE(payloadLine(infoRun.output).find(c.check), std::string::npos) << infoRun.output;
        EXPECT_EQ(payloadLine(verifyRun.output), payloadLine(infoRun.output)) << verifyRun.output;
        EXPECT_TRUE(endsWith(verifyRun.output, "\nSignature: ok\n")) << verifyRun.output;
      }
    }
  }
}

}  // namespace
}  // namespace otawrap
