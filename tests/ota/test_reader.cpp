// The OTA file reader on crafted files (every check, passing and failing),
// on every truncation of real layouts and on random corruptions, each run on a
// buffer of exactly the file's size so a sanitizer build catches any read
// outside it.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "ota/ota_file_builder.h"
#include "ota/reader.h"
#include "report/check_texts.h"
#include "support/openssl_hash.h"

namespace otawrap {
namespace {

using test::Bytes;
using test::BuiltHeaderFields;
using test::BuiltSubElement;
using test::builtCertificate;
using test::builtImage;
using test::builtOtaFile;
using test::builtSignature;
using test::putLe;

// Reads a copy of bytes held in an allocation of exactly their size.
OtaFileInfo readExact(const Bytes& bytes) {
  if (bytes.empty()) return otaFileRead(nullptr, 0);
  const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return otaFileRead(copy.get(), bytes.size());
}

// One letter per check in OtaCheckId order: P passed, F failed, N not
// applicable, R not run.
// The container and trailer checks are left out while they are not run (a
// plain file).
std::string states(const OtaFileInfo& info) {
  std::string text;
  for (std::size_t i = 0; i < kOtaCheckCount; ++i) {
    const OtaCheck& c = info.checks[i];
    const auto id = static_cast<OtaCheckId>(i);
    if ((id == OtaCheckId::container || id == OtaCheckId::trailer) &&
        c.state == OtaCheckState::notRun) {
      continue;
    }
    text += c.state == OtaCheckState::passed   ? 'P'
            : c.state == OtaCheckState::failed ? 'F'
            : c.state == OtaCheckState::notRun ? 'R'
                                               : 'N';
  }
  return text;
}

// The first failed check's reason, or "".
std::string firstFailure(const OtaFileInfo& info) {
  for (const OtaCheck& c : info.checks) {
    if (c.state == OtaCheckState::failed) return otaReasonText(c.reason);
  }
  return "";
}

Bytes imageFile(std::size_t length = 0x200, std::size_t crcOffset = 0x88) {
  return builtOtaFile({{0x0000, builtImage(length, crcOffset)}});
}

Bytes signedImageFile() {
  return builtOtaFile(
      {{0x0000, builtImage(0x200, 0x88)}, builtCertificate(), builtSignature()});
}

void setTotalSize(Bytes& file) { putLe(file, 52, file.size(), 4); }

TEST(OtaReader, CraftedFiles) {
  BuiltHeaderFields allFields;
  allFields.fieldControl = 7;
  struct Case {
    const char* name;
    Bytes file;
    const char* states;   // checks 0..10
    const char* failure;  // reason of the first failed check
  } cases[] = {
      {"image, CRC at 0x88", imageFile(), "PPPPPPNRNNR", ""},
      {"image, CRC at 0", imageFile(0x1FE, 0), "PPPPPPNRNNR", ""},
      {"header only", builtOtaFile({}), "PPPPNNNRNNR", ""},
      {"signed image", signedImageFile(), "PPPPPPPRNNR", ""},
      {"signed header only", builtOtaFile({builtCertificate(), builtSignature()}), "PPPPNNPRNNR",
       ""},
      {"all optional fields", builtOtaFile({{0x0000, builtImage(0x200, 0x88)}}, allFields),
       "PPPPPPNRNNR", ""},
      {"unknown tag", builtOtaFile({{0x0000, builtImage(0x200, 0)}, {0x0100, Bytes(5, 1)}}),
       "PPPPPPNRNNR", ""},
      {"empty sub-element", builtOtaFile({{0x1234, {}}}), "PPPPNNNRNNR", ""},
      {"empty file", {}, "FFFFNNNRNNR", "file shorter than the identifier"},
      {"three bytes", {0x1E, 0xF1, 0xEE}, "FFFFNNNRNNR", "file shorter than the identifier"},
      {"55 bytes",
       [] {
         Bytes f = builtOtaFile({});
         f.pop_back();
         return f;
       }(),
       "PFFFNNNRNNR",
       "file shorter than the 56-byte header"},
      {"wrong identifier",
       [] {
         Bytes f = imageFile();
         f[3] = 0x0C;
         return f;
       }(),
       "FPPPPPNRNNR", "not the OTA file identifier"},
      {"field-control bit without its field",
       [] {
         Bytes f = imageFile();
         f[8] = 1;
         return f;
       }(),
       "PFPPPPNRNNR", "header length does not match the field-control bits"},
      {"header longer than the file",
       [] {
         Bytes f = builtOtaFile({});
         f[6] = 69;
         f[8] = 7;
         return f;
       }(),
       "PFPFNNNRNNR", "header runs past the end of the file"},
      {"total size one too large",
       [] {
         Bytes f = imageFile();
         f[52] += 1;
         return f;
       }(),
       "PPFPPPNRNNR", "total image size differs from the file size"},
      {"sub-element head cut short",
       [] {
         Bytes f = imageFile();
         f.insert(f.end(), {0, 0, 0});
         setTotalSize(f);
         return f;
       }(),
       "PPPFPPNRNNR", "sub-element head cut short by the end of the file"},
      {"image runs past the end",
       [] {
         Bytes f = imageFile();
         f[58] += 1;
         return f;
       }(),
       "PPPFNNNRNNR", "sub-element runs past the end of the file"},
      {"last byte missing",
       [] {
         Bytes f = imageFile();
         f.pop_back();
         return f;
       }(),
       "PPFFNNNRNNR", "total image size differs from the file size"},
      {"image shorter than its preamble", builtOtaFile({{0x0000, builtImage(0x94, 0x88)}}),
       "PPPPFPNRNNR", "upgrade image shorter than its preamble"},
      {"image shorter than the preamble's length field is foreign",
       builtOtaFile({{0x0000, builtImage(0x8B, 0)}}), "PPPPNNNRNNR", ""},
      {"preamble length differs",
       builtOtaFile({{0x0000, builtImage(0x200, 0x88, [](Bytes& i) { i[0x8C] += 4; })}}),
       "PPPPFPNRNNR", "preamble length differs from the sub-element length"},
      {"preamble manufacturer differs",
       builtOtaFile({{0x0000, builtImage(0x200, 0x88, [](Bytes& i) { i[0x90] ^= 1; })}}),
       "PPPPFPNRNNR", "preamble manufacturer code differs from the header"},
      {"preamble image type differs",
       builtOtaFile({{0x0000, builtImage(0x200, 0x88, [](Bytes& i) { i[0x93] ^= 0x80; })}}),
       "PPPPFPNRNNR", "preamble image type differs from the header"},
      {"preamble file version differs",
       builtOtaFile({{0x0000, builtImage(0x200, 0, [](Bytes& i) { i[0x97] ^= 0x10; })}}),
       "PPPPFPNRNNR", "preamble file version differs from the header"},
      {"image byte flipped after the CRC",
       [] {
         Bytes f = imageFile();
         f[56 + 6 + 0x1FF] ^= 0x20;
         return f;
       }(),
       "PPPPPFNRNNR", "image CRC matches at neither offset 0x88 nor 0"},
      {"CRC at 0x88 with its high byte flipped",
       [] {
         Bytes f = imageFile();
         f[56 + 6 + 0x89] ^= 1;
         return f;
       }(),
       "PPPPPFNRNNR", "image CRC matches at neither offset 0x88 nor 0"},
      {"bytes behind the CRC are not covered",
       [] {
         Bytes f = imageFile();
         f[56 + 6 + 0x8A] = 0;
         return f;
       }(),
       "PPPPPPNRNNR", ""},
      {"signature not last",
       builtOtaFile({{0x0000, builtImage(0x200, 0x88)}, builtCertificate(), builtSignature(),
                     {0x0100, Bytes(4)}}),
       "PPPPPPFRNNR", "signature is not the last sub-element"},
      {"signature without certificate",
       builtOtaFile({{0x0000, builtImage(0x200, 0x88)}, builtSignature()}), "PPPPPPFRNNR",
       "no certificate right before the signature"},
      {"element between certificate and signature",
       builtOtaFile({builtCertificate(), {0x0100, Bytes(4)}, builtSignature()}), "PPPPNNFRNNR",
       "no certificate right before the signature"},
      {"certificate without signature", builtOtaFile({builtCertificate()}), "PPPPNNFRNNR",
       "certificate without a signature"},
      {"signature of 49 bytes", builtOtaFile({builtCertificate(), builtSignature(49)}),
       "PPPPNNFRNNR", "signature length is not 50"},
      {"certificate of 47 bytes", builtOtaFile({builtCertificate(47), builtSignature()}),
       "PPPPNNFRNNR", "certificate length is not 48"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OtaFileInfo info = readExact(c.file);
    EXPECT_EQ(states(info), c.states);
    EXPECT_EQ(firstFailure(info), c.failure);
    EXPECT_EQ(otaFileChecksPass(info), std::string(c.failure).empty());
    EXPECT_EQ(info.fileSize, c.file.size());
    // The listed sub-elements are those of the independent walk.
    if (info.headerComplete && info.header.headerLength >= 56 &&
        info.header.headerLength <= c.file.size()) {
      const auto reference = test::referenceWalk(c.file, info.header.headerLength);
      ASSERT_EQ(info.subElements.size(), reference.first.size());
      for (std::size_t i = 0; i < reference.first.size(); ++i) {
        EXPECT_EQ(info.subElements[i].tag, reference.first[i].tag);
        EXPECT_EQ(info.subElements[i].offset, reference.first[i].offset);
        EXPECT_EQ(info.subElements[i].length, reference.first[i].length);
      }
    }
  }
}

// The file of the elements followed by an integrity code over every byte
// before its head, computed by the OpenSSL-based AES-MMO.
Bytes withIntegrityCode(std::vector<BuiltSubElement> elements) {
  elements.push_back({0x0003, Bytes(16)});
  Bytes file = builtOtaFile(elements);
  const Bytes code = test::opensslMmoHash(file.data(), file.size() - 22);
  std::copy(code.begin(), code.end(), file.end() - 16);
  return file;
}

OtaReadOptions forced(Platform platform) {
  OtaReadOptions options;
  options.platformGiven = true;
  options.platform = platform;
  return options;
}

TEST(OtaReader, EveryKindOfOtaFile) {
  // A bootloader-like blob: no preamble, whatever its size.
  Bytes blob(0x1000);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 13 + i / 256);
  const BuiltSubElement foreign{0x0000, blob};
  const BuiltSubElement ours{0x0000, builtImage(0x200, 0x88)};
  const BuiltSubElement oursAt0{0x0000, builtImage(0x1FE, 0)};
  const BuiltSubElement vendor{0xF000, Bytes(9, 0xF0)};
  Bytes tampered = withIntegrityCode({foreign, vendor});
  tampered[100] ^= 0x04;
  struct Case {
    const char* name;
    Bytes file;
    OtaReadOptions options;
    const char* states;
    const char* failure;
  } const cases[] = {
      {"bootloader blob and manufacturer tags", builtOtaFile({foreign, vendor, {0xFFFF, {}}}), {},
       "PPPPNNNRNNR", ""},
      {"plain binary, no tags", builtOtaFile({{0x0000, Bytes(3, 0x11)}}), {}, "PPPPNNNRNNR", ""},
      {"picture data and an unknown tag", builtOtaFile({foreign, {0x0004, Bytes(5)}, {0x0777, {}}}),
       {}, "PPPPNNNRNNR", ""},
      {"blob, QUILLDEV forced", builtOtaFile({foreign}), forced(Platform::quillDev), "PPPPFFNRNNR",
       "preamble length differs from the sub-element length"},
      {"ours, FENBOARD forced", builtOtaFile({oursAt0}), forced(Platform::fenBoard), "PPPPPPNRNNR",
       ""},
      {"CRC at 0x88, MARSHDEV forced", builtOtaFile({ours}), forced(Platform::marshDev),
       "PPPPPFNRNNR", "image CRC at offset 0 does not match"},
      {"CRC at 0, QUILLDEV forced", builtOtaFile({oursAt0}), forced(Platform::quillDev),
       "PPPPPFNRNNR", "image CRC at offset 0x88 does not match"},
      {"integrity code", withIntegrityCode({foreign, vendor}), {}, "PPPPNNNRPNR", ""},
      {"integrity code over our image", withIntegrityCode({ours}), {}, "PPPPPPNRPNR", ""},
      {"integrity code, payload tampered", tampered, {}, "PPPPNNNRFNR",
       "integrity code differs from the AES-MMO hash of the file"},
      // A code is checked over the bytes before it wherever it lies.
      {"integrity code not last", builtOtaFile({foreign, {0x0003, Bytes(16)}, vendor}), {},
       "PPPPNNNRFNR", "integrity code differs from the AES-MMO hash of the file"},
      {"integrity code of 15 bytes", builtOtaFile({foreign, {0x0003, Bytes(15)}}), {},
       "PPPPNNNRFNR", "integrity code length is not 16"},
      // A signature info did not verify never excuses a wrong code before it.
      {"integrity code, then signature", builtOtaFile({ours, {0x0003, Bytes(16)},
                                                       builtCertificate(), builtSignature()}),
       {}, "PPPPPPPRFNR", "integrity code differs from the AES-MMO hash of the file"},
      {"signature, then integrity code",
       withIntegrityCode({ours, builtCertificate(), builtSignature()}), {}, "PPPPPPNRPNR", ""},
      {"crypto suite 2 signature",
       builtOtaFile({foreign, {0x0006, Bytes(74, 6)}, {0x0005, Bytes(80, 5)}}), {}, "PPPPNNNRNPR",
       ""},
      {"crypto suite 2 signature not last",
       builtOtaFile({{0x0006, Bytes(74)}, {0x0005, Bytes(80)}, vendor}), {}, "PPPPNNNRNFR",
       "not a certificate of 74 bytes, then a signature of 80 bytes, at the end of the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[c.file.size()]);
    std::copy(c.file.begin(), c.file.end(), copy.get());
    const OtaFileInfo info = otaFileRead(copy.get(), c.file.size(), c.options);
    EXPECT_EQ(states(info), c.states);
    EXPECT_EQ(firstFailure(info), c.failure);
    EXPECT_EQ(otaFileChecksPass(info), std::string(c.failure).empty());
    const OtaCheck& preamble = info.check(OtaCheckId::imagePreamble);
    if (preamble.state == OtaCheckState::notApplicable && info.firstUpgradeImage) {
      EXPECT_STREQ(otaReasonText(preamble.reason), "payload without the image preamble");
    }
  }
}

TEST(OtaReader, SealsBeyondTheListedSubElementsAreFound) {
  std::vector<BuiltSubElement> many(kOtaListedSubElementLimit + 3, {0xF001, {}});
  const Bytes sealed = withIntegrityCode(many);
  EXPECT_EQ(states(readExact(sealed)), "PPPPNNNRPNR");
  many.push_back({0x0006, Bytes(74)});
  many.push_back({0x0005, Bytes(80)});
  EXPECT_EQ(states(readExact(builtOtaFile(many))), "PPPPNNNRNPR");
}

TEST(OtaReader, VendorPrefixBeforeTheIdentifier) {
  const Bytes ota = builtOtaFile({{0x0000, builtImage(0x200, 0x88)}, {0xF000, Bytes(4)}});
  struct Case {
    const char* name;
    Bytes prefix;
    std::size_t prefixLength;
    bool passes;
  } const cases[] = {
      {"none", {}, 0, true},
      {"vendor header", Bytes(0x40, 0x5A), 0x40, true},
      {"a partial identifier first", {0x1E, 0xF1, 0xEE}, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes data = c.prefix;
    data.insert(data.end(), ota.begin(), ota.end());
    const OtaFileInfo info = otaFileLocateAndRead(data.data(), data.size(), {});
    EXPECT_EQ(info.prefixLength, c.prefixLength);
    EXPECT_EQ(info.fileSize, ota.size());
    EXPECT_EQ(otaFileChecksPass(info), c.passes);
    ASSERT_EQ(info.subElements.size(), 2u);
    EXPECT_EQ(info.subElements[1].offset, ota.size() - 10);
  }
  // Without an identifier anywhere the whole file is read and fails.
  const Bytes junk(100, 0x42);
  const OtaFileInfo info = otaFileLocateAndRead(junk.data(), junk.size(), {});
  EXPECT_EQ(info.prefixLength, 0u);
  EXPECT_EQ(info.fileSize, junk.size());
  EXPECT_EQ(info.check(OtaCheckId::fileIdentifier).state, OtaCheckState::failed);
  EXPECT_EQ(otaFileLocateAndRead(nullptr, 0, {}).fileSize, 0u);
}

TEST(OtaReader, HeaderFieldsAndValues) {
  BuiltHeaderFields fields;
  fields.fieldControl = 7;
  fields.headerString.assign(32, 0);
  fields.headerString[0] = 'O';
  fields.headerString[31] = 'K';
  const Bytes file = builtOtaFile({{0x0000, builtImage(0x1FE, 0)}}, fields);
  const OtaFileInfo info = readExact(file);
  ASSERT_TRUE(otaFileChecksPass(info));
  const OtaHeader& h = info.header;
  EXPECT_EQ(h.fileIdentifier, 0x0BEEF11Eu);
  EXPECT_EQ(h.headerVersion, 0x0100);
  EXPECT_EQ(h.headerLength, 69);
  EXPECT_EQ(h.fieldControl, 7);
  EXPECT_EQ(h.manufacturerCode, test::kBuiltManufacturer);
  EXPECT_EQ(h.imageType, test::kBuiltImageType);
  EXPECT_EQ(h.fileVersion, test::kBuiltFileVersion);
  EXPECT_EQ(h.stackVersion, 2);
  EXPECT_EQ(Bytes(h.headerString.begin(), h.headerString.end()), fields.headerString);
  EXPECT_EQ(h.totalImageSize, file.size());
  EXPECT_TRUE(info.securityCredentialVersionPresent);
  EXPECT_TRUE(info.destinationPresent);
  EXPECT_TRUE(info.hardwareVersionsPresent);
  EXPECT_EQ(h.securityCredentialVersion, 0x05);
  EXPECT_EQ(Bytes(h.upgradeFileDestination.begin(), h.upgradeFileDestination.end()),
            fields.destination);
  EXPECT_EQ(h.minimumHardwareVersion, 0x0102);
  EXPECT_EQ(h.maximumHardwareVersion, 0x0304);
  ASSERT_EQ(info.subElements.size(), 1u);
  EXPECT_EQ(info.subElements[0].offset, 69u);
  EXPECT_EQ(info.subElements[0].length, 0x1FEu);
  EXPECT_EQ(info.imageCrcOffset, 0u);

  // Each bit alone moves the sub-elements by its field's width.
  const struct {
    std::uint16_t bits;
    std::size_t start;
  } single[] = {{1, 57}, {2, 64}, {4, 60}, {3, 65}, {6, 68}};
  for (const auto& s : single) {
    BuiltHeaderFields f;
    f.fieldControl = s.bits;
    const OtaFileInfo one = readExact(builtOtaFile({{0x0000, builtImage(0x200, 0x88)}}, f));
    EXPECT_TRUE(otaFileChecksPass(one)) << s.bits;
    ASSERT_EQ(one.subElements.size(), 1u);
    EXPECT_EQ(one.subElements[0].offset, s.start) << s.bits;
    EXPECT_EQ(one.securityCredentialVersionPresent, (s.bits & 1) != 0);
    EXPECT_EQ(one.destinationPresent, (s.bits & 2) != 0);
    EXPECT_EQ(one.hardwareVersionsPresent, (s.bits & 4) != 0);
  }

  // Failure values: expected and found as the reader saw them.
  Bytes wrongSize = file;
  wrongSize[53] = 0x7F;
  const OtaCheck total = readExact(wrongSize).check(OtaCheckId::totalImageSize);
  EXPECT_TRUE(total.hasValues);
  EXPECT_EQ(total.expected, file.size());
  EXPECT_EQ(total.found, (file.size() & ~0xFF00u) | 0x7F00u);
}

TEST(OtaReader, OptionalFieldsCutShortAreAbsent) {
  BuiltHeaderFields fields;
  fields.fieldControl = 7;
  const Bytes full = builtOtaFile({}, fields);
  ASSERT_EQ(full.size(), 69u);
  const struct {
    std::size_t size;
    bool security, destination, hardware;
  } cases[] = {{56, false, false, false}, {57, true, false, false}, {64, true, false, false},
               {65, true, true, false},   {68, true, true, false},  {69, true, true, true}};
  for (const auto& c : cases) {
    const OtaFileInfo info =
        readExact(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.size)));
    EXPECT_EQ(info.securityCredentialVersionPresent, c.security) << c.size;
    EXPECT_EQ(info.destinationPresent, c.destination) << c.size;
    EXPECT_EQ(info.hardwareVersionsPresent, c.hardware) << c.size;
  }
}

// Structural promises that hold for any input.
void expectSane(const Bytes& file, const OtaFileInfo& info) {
  EXPECT_EQ(info.fileSize, file.size());
  for (const OtaSubElement& e : info.subElements) {
    EXPECT_LE(e.offset + 6 + std::uint64_t{e.length}, file.size());
  }
  const auto& reference = info.headerComplete && info.header.headerLength >= 56 &&
                                  info.header.headerLength <= file.size()
                              ? test::referenceWalk(file, info.header.headerLength)
                              : std::pair<std::vector<test::ReferenceSubElement>, bool>{{}, false};
  ASSERT_EQ(info.subElements.size(), reference.first.size());
  for (std::size_t i = 0; i < reference.first.size(); ++i) {
    EXPECT_EQ(info.subElements[i].offset, reference.first[i].offset);
    EXPECT_EQ(info.subElements[i].length, reference.first[i].length);
  }
  EXPECT_EQ(info.check(OtaCheckId::subElementChain).state == OtaCheckState::passed,
            reference.second);
  EXPECT_EQ(info.check(OtaCheckId::signatureVerification).state, OtaCheckState::notRun);
}

TEST(OtaReader, EveryTruncationStaysInBounds) {
  BuiltHeaderFields fields;
  fields.fieldControl = 7;
  const Bytes files[] = {
      builtOtaFile({{0x0000, builtImage(0x100, 0x88)}, builtCertificate(), builtSignature()},
                   fields),
      builtOtaFile({builtCertificate(), builtSignature()}),
  };
  for (const Bytes& full : files) {
    for (std::size_t size = 0; size <= full.size(); ++size) {
      SCOPED_TRACE(size);
      const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
      const OtaFileInfo info = readExact(cut);
      expectSane(cut, info);
      EXPECT_EQ(otaFileChecksPass(info), size == full.size());
    }
  }
}

TEST(OtaReader, RandomCorruptionsStayInBounds) {
  // Seed fixed so failures reproduce; corruptions favour the header and the
  // sub-element heads, where lengths live.
  std::mt19937 rng(20261207);
  BuiltHeaderFields fields;
  fields.fieldControl = 5;
  const Bytes bases[] = {
      signedImageFile(),
      builtOtaFile({{0x0000, builtImage(0x98, 0)}, builtCertificate(), builtSignature()},
                   fields),
      builtOtaFile({{0x0100, Bytes(3)}, {0x0000, builtImage(0x9A, 0x88)}}),
  };
  int chainIntact = 0;
  int imageChecked = 0;
  int allPassed = 0;
  for (int round = 0; round < 20000; ++round) {
    Bytes file = bases[rng() % 3];
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % 4 == 0 ? rng() % file.size() : rng() % 80;
      if (at < file.size()) file[at] = static_cast<std::uint8_t>(rng());
    }
    switch (rng() % 4) {
      case 0:
        file.resize(rng() % (file.size() + 1));
        break;
      case 1:
        file.resize(file.size() + rng() % 16, static_cast<std::uint8_t>(rng()));
        break;
      default:
        break;
    }
    const OtaFileInfo info = readExact(file);
    expectSane(file, info);
    if (::testing::Test::HasFailure()) {
      FAIL() << "round " << round;
    }
    chainIntact += info.check(OtaCheckId::subElementChain).state == OtaCheckState::passed;
    imageChecked += info.check(OtaCheckId::imageCrc).state != OtaCheckState::notApplicable;
    allPassed += otaFileChecksPass(info);
  }
  // The corruptions reach every stage of the reader, not only its first checks.
  EXPECT_GT(chainIntact, 2000);
  EXPECT_GT(imageChecked, 2000);
  EXPECT_GT(allPassed, 100);
}

TEST(OtaReader, ImageChecksSayWhetherTheChainCouldHideTheImage) {
  Bytes cut = imageFile();
  cut.pop_back();
  EXPECT_STREQ(otaReasonText(readExact(cut).check(OtaCheckId::imagePreamble).reason),
               "no complete upgrade image");
  EXPECT_STREQ(otaReasonText(readExact(cut).check(OtaCheckId::imageCrc).reason),
               "no complete upgrade image");
  EXPECT_STREQ(otaReasonText(readExact(builtOtaFile({})).check(OtaCheckId::imagePreamble).reason),
               "no upgrade image");
}

TEST(OtaReader, NamesOfChecks) {
  EXPECT_STREQ(otaCheckName(OtaCheckId::imageCrc), "image CRC");
  EXPECT_STREQ(otaCheckName(OtaCheckId::signatureVerification), "signature verification");
  EXPECT_STREQ(otaCheckName(OtaCheckId::integrityCode), "integrity code");
  EXPECT_STREQ(otaCheckName(OtaCheckId::suite2SignatureVerification),
               "crypto suite 2 signature verification");
}

}  // namespace
}  // namespace otawrap
