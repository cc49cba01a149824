// Reader-side checks: which upgrade images carry the image preamble, the
// integrity code in each of its states, a vendor header before the
// identifier, and index entries with a SHA-512 from OpenSSL.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "ota/builder.h"
#include "ota/ota_file_builder.h"
#include "ota/element_checks.h"
#include "ota/file_entries.h"
#include "ota/wrapping.h"
#include "ota/reader.h"
#include "support/openssl_hash.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::Bytes;
using test::builtImage;
using test::builtOtaFile;

std::string lowerHexSha512(const Bytes& data) {
  const Bytes digest = test::opensslSha512(data.data(), data.size());
  std::string hex = test::bytesToHex(digest.data(), digest.size());
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return hex;
}

TEST(OtaImageCarriesPreamble, EitherTheLengthOrTheIdentifiersDecide) {
  struct Case {
    const char* name;
    Bytes image;
    bool carried;
  } const cases[] = {
      {"our image", builtImage(0x200, 0x88), true},
      {"shortest image", builtImage(0x98, 0), true},
      {"wrong manufacturer, length stamped", builtImage(0x200, 0x88, [](Bytes& b) { b[0x90] ^= 1; }),
       true},
      {"wrong version, length stamped", builtImage(0x200, 0x88, [](Bytes& b) { b[0x97] ^= 1; }),
       true},
      {"length off by one, identifiers stamped",
       builtImage(0x200, 0x88, [](Bytes& b) { b[0x8C] ^= 1; }), true},
      {"length and image type both off", builtImage(0x200, 0x88, [](Bytes& b) {
         b[0x8C] ^= 1;
         b[0x92] ^= 1;
       }),
       false},
      {"length in the top byte, identifiers off", builtImage(0x200, 0x88, [](Bytes& b) {
         b[0x8F] = 1;
         b[0x94] ^= 1;
       }),
       false},
      {"length field only, image cut inside the preamble", builtImage(0x94, 0), true},
      {"shorter than the length field", builtImage(0x8F, 0), false},
      {"foreign payload", Bytes(0x400, 0xEA), false},
      {"empty", Bytes(), false},
  };
  for (const Case& c : cases) {
    const Bytes file = builtOtaFile({{0x0000, c.image}});
    const OtaFileInfo info = otaFileRead(file.data(), file.size());
    ASSERT_EQ(info.subElements.size(), 1u) << c.name;
    const OtaSubElement& e = info.subElements[0];
    EXPECT_EQ(otaImageCarriesPreamble(file.data() + e.offset + 6, e.length, info.header), c.carried)
        << c.name;
  }
}

TEST(OtaIntegrityCodeCheck, EveryState) {
  const Bytes payload(300, 0x42);
  // A correct file from the builder, then variants.
  OtaBuildRequest request;
  otaHeaderDefaults(request.header);
  request.payloads = {{0xF000, payload.data(), payload.size()}};
  request.seal = OtaSeal::integrityCode;
  Bytes good;
  ASSERT_EQ(otaBuildFile(request, good).status, OtaBuildStatus::ok);
  const std::size_t codeAt = good.size() - 16;
  Bytes flippedPayload = good;
  flippedPayload[100] ^= 0x01;
  Bytes flippedHeader = good;
  flippedHeader[20] ^= 0x80;  // header string
  Bytes flippedCode = good;
  flippedCode[codeAt + 15] ^= 0x01;
  struct Case {
    const char* name;
    Bytes file;
    IntegrityCodeStatus status;
  } const cases[] = {
      {"good", good, IntegrityCodeStatus::passed},
      {"payload changed", flippedPayload, IntegrityCodeStatus::mismatch},
      {"header changed", flippedHeader, IntegrityCodeStatus::mismatch},
      {"code changed", flippedCode, IntegrityCodeStatus::mismatch},
      {"absent", builtOtaFile({{0xF000, payload}}), IntegrityCodeStatus::absent},
      {"not last, checked over the bytes before it",
       builtOtaFile({{0x0003, Bytes(16)}, {0xF000, payload}}), IntegrityCodeStatus::mismatch},
      {"15 bytes", builtOtaFile({{0xF000, payload}, {0x0003, Bytes(15)}}),
       IntegrityCodeStatus::badLength},
  };
  for (const Case& c : cases) {
    const OtaFileInfo info = otaFileRead(c.file.data(), c.file.size());
    const IntegrityCodeCheck check = otaIntegrityCodeCheck(c.file.data(), info.fileSize, info);
    EXPECT_EQ(check.status, c.status) << c.name;
    EXPECT_EQ(check.last, c.status != IntegrityCodeStatus::absent &&
                              std::string(c.name).rfind("not last", 0) != 0)
        << c.name;
    if (check.last &&
        (c.status == IntegrityCodeStatus::passed || c.status == IntegrityCodeStatus::mismatch)) {
      const std::size_t at = c.file.size() - 16;
      EXPECT_EQ(Bytes(check.computed.begin(), check.computed.end()),
                test::opensslMmoHash(c.file.data(), at - 6))
          << c.name;
      EXPECT_EQ(Bytes(check.stored.begin(), check.stored.end()),
                Bytes(c.file.begin() + static_cast<long>(at), c.file.end()))
          << c.name;
    }
  }
}

