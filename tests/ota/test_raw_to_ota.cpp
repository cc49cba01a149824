// The conversion core: a raw file and its Intel HEX equivalent give the same
// OTA file for every generated seed and setting; the core writes exactly what
// the legacy command line of the built binary writes; extra sub-elements sit
// behind the upgrade image and before the seal; refusals leave no file.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "image/intel_hex.h"
#include "ota/raw_to_ota.h"
#include "ota/element_checks.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "sign/ecdsa.h"
#include "sign/ecdsa_verify.h"
#include "support/openssl_hash.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The legacy conversion buffer: 512 KiB.
constexpr std::size_t kCapacity = 524288;

SignerCredentials credentialsFor(std::uint32_t seed) {
  const std::string text = test::generateCredentials(seed).text();
  SignerCredentials credentials;
  EXPECT_EQ(parseSignerCredentials(text.data(), text.size(), credentials), CredentialsStatus::ok);
  return credentials;
}

struct Converted {
  OtaConversionResult result;
  Bytes file;
};

Converted convert(OtaConversionRequest request, ByteSource* input,
                  std::size_t capacity = kCapacity) {
  Bytes buffer(capacity);
  std::size_t size = 0;
  Converted out{otaConvert(request, input, buffer.data(), buffer.size(), size), {}};
  if (out.result.ok()) out.file.assign(buffer.begin(), buffer.begin() + static_cast<long>(size));
  return out;
}

// The legacy output name, MMMM-TTTT-VVVVVVVV.zigbee.
std::string outputName(const OtaHeader& h) {
  return hexUpper(h.manufacturerCode, 4) + "-" + hexUpper(h.imageType, 4) + "-" +
         hexUpper(h.fileVersion, 8) + ".zigbee";
}

OtaConversionRequest baseRequest(Platform platform) {
  OtaConversionRequest request;
  otaHeaderDefaults(request.header);
  request.identifiers = ImageIdentifiers{};
  request.platform = platform;
  return request;
}

TEST(OtaConvert, IntelHexAndRawGiveTheSameFileForEverySeed) {
  const SignerCredentials credentials = credentialsFor(77);
  const Bytes extra = {0xE1, 0xE2, 0xE3};
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    test::RawGeneratorOptions options;
    options.seed = seed;
    options.dataBytes = 512 + seed * 97;
    const test::RawFileLayout layout = test::generateRawFile(options);
    const Bytes raw = test::rawFileBytes(layout);
    const std::string hexText = test::intelHexText(layout, seed);
    const Bytes hex(hexText.begin(), hexText.end());

    OtaConversionRequest request = baseRequest(static_cast<Platform>(seed % 3));
    request.seal = static_cast<OtaSeal>(seed / 3 % 3);
    request.credentials = &credentials;
    request.header.stackVersion = static_cast<std::uint16_t>(seed % 4);
    if (seed % 5 == 0) request.extraPayloads = {{0xF00D, extra.data(), extra.size()}};
    if (seed % 7 == 0) {
      request.identifiers.manufacturerGiven = true;
      request.identifiers.manufacturerCode = 0xBEEF;
    }

    MemorySource rawSource(raw.data(), raw.size());
    const Converted fromRaw = convert(request, &rawSource);
    MemorySource hexMemory(hex.data(), hex.size());
    IntelHexSource hexSource(hexMemory);
    const Converted fromHex = convert(request, &hexSource);
    ASSERT_TRUE(fromRaw.result.ok()) << seed;
    ASSERT_TRUE(fromHex.result.ok()) << seed << " " << static_cast<int>(hexSource.failure().error)
                                     << " line " << hexSource.failure().line;
    ASSERT_EQ(fromHex.file, fromRaw.file) << "seed " << seed;
    const OtaFileInfo info = otaFileRead(fromRaw.file.data(), fromRaw.file.size());
    EXPECT_TRUE(otaFileChecksPass(info)) << seed;
  }
}

// The legacy command line of the built binary is the reference the core must
// match byte for byte: plain, signed, with header fields, without an image.
TEST(OtaConvert, WritesWhatTheLegacyCommandLineWrites) {
  const test::TempDirectory dir;
  const std::string credentialsText = test::generateCredentials(5).text();
  ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"),
                                   Bytes(credentialsText.begin(), credentialsText.end())));
  const SignerCredentials credentials = credentialsFor(5);
  struct Case {
    std::uint32_t seed;
    Platform platform;
    bool sign;
    bool fields;
    bool noImage;
  } const cases[] = {
      {1, Platform::quillDev, false, false, false}, {2, Platform::fenBoard, true, false, false},
      {3, Platform::marshDev, false, true, false},  {4, Platform::quillDev, true, true, false},
      {5, Platform::quillDev, false, false, true},  {6, Platform::fenBoard, true, true, true},
  };
  const char* platformNames[] = {"QUILLDEV", "FENBOARD", "MARSHDEV"};
  for (const Case& c : cases) {
    test::RawGeneratorOptions options;
    options.seed = c.seed;
    const Bytes raw = test::rawFileBytes(test::generateRawFile(options));
    ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"), raw));
    const std::string out = "out" + std::to_string(c.seed);
    const std::string platform = platformNames[static_cast<int>(c.platform)];
    std::vector<std::string> arguments = {"in.raw", "-o" + out, "-p" + platform};
    OtaConversionRequest request = baseRequest(c.platform);
    if (c.sign) {
      arguments.push_back("-screds.txt");
      request.seal = OtaSeal::signature;
      request.credentials = &credentials;
    }
    if (c.fields) {
      for (const char* a : {"--header-string", "conversion core", "--min-hw-version", "0102",
                            "--max-hw-version", "0304"}) {
        arguments.push_back(a);
      }
      const std::string text = "conversion core";
      std::copy(text.begin(), text.end(), request.header.headerString.begin());
      request.header.fieldControl = kOtaFieldHardwareVersions;
      request.header.minimumHardwareVersion = 0x0102;
      request.header.maximumHardwareVersion = 0x0304;
    }
    if (c.noImage) {
      for (const char* a : {"-n", "-m100B", "-t0042", "-v00000001"}) arguments.push_back(a);
      request.noImage = true;
      request.identifiers = {0x100B, 0x0042, 1, true, true, true};
    }
    const std::string outDir = dir.file(out);
    ASSERT_EQ(test::runProcess("/bin/mkdir", {outDir}, dir.path()).exitCode, 0);
    const test::ProcessResult run = test::runOtawrap(dir, arguments);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    MemorySource source(raw.data(), raw.size());
    const Converted ours = convert(request, c.noImage ? nullptr : &source);
    ASSERT_TRUE(ours.result.ok());
    const OtaFileInfo info = otaFileRead(ours.file.data(), ours.file.size());
    const std::string path = outDir + '/';
    EXPECT_EQ(ours.file, test::readFileBytes(path + outputName(info.header))) << "seed " << c.seed;
  }
}

