// Optional header fields end to end: the exact bytes behind offset 56, header
// length and field control, the upgrade image moved by the longer header,
// signed files that OpenSSL still verifies, invalid values, and the buffer
// bound with the longest header.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "commands/ota_file_check.h"
#include "app/convert_run.h"
#include "support/openssl_ecdsa.h"
#include "support/openssl_hash.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::le;
using test::ProcessResult;
using test::TempDirectory;
using test::runOtawrap;

// Test key (not for real devices).
const test::Octets21 kKey = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x10,
                             0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0xFF};
const char kCredentials[] =
    "IEEE Address: 00124B0001ABCDEF\n"
    "Device Private Key: 0001020304050607080910111213141516171819FF\n"
    "Device Implicit Cert: "
    "0303A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F6"
    "00124B0001ABCDEF54455354434100010203040506070809\n";

const char kName[] = "1234-5678-9ABCDEF0.zigbee";

Bytes hexBytes(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

TEST(HeaderFieldsEndToEnd, BytesLengthAndImageShift) {
  TempDirectory dir;
  ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"),
                                   Bytes(kCredentials, kCredentials + sizeof kCredentials - 1)));
  test::RawGeneratorOptions options;
  options.seed = 31;
  options.dataBytes = 70000;
  ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"),
                                   test::rawFileBytes(test::generateRawFile(options))));

  struct Fields {
    std::vector<std::string> arguments;
    std::uint16_t fieldControl;
    std::string optionalHex;  // the bytes from offset 56 on
  } fieldCases[] = {
      {{"--security-credential-version", "0x7F"}, 1, "7F"},
      {{"--destination", "00124B0001020304"}, 2, "04030201004B1200"},
      {{"--min-hw-version", "0102", "--max-hw-version", "0A0B"}, 4, "02010B0A"},
      {{"--max-hw-version", "2", "--destination", "1122334455667788", "--min-hw-version", "1"},
       6, "8877665544332211" "01000200"},
      {{"--security-credential-version", "1", "--destination", "FFFFFFFFFFFFFFFE",
        "--min-hw-version", "0", "--max-hw-version", "0"},
       7, "01" "FEFFFFFFFFFFFFFF" "00000000"},
  };
  const std::vector<std::vector<std::string>> modes = {
      {}, {"-pFENBOARD"}, {"-pMARSHDEV"}, {"-n"}, {"-screds.txt"}, {"-n", "-screds.txt"},
      {"-pMARSHDEV", "-screds.txt"}};

  for (const auto& mode : modes) {
    std::vector<std::string> base = {"in.raw", "-m1234", "-t5678", "-v9ABCDEF0"};
    base.insert(base.end(), mode.begin(), mode.end());
    ASSERT_EQ(runOtawrap(dir, base).exitCode, 0);
    const Bytes plain = test::readFileBytes(dir.file(kName));
    const bool signedFile = std::find(mode.begin(), mode.end(), "-screds.txt") != mode.end();
    const std::size_t trailer = signedFile ? 110 : 0;

    for (const Fields& f : fieldCases) {
      for (bool withString : {false, true}) {
        std::vector<std::string> arguments = base;
        arguments.insert(arguments.end(), f.arguments.begin(), f.arguments.end());
        const std::string headerString(withString ? 32 : 0, 'S');
        if (withString) {
          arguments.insert(arguments.end(), {"--header-string", headerString});
        }
        std::string label;
        for (const std::string& a : arguments) label += a + " ";
        SCOPED_TRACE(label);
        const ProcessResult result = runOtawrap(dir, arguments);
        ASSERT_EQ(result.exitCode, 0) << result.output;
        const Bytes file = test::readFileBytes(dir.file(kName));
        const Bytes optional = hexBytes(f.optionalHex);
        const std::size_t length = 56 + optional.size();

        EXPECT_EQ(le(file, 6, 2), length);
        EXPECT_EQ(le(file, 8, 2), f.fieldControl);
        EXPECT_EQ(le(file, 52, 4), file.size());
        EXPECT_EQ(file.size(), plain.size() + optional.size());
        EXPECT_TRUE(std::equal(optional.begin(), optional.end(), file.begin() + 56));
        for (std::size_t i = 0; i < 32; ++i) {
          EXPECT_EQ(file[20 + i], withString ? 'S' : 0) << i;
        }
        // Every other header byte is as without the fields.
        for (std::size_t i = 0; i < 56; ++i) {
          if ((i >= 6 && i < 10) || i >= 20) continue;
          EXPECT_EQ(file[i], plain[i]) << "header byte " << i;
        }
        // The sub-elements before the signature are those of the plain file,
        // moved behind the longer header.
        EXPECT_TRUE(std::equal(plain.begin() + 56, plain.end() - static_cast<long>(trailer),
                               file.begin() + static_cast<long>(length)));
        if (!signedFile) continue;
        const std::size_t sigAt = file.size() - 56;
        EXPECT_EQ(le(file, sigAt, 2), 1u);
        EXPECT_EQ(le(file, sigAt - 54, 2), 2u);
        test::Octets21 r{};
        test::Octets21 s{};
        std::copy_n(file.begin() + static_cast<long>(sigAt) + 14, 21, r.begin());
        std::copy_n(file.begin() + static_cast<long>(sigAt) + 35, 21, s.begin());
        Bytes digest(16);
        test::OpensslMmo mmo;
        mmo.hash(file.data(), sigAt, digest.data());
        EXPECT_TRUE(test::sslEcdsaVerify(digest, r, s, kKey));
        // Not vacuous: the optional bytes are covered by the signature.
        Bytes flipped = file;
        flipped[56] ^= 1;
        mmo.hash(flipped.data(), sigAt, digest.data());
        EXPECT_FALSE(test::sslEcdsaVerify(digest, r, s, kKey));
      }
    }
  }
}