TEST(OtaFindFileStart, FindsTheFirstIdentifierBehindAVendorHeader) {
  const Bytes ota = builtOtaFile({{0xF000, Bytes(40, 0x1E)}});
  struct Case {
    const char* name;
    Bytes prefix;
    bool found;
    std::size_t length;
  } const cases[] = {
      {"plain file", {}, true, 0},
      {"vendor header", Bytes(0x3C, 0xAB), true, 0x3C},
      {"near miss first", {0x1E, 0xF1, 0xEE, 0x0C, 0x1E, 0xF1}, true, 6},
  };
  for (const Case& c : cases) {
    Bytes data = c.prefix;
    data.insert(data.end(), ota.begin(), ota.end());
    std::size_t length = 999;
    EXPECT_EQ(otaFindFileStart(data.data(), data.size(), length), c.found) << c.name;
    EXPECT_EQ(length, c.length) << c.name;
  }
  const Bytes none = {0x1E, 0xF1, 0xEE, 0x0A, 0x0B, 0xEE, 0xF1, 0x1E};
  std::size_t length = 0;
  EXPECT_FALSE(otaFindFileStart(none.data(), none.size(), length));
  EXPECT_FALSE(otaFindFileStart(none.data(), 3, length));
  EXPECT_FALSE(otaFindFileStart(nullptr, 0, length));
}

TEST(OtaIndexEntry, FieldsOfTheHeaderAndTheWholeFile) {
  test::BuiltHeaderFields fields;
  fields.fieldControl = kOtaFieldHardwareVersions;
  const std::string text = "Vendor fw 1.2";
  std::copy(text.begin(), text.end(), fields.headerString.begin());
  const Bytes plain = builtOtaFile({{0x0000, builtImage(0x200, 0x88)}});
  Bytes withFields = Bytes(16, 0x99);  // vendor header
  const Bytes inner = builtOtaFile({{0xF000, Bytes(10, 1)}}, fields);
  withFields.insert(withFields.end(), inner.begin(), inner.end());

  const OtaFileInfo plainInfo = otaFileRead(plain.data(), plain.size());
  const OtaIndexEntry a = otaIndexEntry(plain.data(), plain.size(), plainInfo, "a.zigbee",
                                        "https://example.org/a.zigbee");
  EXPECT_EQ(a.fileName, "a.zigbee");
  EXPECT_EQ(a.url, "https://example.org/a.zigbee");
  EXPECT_EQ(a.fileSize, plain.size());
  EXPECT_EQ(a.fileVersion, test::kBuiltFileVersion);
  EXPECT_EQ(a.manufacturerCode, test::kBuiltManufacturer);
  EXPECT_EQ(a.imageType, test::kBuiltImageType);
  EXPECT_EQ(a.sha512, lowerHexSha512(plain));
  EXPECT_FALSE(a.headerStringPresent);
  EXPECT_FALSE(a.hardwareVersionsPresent);

  const OtaFileInfo innerInfo = otaFileRead(withFields.data() + 16, withFields.size() - 16);
  const OtaIndexEntry b =
      otaIndexEntry(withFields.data(), withFields.size(), innerInfo, "b.ota", "dir/b.ota");
  EXPECT_EQ(b.fileSize, withFields.size());
  EXPECT_EQ(b.sha512, lowerHexSha512(withFields));
  EXPECT_TRUE(b.headerStringPresent);
  EXPECT_EQ(b.otaHeaderString, text);
  EXPECT_TRUE(b.hardwareVersionsPresent);
  EXPECT_EQ(b.hardwareVersionMin, fields.minimumHardwareVersion);
  EXPECT_EQ(b.hardwareVersionMax, fields.maximumHardwareVersion);
}

