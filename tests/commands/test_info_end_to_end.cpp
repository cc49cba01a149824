// --help, --version and --info FILE [--json] of the built binary: golden
// texts, JSON parsed back and compared with the file's own bytes, failing
// files and exit codes; OTA files that are not conversions of ours (foreign
// payloads, every tag, integrity codes, vendor prefixes, crypto suite 2).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "commands/expected_usage.h"
#include "commands/ota_file_check.h"
#include "ota/ota_file_builder.h"
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
using test::examplesDir;
using test::runOtawrap;

std::string samplePath() {
  return examplesDir() + "sample.raw";
}

// "otawrap X.Y.Z" and a newline, each of X, Y, Z one or more digits.
bool isVersionLine(const std::string& text) {
  const std::string prefix = "otawrap ";
  if (text.compare(0, prefix.size(), prefix) != 0 || text.back() != '\n') return false;
  int parts = 1;
  bool digitSeen = false;
  for (std::size_t i = prefix.size(); i + 1 < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      digitSeen = true;
    } else if (text[i] == '.' && digitSeen) {
      ++parts;
      digitSeen = false;
    } else {
      return false;
    }
  }
  return parts == 3 && digitSeen;
}

TEST(InfoEndToEnd, HelpAndVersion) {
  TempDirectory dir;
  // --help is `help`: the overview of the commands, naming the legacy form.
  const ProcessResult help = runOtawrap(dir, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(runOtawrap(dir, {"help"}).output, help.output);
  for (const char* text : {"convert INPUT", "info FILE... [options]", "verify FILE", "help [COMMAND]",
                           "version", "legacy command line", "./convert"}) {
    EXPECT_NE(help.output.find(text), std::string::npos) << text;
  }
  const ProcessResult extra = runOtawrap(dir, {"--help", "ignored"});
  EXPECT_EQ(extra.exitCode, 2);
  EXPECT_EQ(extra.errors, "otawrap: no help for 'ignored': not a command\n"
                          "Try 'otawrap help --help'.\n");
  EXPECT_FALSE(isVersionLine("otawrap 1.2\n"));
  EXPECT_FALSE(isVersionLine("otawrap 1..2\n"));

  const ProcessResult version = runOtawrap(dir, {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(isVersionLine(version.output)) << version.output;
  EXPECT_TRUE(dir.entries().empty());
}

TEST(InfoEndToEnd, LegacyDashDashArgumentsStillGiveTheUsageText) {
  TempDirectory dir;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--"}, {"--bogus"}, {"--HELP"}, {"--info=x"},
                                             {"in.raw", "--"}, {"in.raw", "-n", "--json"},
                                             {"in.raw", "-n", "--help"}}) {
    const ProcessResult result = runOtawrap(dir, arguments);
    EXPECT_EQ(result.exitCode, 0) << arguments.back();
    EXPECT_EQ(result.output, test::kExpectedUsage) << arguments.back();
  }
  EXPECT_TRUE(dir.entries().empty());
}

TEST(InfoEndToEnd, GoldenTextOfAHeaderOnlyFileWithEveryOptionalField) {
  TempDirectory dir;
  ASSERT_EQ(runOtawrap(dir, {"x", "-n", "-m100B", "-t100A", "-v00000001", "--header-string",
                          "Golden \"1\"", "--security-credential-version", "3", "--destination",
                          "00124B0001020304", "--min-hw-version", "0100", "--max-hw-version",
                          "0200"})
                .exitCode,
            0);
  const ProcessResult info = runOtawrap(dir, {"--info", "100B-100A-00000001.zigbee"});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_EQ(info.output,
            "File: 100B-100A-00000001.zigbee (69 bytes)\n"
            "Header:\n"
            "  File identifier:             0x0BEEF11E\n"
            "  Header version:              0x0100\n"
            "  Header length:               69\n"
            "  Field control:               0x0007\n"
            "  Manufacturer code:           0x100B\n"
            "  Image type:                  0x100A\n"
            "  File version:                0x00000001\n"
            "  Stack version:               0x0002\n"
            "  Header string:               \"Golden \\\"1\\\"\"\n"
            "  Total image size:            69\n"
            "  Security credential version: 3\n"
            "  Upgrade file destination:    00124B0001020304\n"
            "  Minimum hardware version:    0x0100\n"
            "  Maximum hardware version:    0x0200\n"
            "Sub-elements:\n"
            "  (none)\n"
            "Checks:\n"
            "  file identifier: ok\n"
            "  header length: ok\n"
            "  total image size: ok\n"
            "  sub-element chain: ok\n"
            "  image preamble: not applicable (no upgrade image)\n"
            "  image CRC: not applicable (no upgrade image)\n"
            "  signature layout: not applicable (unsigned file)\n"
            "  integrity code: not applicable (no integrity code)\n"
            "  crypto suite 2 signature layout: not applicable (no crypto suite 2 signature)\n");
}

TEST(InfoEndToEnd, GoldenTextOfTheBundledSample) {
  TempDirectory dir;
  ASSERT_EQ(runOtawrap(dir, {samplePath(), "-pQUILLDEV"}).exitCode, 0);
  const std::string name = "100B-0042-00010203.zigbee";
  // The image and its CRC are checked independently by checkUnsignedOtaFile.
  const Bytes file = test::readFileBytes(dir.file(name));
  test::checkUnsignedOtaFile(file, 0);
  const ProcessResult info = runOtawrap(dir, {"--info", name});
  EXPECT_EQ(info.exitCode, 0);
  EXPECT_EQ(info.output,
            "File: 100B-0042-00010203.zigbee (4300 bytes)\n"
            "Header:\n"
            "  File identifier:             0x0BEEF11E\n"
            "  Header version:              0x0100\n"
            "  Header length:               56\n"
            "  Field control:               0x0000\n"
            "  Manufacturer code:           0x100B\n"
            "  Image type:                  0x0042\n"
            "  File version:                0x00010203\n"
            "  Stack version:               0x0002\n"
            "  Header string:               \"\"\n"
            "  Total image size:            4300\n"
            "Sub-elements:\n"
            "  tag 0x0000 upgrade image, offset 56, length 4238\n"
            "    payload: image preamble, 4,238 bytes, image CRC ok\n"
            "Checks:\n"
            "  file identifier: ok\n"
            "  header length: ok\n"
            "  total image size: ok\n"
            "  sub-element chain: ok\n"
            "  image preamble: ok\n"
            "  image CRC: ok (0x" +
                [&] {
                  char text[5];
                  static_cast<void>(std::snprintf(text, sizeof text, "%04X",
                                                  static_cast<unsigned>(le(file, 62 + 0x88, 2))));
                  return std::string(text);
                }() +
                " at offset 0x88)\n"
                "  signature layout: not applicable (unsigned file)\n"
            "  integrity code: not applicable (no integrity code)\n"
            "  crypto suite 2 signature layout: not applicable (no crypto suite 2 signature)\n");
}

// Test credentials with a fixed key (not for real devices).
const char kCredentials[] =
    "IEEE Address: 00124B0001ABCDEF\n"
    "Device Private Key: 0001020304050607080910111213141516171819FF\n"
    "Device Implicit Cert: "
    "0303A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F6"
    "00124B0001ABCDEF54455354434100010203040506070809\n";

// Checks a --info --json report against the file's bytes, read independently.
void checkJsonReport(const std::string& output, const Bytes& file, const std::string& name,
                     int crcOffset) {
  const auto parsed = test::parseJson(output);
  ASSERT_TRUE(parsed) << output;
  ASSERT_EQ(output.back(), '\n');
  const test::JsonValue& json = *parsed;
  EXPECT_EQ(json["file"].ascii(), name);
  EXPECT_EQ(json["fileSize"].number(), file.size());
  const test::JsonValue& h = json["header"];
  EXPECT_EQ(h["fileIdentifier"].number(), le(file, 0, 4));
  EXPECT_EQ(h["headerVersion"].number(), le(file, 4, 2));
  EXPECT_EQ(h["headerLength"].number(), le(file, 6, 2));
  const std::uint64_t fieldControl = le(file, 8, 2);
  EXPECT_EQ(h["fieldControl"].number(), fieldControl);
  EXPECT_EQ(h["manufacturerCode"].number(), le(file, 10, 2));
  EXPECT_EQ(h["imageType"].number(), le(file, 12, 2));
  EXPECT_EQ(h["fileVersion"].number(), le(file, 14, 4));
  EXPECT_EQ(h["stackVersion"].number(), le(file, 18, 2));
  std::string headerString(file.begin() + 20, file.begin() + 52);
  headerString.erase(headerString.find_last_not_of('\0') + 1);
  if (headerString.find_first_not_of('\0') == std::string::npos) headerString.clear();
  EXPECT_EQ(h["headerString"].utf8(), headerString);  // valid UTF-8 in these files
  std::string stringHex;
  for (int i = 20; i < 52; ++i) {
    char pair[3];
    static_cast<void>(std::snprintf(pair, sizeof pair, "%02X", file[static_cast<std::size_t>(i)]));
    stringHex += pair;
  }
  EXPECT_EQ(h["headerStringHex"].ascii(), stringHex);
  EXPECT_EQ(h["totalImageSize"].number(), le(file, 52, 4));
  std::size_t at = 56;
  EXPECT_EQ(h.has("securityCredentialVersion"), (fieldControl & 1) != 0);
  if (fieldControl & 1) {
    EXPECT_EQ(h["securityCredentialVersion"].number(), file[at]);
    at += 1;
  }
  EXPECT_EQ(h.has("upgradeFileDestination"), (fieldControl & 2) != 0);
  if (fieldControl & 2) {
    char text[17];
    static_cast<void>(std::snprintf(text, sizeof text, "%016llX",
                                    static_cast<unsigned long long>(le(file, at, 8))));
    EXPECT_EQ(h["upgradeFileDestination"].ascii(), text);
    at += 8;
  }
  EXPECT_EQ(h.has("minimumHardwareVersion"), (fieldControl & 4) != 0);
  if (fieldControl & 4) {
    EXPECT_EQ(h["minimumHardwareVersion"].number(), le(file, at, 2));
    EXPECT_EQ(h["maximumHardwareVersion"].number(), le(file, at + 2, 2));
  }

  const auto walk = test::referenceWalk(file, le(file, 6, 2));
  EXPECT_TRUE(walk.second);
  const auto& items = json["subElements"].items;
  ASSERT_EQ(items.size(), walk.first.size());
  const char* names[] = {"upgrade image", "ECDSA signature (crypto suite 1)",
                         "ECDSA signing certificate (crypto suite 1)"};
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i]["tag"].number(), walk.first[i].tag);
    EXPECT_EQ(items[i]["name"].ascii(), names[walk.first[i].tag]);
    EXPECT_EQ(items[i]["offset"].number(), walk.first[i].offset);
    EXPECT_EQ(items[i]["length"].number(), walk.first[i].length);
  }
  if (crcOffset < 0) {
    EXPECT_EQ(json["imageCrcOffset"].kind, test::JsonValue::Kind::null);
  } else {
    EXPECT_EQ(json["imageCrcOffset"].number(), static_cast<std::uint64_t>(crcOffset));
  }
  EXPECT_EQ(json["prefixLength"].number(), 0u);
  ASSERT_EQ(json["checks"].items.size(), 9u);
  for (const test::JsonValue& check : json["checks"].items) {
    EXPECT_NE(check["result"].ascii(), "failed") << check["name"].ascii();
  }
  EXPECT_TRUE(json["ok"].boolean);
}