TEST(HeaderFieldsEndToEnd, InvalidValuesStopBeforeAnyFile) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"--header-string", std::string(33, 'x')}, "Header string longer than 32 bytes"},
      {{"--security-credential-version", "256"},
       "Invalid security credential version: 0 to 255 expected"},
      {{"--destination", "0011"}, "Invalid destination: 16 hex digits expected"},
      {{"--min-hw-version", "x", "--max-hw-version", "1"},
       "Invalid hardware version: 1 to 4 hex digits expected"},
      {{"--min-hw-version", "1"}, "Minimum and maximum hardware versions must be given together"},
      {{"--min-hw-version", "2", "--max-hw-version", "1"},
       "Minimum hardware version is above the maximum"},
      {{"--destination"}, "Missing value for --destination"},
  };
  for (const auto& c : cases) {
    for (bool noImage : {false, true}) {
      TempDirectory dir;
      ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"),
                                       test::rawFileBytes(test::generateRawFile({}))));
      std::vector<std::string> arguments = {"in.raw"};
      if (noImage) arguments.push_back("-n");
      arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
      const ProcessResult result = runOtawrap(dir, arguments);
      EXPECT_EQ(result.exitCode, 2) << c.message;
      EXPECT_EQ(result.output, std::string("Error: ") + c.message);
      EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.raw"});
    }
  }
}

// A raw file whose image is exactly `length` bytes before padding.
Bytes rawWithImageLength(std::size_t length) {
  Bytes data(length);
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(i % 251);
  return test::rawFileBytes({{{0, data}, {0x80000, Bytes(100, 0)}}, {}});
}

TEST(HeaderFieldsEndToEnd, BufferBoundCountsTheLongerHeader) {
  // With all three fields the header is 69 bytes, so the file is 1 mod 4 long
  // and the largest one ends 3 bytes before the buffer's end.
  struct Case {
    std::size_t imageLength;
    bool signing;
    const char* error;
    std::size_t fileSize;
  } cases[] = {
      {524210, false, nullptr, 524285},
      {524211, false, "Input image too large", 0},
      {524102, true, nullptr, 524287},
      {524103, true, "Input image too large", 0},
  };
  for (const Case& c : cases) {
    const Bytes raw = rawWithImageLength(c.imageLength);
    auto context = std::make_unique<RunContext>();
    otaHeaderDefaults(context->header);
    RunSettings settings;
    if (c.signing) settings.file.credentialsPath = "(test key in memory)";
    context->credentials.privateKey[20] = 1;  // test key
    settings.file.headerFields.fieldControl = 7;
    MemorySource source(raw.data(), raw.size());
    Problem problem{Failure::usage, "", "", 0};
    const std::string error = runBuildFile(settings, *context, &source, problem) ? "" : legacyMessage(problem);
    if (c.error != nullptr) {
      EXPECT_EQ(error, c.error) << c.imageLength;
      continue;
    }
    ASSERT_EQ(error, "") << c.imageLength;
    EXPECT_EQ(context->header.totalImageSize, c.fileSize);
    EXPECT_EQ(context->position, c.fileSize);
    EXPECT_EQ(le(Bytes(context->image.begin(), context->image.begin() + 80), 6, 2), 69u);
    EXPECT_EQ(le(Bytes(context->image.begin(), context->image.begin() + 80), 71, 4),
              c.fileSize - 75 - (c.signing ? 110 : 0));
  }
}

}  // namespace
}  // namespace otawrap
