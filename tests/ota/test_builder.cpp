// The builder against the tests' own byte-by-byte OTA file builder: any
// payloads with any header fields; the integrity code against an AES-MMO on
// OpenSSL; signed files verify; refused tags and sizes fail before any byte
// is written.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <vector>

#include "ota/builder.h"
#include "ota/ota_file_builder.h"
#include "ota/element_checks.h"
#include "ota/reader.h"
#include "ota/signature_check.h"
#include "sign/ecdsa_verify.h"
#include "support/openssl_hash.h"
#include "support/sample_credentials.h"

namespace otawrap {
namespace {

using test::Bytes;

// The payloads point into elements, which must outlive the request.
OtaBuildRequest requestFor(const std::vector<test::BuiltSubElement>& elements,
                           const test::BuiltHeaderFields& fields) {
  OtaBuildRequest request;
  otaHeaderDefaults(request.header);
  request.header.manufacturerCode = test::kBuiltManufacturer;
  request.header.imageType = test::kBuiltImageType;
  request.header.fileVersion = test::kBuiltFileVersion;
  request.header.fieldControl = fields.fieldControl;
  request.header.securityCredentialVersion = fields.securityCredentialVersion;
  std::copy(fields.destination.begin(), fields.destination.end(),
            request.header.upgradeFileDestination.begin());
  request.header.minimumHardwareVersion = fields.minimumHardwareVersion;
  request.header.maximumHardwareVersion = fields.maximumHardwareVersion;
  std::copy(fields.headerString.begin(), fields.headerString.end(),
            request.header.headerString.begin());
  for (const test::BuiltSubElement& e : elements) {
    request.payloads.push_back({e.tag, e.data.data(), e.data.size()});
  }
  return request;
}

TEST(OtaBuildFile, AnyPayloadsAndHeaderFieldsAsTheReferenceBuilderWritesThem) {
  std::mt19937 rng(11u);  // fixed seed
  for (int round = 0; round < 40; ++round) {
    std::vector<test::BuiltSubElement> elements;
    const int count = static_cast<int>(rng() % 5);
    for (int i = 0; i < count; ++i) {
      const std::uint16_t tags[] = {0x0000, 0x0004, 0x0007, 0x1234, 0xF000, 0xFFFF};
      Bytes data(rng() % 300);
      for (auto& b : data) b = static_cast<std::uint8_t>(rng());
      elements.push_back({tags[rng() % 6], data});
    }
    test::BuiltHeaderFields fields;
    fields.fieldControl = static_cast<std::uint16_t>(rng() % 8);
    fields.headerString[0] = 'x';
    const Bytes expected = test::builtOtaFile(elements, fields);
    Bytes built;
    const OtaBuildResult result = otaBuildFile(requestFor(elements, fields), built);
    ASSERT_EQ(result.status, OtaBuildStatus::ok);
    ASSERT_EQ(built, expected) << "round " << round;
  }
}

TEST(OtaBuildFile, IntegrityCodeIsTheHashOfEverythingBeforeIt) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{9}, std::size_t{70000}}) {
    Bytes payload(size);
    for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 31 + 7);
    const std::vector<test::BuiltSubElement> elements = {{0xF001, payload}, {0x0000, Bytes(5, 1)}};
    OtaBuildRequest request = requestFor(elements, {});
    request.seal = OtaSeal::integrityCode;
    Bytes built;
    ASSERT_EQ(otaBuildFile(request, built).status, OtaBuildStatus::ok);
    const std::size_t codeAt = built.size() - kOtaIntegrityCodeSubElementSize;
    const Bytes head = {0x03, 0x00, 16, 0, 0, 0};
    EXPECT_EQ(Bytes(built.begin() + static_cast<long>(codeAt),
                    built.begin() + static_cast<long>(codeAt + 6)), head);
    EXPECT_EQ(Bytes(built.begin() + static_cast<long>(codeAt + 6), built.end()),
              test::opensslMmoHash(built.data(), codeAt));
    const OtaFileInfo info = otaFileRead(built.data(), built.size());
    EXPECT_EQ(info.header.totalImageSize, built.size());
    EXPECT_EQ(info.check(OtaCheckId::subElementChain).state, OtaCheckState::passed);
    EXPECT_EQ(otaIntegrityCodeCheck(built.data(), info.fileSize, info).status, IntegrityCodeStatus::passed);
  }
}