TEST(InfoEndToEnd, JsonReportsMatchTheBytesOfEveryKindOfFile) {
  TempDirectory dir;
  ASSERT_TRUE(test::writeFileBytes(dir.file("creds.txt"),
                                   Bytes(kCredentials, kCredentials + sizeof kCredentials - 1)));
  test::RawGeneratorOptions options;
  options.seed = 77;
  options.dataBytes = 70000;
  ASSERT_TRUE(test::writeFileBytes(dir.file("in.raw"),
                                   test::rawFileBytes(test::generateRawFile(options))));
  const std::vector<std::string> allFields = {
      "--header-string", "\xC3\xA9t\xC3\xA9 \"\\\t", "--security-credential-version", "255",
      "--destination", "FEDCBA9876543210", "--min-hw-version", "0", "--max-hw-version", "FFFF"};
  struct Case {
    std::vector<std::string> arguments;
    int crcOffset;  // -1: no upgrade image
  } cases[] = {
      {{"-pQUILLDEV"}, 0x88},
      {{"-pFENBOARD"}, 0},
      {{"-pMARSHDEV"}, 0},
      {{"-n"}, -1},
      {{"-screds.txt"}, 0x88},
      {{"-n", "-screds.txt"}, -1},
      {{"-pMARSHDEV", "-screds.txt"}, 0},
      {{"--security-credential-version", "0"}, 0x88},
      {{"--destination", "0000000000000001", "-pFENBOARD"}, 0},
      {{"-n", "--min-hw-version", "1", "--max-hw-version", "1"}, -1},
  };
  for (const Case& c : cases) {
    for (bool withFields : {false, true}) {
      std::vector<std::string> arguments = {"in.raw", "-m1234", "-t5678", "-v9ABCDEF0"};
      arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
      if (withFields) arguments.insert(arguments.end(), allFields.begin(), allFields.end());
      std::string label;
      for (const std::string& a : arguments) label += a + " ";
      SCOPED_TRACE(label);
      const ProcessResult made = runOtawrap(dir, arguments);
      ASSERT_EQ(made.exitCode, 0) << made.output;
      const std::string name = "1234-5678-9ABCDEF0.zigbee";
      const Bytes file = test::readFileBytes(dir.file(name));
      const ProcessResult info = runOtawrap(dir, {"--info", name, "--json"});
      EXPECT_EQ(info.exitCode, 0) << info.output;
      checkJsonReport(info.output, file, name, c.crcOffset);
      const ProcessResult text = runOtawrap(dir, {"--info", name});
      EXPECT_EQ(text.exitCode, 0);
      EXPECT_EQ(text.output.find("FAILED"), std::string::npos) << text.output;
    }
  }
}