TEST(OtaConvert, ExtraSubElementsComeAfterTheImageAndBeforeTheSeal) {
  test::RawGeneratorOptions options;
  options.seed = 9;
  const Bytes raw = test::rawFileBytes(test::generateRawFile(options));
  const Bytes first = {1, 2, 3, 4, 5};
  const SignerCredentials credentials = credentialsFor(9);
  for (const OtaSeal seal : {OtaSeal::none, OtaSeal::signature, OtaSeal::integrityCode}) {
    OtaConversionRequest request = baseRequest(Platform::quillDev);
    request.extraPayloads = {{0x0004, first.data(), first.size()}, {0xFFFF, nullptr, 0}};
    request.seal = seal;
    request.credentials = &credentials;
    MemorySource source(raw.data(), raw.size());
    const Converted out = convert(request, &source);
    ASSERT_TRUE(out.result.ok());
    const OtaFileInfo info = otaFileRead(out.file.data(), out.file.size());
    EXPECT_TRUE(otaFileChecksPass(info));
    std::vector<std::uint16_t> tags;
    for (const OtaSubElement& e : info.subElements) tags.push_back(e.tag);
    std::vector<std::uint16_t> expected = {0x0000, 0x0004, 0xFFFF};
    if (seal == OtaSeal::signature) expected.insert(expected.end(), {0x0002, 0x0001});
    if (seal == OtaSeal::integrityCode) expected.push_back(0x0003);
    EXPECT_EQ(tags, expected);
    const OtaSubElement& picture = info.subElements[1];
    EXPECT_EQ(Bytes(out.file.begin() + static_cast<long>(picture.offset + 6),
                    out.file.begin() + static_cast<long>(picture.offset + 6 + picture.length)),
              first);
    EXPECT_EQ(otaIntegrityCodeCheck(out.file.data(), info.fileSize, info).status,
              seal == OtaSeal::integrityCode ? IntegrityCodeStatus::passed
                                             : IntegrityCodeStatus::absent);
    if (seal == OtaSeal::signature) {
      AffinePoint key;
      ASSERT_EQ(ecdsaPublicKey(credentials.privateKey.data(), key), EcdsaStatus::ok);
      EXPECT_EQ(otaSignatureCheck(out.file.data(), info, key), SignatureCheckStatus::passed);
    }
  }
}

TEST(OtaConvert, RefusalsNameTheirCause) {
  test::RawGeneratorOptions options;
  options.seed = 10;
  const Bytes raw = test::rawFileBytes(test::generateRawFile(options));
  const Bytes data(100, 0xAA);
  struct Case {
    const char* name;
    std::vector<OtaPayload> extras;
    OtaSeal seal;
    std::size_t capacity;
    ImageStatus image;
    OtaBuildStatus build;
    std::size_t index;
  } const cases[] = {
      {"integrity tag", {{0xF000, data.data(), 1}, {0x0003, data.data(), 16}}, OtaSeal::none,
       kCapacity, ImageStatus::ok, OtaBuildStatus::reservedTag, 1},
      {"suite 2", {{0x0006, data.data(), 4}}, OtaSeal::none, kCapacity, ImageStatus::ok,
       OtaBuildStatus::reservedTag, 0},
      {"no credentials", {}, OtaSeal::signature, kCapacity, ImageStatus::ok,
       OtaBuildStatus::missingCredentials, 0},
      {"extras beyond the buffer", {{0xF000, data.data(), 100}}, OtaSeal::none, 150,
       ImageStatus::ok, OtaBuildStatus::fileTooLarge, 0},
      {"no room left for the image", {{0xF000, data.data(), 100}}, OtaSeal::integrityCode, 300,
       ImageStatus::imageTooLarge, OtaBuildStatus::ok, 0},
  };
  for (const Case& c : cases) {
    OtaConversionRequest request = baseRequest(Platform::quillDev);
    request.extraPayloads = c.extras;
    request.seal = c.seal;
    MemorySource source(raw.data(), raw.size());
    const Converted out = convert(request, &source, c.capacity);
    EXPECT_EQ(out.result.image, c.image) << c.name;
    EXPECT_EQ(out.result.build.status, c.build) << c.name;
    EXPECT_EQ(out.result.build.payloadIndex, c.index) << c.name;
    EXPECT_TRUE(out.file.empty()) << c.name;
  }
}

}  // namespace
}  // namespace otawrap