TEST(OtaBuildFile, SignedFilesVerify) {
  const std::string text = test::generateCredentials(3).text();
  SignerCredentials credentials;
  ASSERT_EQ(parseSignerCredentials(text.data(), text.size(), credentials), CredentialsStatus::ok);
  const std::vector<test::BuiltSubElement> elements = {{0xF100, Bytes(1000, 0x5A)}};
  OtaBuildRequest request = requestFor(elements, {});
  request.seal = OtaSeal::signature;
  request.credentials = &credentials;
  Bytes built;
  ASSERT_EQ(otaBuildFile(request, built).status, OtaBuildStatus::ok);
  const OtaFileInfo info = otaFileRead(built.data(), built.size());
  EXPECT_EQ(info.check(OtaCheckId::signatureLayout).state, OtaCheckState::passed);
  AffinePoint key;
  ASSERT_EQ(ecdsaPublicKey(credentials.privateKey.data(), key), EcdsaStatus::ok);
  EXPECT_EQ(otaSignatureCheck(built.data(), info, key), SignatureCheckStatus::passed);
}

TEST(OtaBuildFile, RefusalsComeBeforeAnyByteIsWritten) {
  const std::size_t most = kOtaFileSizeLimit;
  const std::size_t room = most - kOtaHeaderBaseLength - kOtaSubElementHeadSize;
  const std::size_t huge = std::numeric_limits<std::size_t>::max();
  const std::uint8_t byte = 0;
  struct Case {
    const char* name;
    std::vector<OtaPayload> payloads;
    OtaSeal seal;
    OtaBuildStatus status;
    std::size_t index;
  } const cases[] = {
      {"signature tag", {{0x0000, &byte, 1}, {0x0001, &byte, 1}}, OtaSeal::none,
       OtaBuildStatus::reservedTag, 1},
      {"certificate tag", {{0x0002, &byte, 1}}, OtaSeal::none, OtaBuildStatus::reservedTag, 0},
      {"integrity tag", {{0x0003, &byte, 1}}, OtaSeal::none, OtaBuildStatus::reservedTag, 0},
      {"suite 2 signature", {{0xF000, &byte, 1}, {0x0004, &byte, 1}, {0x0005, &byte, 1}},
       OtaSeal::none, OtaBuildStatus::reservedTag, 2},
      {"suite 2 certificate", {{0x0006, &byte, 1}}, OtaSeal::none,
       OtaBuildStatus::reservedTag, 0},
      {"no credentials", {}, OtaSeal::signature, OtaBuildStatus::missingCredentials, 0},
      // The sizes are refused before the data (not there) is read.
      {"one byte too many", {{0xF000, nullptr, room + 1}}, OtaSeal::none,
       OtaBuildStatus::fileTooLarge, 0},
      {"no room for the seal", {{0xF000, nullptr, room - 21}}, OtaSeal::integrityCode,
       OtaBuildStatus::fileTooLarge, 0},
      {"sizes that would wrap", {{0xF000, nullptr, huge}, {0xF000, nullptr, huge}}, OtaSeal::none,
       OtaBuildStatus::fileTooLarge, 0},
      {"sum beyond the limit", {{0xF000, nullptr, room / 2}, {0xF000, nullptr, room / 2}},
       OtaSeal::none, OtaBuildStatus::fileTooLarge, 0},
  };
  for (const Case& c : cases) {
    OtaBuildRequest request;
    otaHeaderDefaults(request.header);
    request.payloads = c.payloads;
    request.seal = c.seal;
    Bytes built = {1, 2, 3};
    const OtaBuildResult result = otaBuildFile(request, built);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.payloadIndex, c.index) << c.name;
    EXPECT_TRUE(built.empty()) << c.name;
  }
}

TEST(OtaBuildFile, ExactlyTheLargestFileIsAccepted) {
  const Bytes payload(kOtaFileSizeLimit - kOtaHeaderBaseLength - kOtaSubElementHeadSize, 0xEE);
  OtaBuildRequest request;
  otaHeaderDefaults(request.header);
  request.payloads = {{0xF000, payload.data(), payload.size()}};
  Bytes built;
  ASSERT_EQ(otaBuildFile(request, built).status, OtaBuildStatus::ok);
  EXPECT_EQ(built.size(), kOtaFileSizeLimit);
  EXPECT_EQ(otaFileRead(built.data(), built.size()).header.totalImageSize, kOtaFileSizeLimit);
}

}  // namespace
}  // namespace otawrap