TEST(InfoEndToEnd, FailingFilesAndErrors) {
  TempDirectory dir;
  test::Bytes truncated = test::builtOtaFile({{0x0000, test::builtImage(0x200, 0x88)}});
  truncated.resize(truncated.size() - 10);
  test::Bytes wrongCrc = test::builtOtaFile({{0x0000, test::builtImage(0x200, 0)}});
  wrongCrc[100] ^= 1;
  const Bytes notOta = {'h', 'e', 'l', 'l', 'o'};
  ASSERT_TRUE(test::writeFileBytes(dir.file("truncated"), truncated));
  ASSERT_TRUE(test::writeFileBytes(dir.file("crc"), wrongCrc));
  ASSERT_TRUE(test::writeFileBytes(dir.file("hello"), notOta));
  ASSERT_TRUE(test::writeFileBytes(dir.file("empty"), {}));
  const struct {
    const char* file;
    std::vector<std::string> failures;
  } cases[] = {
      {"truncated",
       {"  total image size: FAILED: total image size differs from the file size (expected " +
            std::to_string(truncated.size()) + ", found " + std::to_string(truncated.size() + 10) +
            ")\n",
        "  sub-element chain: FAILED: sub-element runs past the end of the file (expected " +
            std::to_string(truncated.size() + 10) + ", found " + std::to_string(truncated.size()) +
            ")\n",
        "  image preamble: not applicable (no complete upgrade image)\n"}},
      {"crc", {"  image CRC: FAILED: image CRC matches at neither offset 0x88 nor 0\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const ProcessResult text = runOtawrap(dir, {"--info", c.file});
    EXPECT_EQ(text.exitCode, 1);
    for (const std::string& line : c.failures) {
      EXPECT_NE(text.output.find(line), std::string::npos) << text.output;
    }
    const ProcessResult json = runOtawrap(dir, {"--info", "--json", c.file});
    EXPECT_EQ(json.exitCode, 1);
    const auto parsed = test::parseJson(json.output);
    ASSERT_TRUE(parsed) << json.output;
    EXPECT_FALSE((*parsed)["ok"].boolean);
  }

  const std::string kTryInfo = "Try 'otawrap info --help'.\n";
  const struct {
    std::vector<std::string> arguments;
    std::string errors;
    int exitCode = 2;
  } errors[] = {
      // No identifier at all: not an OTA file, found wanting.
      {{"--info", "hello"}, "otawrap: 'hello' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n", 1},
      {{"info", "empty", "--json"}, "otawrap: 'empty' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n", 1},
      {{"--info", "missing.zigbee"},
       "otawrap: cannot open input file 'missing.zigbee': No such file or directory\n"},
      {{"info", "missing.zigbee", "--json"},
       "otawrap: cannot open input file 'missing.zigbee': No such file or directory\n"},
      {{"--info", "."},
       "otawrap: cannot open input file '.': Is a directory\n"
       "otawrap: '.' is a directory: --recursive reads every file below it\n"},
      {{"--info"}, "otawrap: missing FILE operand\n" + kTryInfo},
      {{"--info", "a", "--xml"}, "otawrap: unknown option '--xml'\n" + kTryInfo},
      {{"--verify", "crc", "--public-key", "02"},
       "otawrap: invalid public key: public key must be 22 or 43 octets (crypto suite 1) or 37 or 73 octets (crypto suite 2), compressed or uncompressed\n"},
  };
  for (const auto& e : errors) {
    const ProcessResult result = runOtawrap(dir, e.arguments);
    EXPECT_EQ(result.exitCode, e.exitCode) << e.errors;
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errors, e.errors);
  }
}

// A bootloader-like blob: no image preamble anywhere.
Bytes bootloaderBlob() {
  Bytes blob(0x2400);
  for (std::size_t i = 0; i < blob.size(); ++i) {
    blob[i] = static_cast<std::uint8_t>((i * 151) ^ (i >> 7));
  }
  return blob;
}

// The file of the elements followed by an integrity code over every byte
// before its head, from the OpenSSL-based AES-MMO.
Bytes withIntegrityCode(std::vector<test::BuiltSubElement> elements) {
  elements.push_back({0x0003, Bytes(16)});
  Bytes file = test::builtOtaFile(elements);
  const Bytes code = test::opensslMmoHash(file.data(), file.size() - 22);
  std::copy(code.begin(), code.end(), file.end() - 16);
  return file;
}

TEST(InfoEndToEnd, EveryOtaFileNotOnlyConversions) {
  TempDirectory dir;
  const Bytes blob = bootloaderBlob();
  const test::BuiltSubElement vendor{0xF000, Bytes(12, 0xF0)};
  Bytes tampered = withIntegrityCode({{0x0000, blob}, vendor});
  tampered[0x300] ^= 0x40;
  Bytes prefixed(60, 0xA5);
  const Bytes inner = test::builtOtaFile({{0x0000, test::builtImage(0x200, 0x88)}, vendor});
  prefixed.insert(prefixed.end(), inner.begin(), inner.end());
  const struct {
    const char* name;
    Bytes file;
    std::vector<std::string> options;
    int exitCode;
    std::vector<std::string> lines;
  } cases[] = {
      {"blob.ota", test::builtOtaFile({{0x0000, blob}, vendor, {0xFFFF, Bytes(3)}}), {}, 0,
       {"  tag 0x0000 upgrade image, offset 56, length 9216\n",
        "  tag 0xF000 manufacturer specific, offset 9278, length 12\n",
        "  image preamble: not applicable (payload without the image preamble)\n",
        "  image CRC: not applicable (payload without the image preamble)\n"}},
      {"plain.bin.ota", test::builtOtaFile({{0x0000, Bytes(700, 0x00)}}), {}, 0,
       {"  image preamble: not applicable (payload without the image preamble)\n"}},
      {"blob.ota", test::builtOtaFile({{0x0000, blob}}), {"--platform", "quilldev"}, 1,
       {"  image preamble: FAILED: preamble length differs from the sub-element length (expected "
        "9216, found ",
        "  image CRC: FAILED: image CRC at offset 0x88 does not match (expected 0x"}},
      {"ours0.ota", test::builtOtaFile({{0x0000, test::builtImage(0x1FE, 0)}}), {"-pMarshDev"}, 0,
       {"  image CRC: ok ("}},
      {"ours0.ota", test::builtOtaFile({{0x0000, test::builtImage(0x1FE, 0)}}),
       {"--platform=QUILLDEV"}, 1, {"  image CRC: FAILED: image CRC at offset 0x88 does not match"}},
      {"sealed.ota", withIntegrityCode({{0x0000, blob}, vendor}), {}, 0,
       {"  tag 0x0003 image integrity code, offset 9296, length 16\n",
        "  integrity code: ok (AES-MMO of the bytes before its head)\n"}},
      {"tampered.ota", tampered, {}, 1,
       {"  integrity code: FAILED: integrity code differs from the AES-MMO hash of the file\n"}},
      // A code before a signature is checked, never excused by the signature.
      {"both.ota",
       test::builtOtaFile({{0x0000, blob}, {0x0003, Bytes(16)}, test::builtCertificate(),
                           test::builtSignature()}),
       {}, 1,
       {"  signature layout: ok, signature not verified (use verify)\n",
        "  integrity code: FAILED: integrity code differs from the AES-MMO hash of the file\n"}},
      {"prefixed.ota", prefixed, {}, 0,
       {"File: prefixed.ota (" + std::to_string(prefixed.size()) + " bytes)\n",
        "Vendor prefix: 60 bytes before the OTA file identifier; offsets count from the "
        "identifier\n",
        "  tag 0x0000 upgrade image, offset 56, length 512\n", "  image preamble: ok\n"}},
      {"suite2.ota",
       test::builtOtaFile({{0x0000, blob}, {0x0006, Bytes(74, 6)}, {0x0005, Bytes(80, 5)}}), {},
       0,
       {"  tag 0x0006 ECDSA signing certificate (crypto suite 2), offset 9278, length 74\n",
        "  tag 0x0005 ECDSA signature (crypto suite 2), offset 9358, length 80\n",
        "  crypto suite 2 signature layout: ok (its r and s lie outside [1, n-1] for sect283k1 in "
        "either byte order: not a sect283k1 signature)\n"}},
  };
  for (const auto& c : cases) {
    std::string label = c.name;
    for (const std::string& o : c.options) label += " " + o;
    SCOPED_TRACE(label);
    ASSERT_TRUE(test::writeFileBytes(dir.file(c.name), c.file));
    std::vector<std::string> arguments = {"info", c.name};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const ProcessResult text = runOtawrap(dir, arguments);
    EXPECT_EQ(text.exitCode, c.exitCode) << text.output << text.errors;
    for (const std::string& line : c.lines) {
      EXPECT_NE(text.output.find(line), std::string::npos) << line << "\n" << text.output;
    }
    arguments.push_back("--json");
    const ProcessResult json = runOtawrap(dir, arguments);
    EXPECT_EQ(json.exitCode, c.exitCode);
    const auto parsed = test::parseJson(json.output);
    ASSERT_TRUE(parsed) << json.output;
    EXPECT_EQ((*parsed)["ok"].boolean, c.exitCode == 0);
    EXPECT_EQ((*parsed)["fileSize"].number(), c.file.size());
    const std::size_t prefix = c.name == std::string("prefixed.ota") ? 60 : 0;
    EXPECT_EQ((*parsed)["prefixLength"].number(), prefix);
    // The listed sub-elements are those of an independent walk from the identifier.
    const Bytes ota(c.file.begin() + static_cast<std::ptrdiff_t>(prefix), c.file.end());
    const auto walk = test::referenceWalk(ota, le(ota, 6, 2));
    const auto& items = (*parsed)["subElements"].items;
    ASSERT_EQ(items.size(), walk.first.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i]["tag"].number(), walk.first[i].tag);
      EXPECT_EQ(items[i]["offset"].number(), walk.first[i].offset);
    }
  }

  // Every tag range by its name, in text and JSON.
  const struct {
    std::uint16_t tag;
    const char* name;
  } tags[] = {
      {0x0000, "upgrade image"},
      {0x0001, "ECDSA signature (crypto suite 1)"},
      {0x0002, "ECDSA signing certificate (crypto suite 1)"},
      {0x0003, "image integrity code"},
      {0x0004, "picture data"},
      {0x0005, "ECDSA signature (crypto suite 2)"},
      {0x0006, "ECDSA signing certificate (crypto suite 2)"},
      {0x0007, "unknown"},
      {0xEFFF, "unknown"},
      {0xF000, "manufacturer specific"},
      {0xFFFF, "manufacturer specific"},
  };
  std::vector<test::BuiltSubElement> elements;
  for (const auto& t : tags) elements.push_back({t.tag, Bytes(1)});
  ASSERT_TRUE(test::writeFileBytes(dir.file("tags.ota"), test::builtOtaFile(elements)));
  const ProcessResult text = runOtawrap(dir, {"info", "tags.ota"});
  const auto json = test::parseJson(runOtawrap(dir, {"info", "tags.ota", "--json"}).output);
  ASSERT_TRUE(json);
  const auto& items = (*json)["subElements"].items;
  ASSERT_EQ(items.size(), std::size(tags));
  std::size_t offset = 56;
  for (std::size_t i = 0; i < std::size(tags); ++i) {
    char line[100];
    static_cast<void>(std::snprintf(line, sizeof line, "  tag 0x%04X %s, offset %zu, length 1\n",
                                    tags[i].tag, tags[i].name, offset));
    EXPECT_NE(text.output.find(line), std::string::npos) << line;
    EXPECT_EQ(items[i]["name"].ascii(), tags[i].name);
    offset += 7;
  }

  const ProcessResult bad = runOtawrap(dir, {"info", "tags.ota", "--platform", "teapot"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.errors,
            "otawrap: invalid value 'teapot' for --platform: QUILLDEV, MARSHDEV or FENBOARD "
            "expected\nTry 'otawrap info --help'.\n");
}

}  // namespace
}  // namespace otawrap