TEST(OtaReader, ExemptsOnlyUnforcedFilesWithAForeignImage) {
  const Bytes ours = builtOtaFile({{0x0000, builtImage(0x200, 0x88)}});
  const Bytes foreign = builtOtaFile({{0x0000, Bytes(0x300, 0x5C)}, {0xF000, Bytes(4)}});
  const Bytes noImage = builtOtaFile({{0xF000, Bytes(4)}});
  struct Case {
    const char* name;
    const Bytes& file;
    bool forced;
    bool exempt;
  } const cases[] = {
      {"ours", ours, false, false},
      {"foreign", foreign, false, true},
      {"foreign, forced", foreign, true, false},
      {"no image", noImage, false, false},
  };
  for (const Case& c : cases) {
    OtaReadOptions options;
    options.platformGiven = c.forced;
    const OtaFileInfo info = otaFileRead(c.file.data(), c.file.size(), options);
    for (const OtaCheckId id : {OtaCheckId::imagePreamble, OtaCheckId::imageCrc}) {
      EXPECT_EQ(info.check(id).reason == OtaReason::foreignPayload, c.exempt) << c.name;
    }
    EXPECT_EQ(otaFileChecksPass(info), c.name != std::string("foreign, forced")) << c.name;
  }
}

TEST(OtaSubElements, FindingNamingAndTheSuite2Layout) {
  const Bytes file = builtOtaFile({{0x0000, Bytes(3)}, {0xF00D, Bytes(2)}, {0xF00D, Bytes(1)}});
  const OtaFileInfo info = otaFileRead(file.data(), file.size());
  ASSERT_TRUE(otaFindSubElement(file.data(), info, 0xF00D));
  EXPECT_EQ(otaFindSubElement(file.data(), info, 0xF00D)->length, 2u);
  EXPECT_FALSE(otaFindSubElement(file.data(), info, 0x0004));
  // Past the listed part of the chain: the 1,001st sub-element.
  std::vector<test::BuiltSubElement> many(kOtaListedSubElementLimit, {0xF000, Bytes()});
  many.push_back({0x0004, Bytes(5, 7)});
  const Bytes longChain = builtOtaFile(many);
  const OtaFileInfo longInfo = otaFileRead(longChain.data(), longChain.size());
  const auto found = otaFindSubElement(longChain.data(), longInfo, 0x0004);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->length, 5u);
  EXPECT_EQ(longChain[found->offset + kOtaSubElementHeadSize], 7);
  EXPECT_EQ(otaSubElementFileName(0, 0x0000), "00-0000.bin");
  EXPECT_EQ(otaSubElementFileName(3, 0xF00D), "03-F00D.bin");
  EXPECT_EQ(otaSubElementFileName(123, 0x0004), "123-0004.bin");

  struct Case {
    const char* name;
    std::vector<test::BuiltSubElement> elements;
    Suite2Layout layout;
  } const cases[] = {
      {"absent", {{0x0000, Bytes(3)}}, Suite2Layout::absent},
      {"well formed", {{0x0000, Bytes(3)}, {0x0006, Bytes(74)}, {0x0005, Bytes(80)}},
       Suite2Layout::wellFormed},
      {"not last", {{0x0006, Bytes(74)}, {0x0005, Bytes(80)}, {0x0000, Bytes(3)}},
       Suite2Layout::malformed},
      {"short signature", {{0x0006, Bytes(74)}, {0x0005, Bytes(79)}}, Suite2Layout::malformed},
      {"suite 1 certificate", {{0x0002, Bytes(74)}, {0x0005, Bytes(80)}},
       Suite2Layout::withoutCertificate},
      {"signature alone", {{0x0000, Bytes(3)}, {0x0005, Bytes(80)}},
       Suite2Layout::withoutCertificate},
      {"then an integrity code", {{0x0006, Bytes(74)}, {0x0005, Bytes(80)}, {0x0003, Bytes(16)}},
       Suite2Layout::integrityCodeLast},
      {"certificate alone", {{0x0006, Bytes(74)}}, Suite2Layout::malformed},
  };
  for (const Case& c : cases) {
    const Bytes f = builtOtaFile(c.elements);
    EXPECT_EQ(otaSuite2SignatureLayout(otaFileRead(f.data(), f.size())), c.layout) << c.name;
  }
}

}  // namespace
}  // namespace otawrap
