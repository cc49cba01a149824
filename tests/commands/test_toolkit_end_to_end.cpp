// build, extract, index and convert's Intel HEX input, end to end through the
// built binary: generated payloads go through build and come back out of
// extract byte for byte, with the integrity code and signature checked by
// OpenSSL; a raw file and its Intel HEX text convert to the same bytes; index
// entries against the files; every refusal names the file, exits as
// documented and writes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "commands/json_check.h"
#include "commands/ota_file_check.h"
#include "support/openssl_ecdsa.h"
#include "support/openssl_hash.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::le;
using test::ProcessResult;
using test::TempDirectory;
using test::tree;

constexpr std::uint32_t kCredentialsSeed = 91;
constexpr std::size_t kLimit = std::size_t{64} << 20;  // the largest file build writes

std::string tagName(std::size_t index, std::uint16_t tag) {
  char name[40];
  static_cast<void>(std::snprintf(name, sizeof name, "%02zu-%04X.bin", index,
                                  static_cast<unsigned>(tag)));
  return name;
}

struct Element {
  std::uint16_t tag;
  Bytes data;
};

// The sub-elements of an OTA file, walked independently of src/.
std::vector<Element> elementsOf(const Bytes& file) {
  std::vector<Element> out;
  std::size_t at = le(file, 6, 2);
  while (at + 6 <= file.size()) {
    const std::size_t length = le(file, at + 2, 4);
    EXPECT_LE(at + 6 + length, file.size());
    if (at + 6 + length > file.size()) break;
    out.push_back({static_cast<std::uint16_t>(le(file, at, 2)),
                   Bytes(file.begin() + static_cast<long>(at + 6),
                         file.begin() + static_cast<long>(at + 6 + length))});
    at += 6 + length;
  }
  EXPECT_EQ(at, file.size());
  return out;
}

class Toolkit : public testing::Test {
 protected:
  void SetUp() override {
    credentials_ = test::generateCredentials(kCredentialsSeed);
    const std::string text = credentials_.text();
    ASSERT_TRUE(test::writeFileBytes(dir_.file("creds.txt"), Bytes(text.begin(), text.end())));
    test::RawGeneratorOptions options;
    options.seed = 5;
    options.dataBytes = 2000;
    ASSERT_TRUE(test::writeFileBytes(dir_.file("in.raw"),
                                     test::rawFileBytes(test::generateRawFile(options))));
  }
  ProcessResult run(const std::vector<std::string>& arguments) const {
    return test::runOtawrap(dir_, arguments);
  }
  Bytes read(const std::string& name) const { return test::readFileBytes(dir_.file(name)); }
  void write(const std::string& name, const Bytes& bytes) const {
    ASSERT_TRUE(test::writeFileBytes(dir_.file(name), bytes));
  }
  void writeText(const std::string& name, const std::string& text) const {
    write(name, Bytes(text.begin(), text.end()));
  }
  // The signature sub-element closes the file and verifies under OpenSSL
  // with an independent AES-MMO of everything before it.
  void expectSignedByTestKey(const Bytes& file) const {
    ASSERT_GE(file.size(), 56u);
    const std::size_t at = file.size() - 56;
    EXPECT_EQ(le(file, at, 2), 0x0001u);
    test::Octets21 r{};
    test::Octets21 s{};
    std::copy_n(file.begin() + static_cast<long>(at) + 14, 21, r.begin());
    std::copy_n(file.begin() + static_cast<long>(at) + 35, 21, s.begin());
    EXPECT_TRUE(test::sslEcdsaVerify(test::opensslMmoHash(file.data(), at), r, s,
                                     credentials_.privateKey));
  }

  TempDirectory dir_;
  test::GeneratedCredentials credentials_;
};

TEST_F(Toolkit, BuildThenExtractGivesBackEveryPayload) {
  const std::uint16_t tags[] = {0x0000, 0x0004, 0x0007, 0x1234, 0xEFFF, 0xF000, 0xF00D, 0xFFFF};
  std::mt19937 rng(2027);
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(round);
    std::vector<Element> payloads(1 + rng() % 5);
    std::vector<std::string> arguments = {"build", "-m", hexUpper(rng() & 0xFFFF, 4), "-t",
                                          "0x" + hexUpper(rng() & 0xFFFF, 4), "-v",
                                          hexUpper(rng(), 8), "--output", "out.ota", "-q"};
    for (std::size_t i = 0; i < payloads.size(); ++i) {
      payloads[i].tag = tags[rng() % std::size(tags)];
      payloads[i].data.resize(rng() % 4 == 0 ? 0 : rng() % 5000);
      for (std::uint8_t& b : payloads[i].data) b = static_cast<std::uint8_t>(rng());
      const std::string name = "p" + std::to_string(i) + ".bin";
      write(name, payloads[i].data);
      arguments.push_back("--tag");
      // The tag as written varies: 0x prefix or not, shortest or padded.
      int digits = 1;
      while (digits < 4 && (payloads[i].tag >> (4 * digits)) != 0) ++digits;
      digits += static_cast<int>(rng() % static_cast<unsigned>(5 - digits));
      arguments.push_back((i % 2 ? "0x" : "") + hexUpper(payloads[i].tag, digits) + "=" + name);
    }
    const int seal = static_cast<int>(rng() % 3);  // none, integrity code, signature
    if (seal == 1) arguments.push_back("--integrity-code");
    if (seal == 2) arguments.insert(arguments.end(), {"-s", "creds.txt"});
    const bool fields = rng() % 2 == 0;
    if (fields) {
      arguments.insert(arguments.end(), {"--header-string", "round " + std::to_string(round),
                                         "--min-hw-version", "1", "--max-hw-version", "0x20",
                                         "--stack-version", "0x0001"});
    }
    const ProcessResult built = run(arguments);
    ASSERT_EQ(built.exitCode, 0) << built.errors;
    EXPECT_EQ(built.output, "");
    const Bytes file = read("out.ota");
    EXPECT_EQ(le(file, 0, 4), 0x0BEEF11Eu);
    EXPECT_EQ(le(file, 6, 2), fields ? 60u : 56u);
    EXPECT_EQ(le(file, 8, 2), fields ? 4u : 0u);
    EXPECT_EQ(le(file, 10, 2), std::stoul(arguments[2], nullptr, 16));
    EXPECT_EQ(le(file, 18, 2), fields ? 1u : 2u);
    EXPECT_EQ(le(file, 52, 4), file.size());

    std::vector<Element> expected = payloads;
    const std::vector<Element> found = elementsOf(file);
    if (seal == 1) {
      ASSERT_GE(file.size(), 22u);
      expected.push_back({0x0003, test::opensslMmoHash(file.data(), file.size() - 22)});
    }
    if (seal == 2) {
      expectSignedByTestKey(file);
      ASSERT_GE(found.size(), 2u);
      expected.push_back(found[found.size() - 2]);
      expected.push_back(found.back());
      EXPECT_EQ(found[found.size() - 2].tag, 0x0002u);
    }
    ASSERT_EQ(found.size(), expected.size());
    std::filesystem::remove_all(dir_.file("parts"));
    const ProcessResult all = run({"extract", "out.ota", "-o", "parts"});
    ASSERT_EQ(all.exitCode, 0) << all.errors;
    std::string listed;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(found[i].tag, expected[i].tag) << i;
      EXPECT_EQ(found[i].data, expected[i].data) << i;
      const std::string name = "parts/" + tagName(i, expected[i].tag);
      EXPECT_EQ(read(name), expected[i].data) << name;
      listed += name + "\n";
    }
    EXPECT_EQ(all.output, listed);
    EXPECT_EQ(tree(dir_.file("parts")).size(), expected.size());

    // --tag takes the first sub-element with the tag.
    const ProcessResult one =
        run({"extract", "out.ota", "--tag", hexUpper(payloads.back().tag, 4), "--output", "one"});
    ASSERT_EQ(one.exitCode, 0) << one.errors;
    const auto first = std::find_if(payloads.begin(), payloads.end(), [&](const Element& e) {
      return e.tag == payloads.back().tag;
    });
    EXPECT_EQ(read("one"), first->data);

    // Behind a vendor header (which may hold the identifier's first bytes) the same.
    Bytes prefixed = {0x1E, 0xF1, 0xEE, 0x00, 0x1E};
    prefixed.resize(5 + rng() % 60, 0x5A);
    prefixed.insert(prefixed.end(), file.begin(), file.end());
    write("vendor.ota", prefixed);
    const ProcessResult behind = run({"extract", "vendor.ota", "--tag",
                                      hexUpper(payloads.back().tag, 4), "--output", "two", "-q"});
    ASSERT_EQ(behind.exitCode, 0) << behind.errors;
    EXPECT_EQ(read("two"), first->data);
  }
}

TEST_F(Toolkit, BuildWritesUpToTheSizeLimitAndRefusesOneByteMore) {
  // A sparse payload: 64 MiB less the 56-byte header and the 6-byte head.
  const std::string payload = dir_.file("big.bin");
  write("big.bin", {});
  std::filesystem::resize_file(payload, kLimit - 62);
  const ProcessResult fits = run({"build", "-m1", "-t1", "-v1", "--tag", "F00D=big.bin"});
  ASSERT_EQ(fits.exitCode, 0) << fits.errors;
  EXPECT_EQ(std::filesystem::file_size(dir_.file("0001-0001-00000001.zigbee")), kLimit);
  std::filesystem::remove(dir_.file("0001-0001-00000001.zigbee"));

  std::filesystem::resize_file(payload, kLimit - 61);
  const ProcessResult over = run({"build", "-m1", "-t1", "-v1", "--tag", "F00D=big.bin"});
  EXPECT_EQ(over.exitCode, 2);
  EXPECT_EQ(over.errors, "otawrap: the OTA file would be larger than the 64 MiB limit\n");
  // The same payload split over two tags counts both heads.
  std::filesystem::resize_file(payload, kLimit - 62 - 6);
  write("empty.bin", {});
  const ProcessResult heads =
      run({"build", "-m1", "-t1", "-v1", "--tag", "F00D=big.bin", "--tag", "F00E=empty.bin",
           "--integrity-code"});
  EXPECT_EQ(heads.exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("0001-0001-00000001.zigbee")));
}

TEST_F(Toolkit, ConvertReadsIntelHexAsItsRawEquivalent) {
  write("extra.bin", {0xE1, 0xE2, 0xE3, 0xE4});
  const std::vector<std::vector<std::string>> variants = {
      {},
      {"--tag", "F00D=extra.bin", "--tag", "4=extra.bin", "--integrity-code"},
      {"-s", "creds.txt", "--tag", "0xFFFF=extra.bin", "-p", "marshdev"},
      {"-m", "1234", "-v", "0A0B0C0D", "--stack-version", "3", "--header-string", "hex"},
  };
  for (std::uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    test::RawGeneratorOptions options;
    options.seed = seed;
    options.dataBytes = 700 + seed * 211;
    const test::RawFileLayout layout = test::generateRawFile(options);
    write("app.raw", test::rawFileBytes(layout));
    writeText("app.hex", test::intelHexText(layout, seed));
    const std::vector<std::string>& extra = variants[seed % variants.size()];
    auto convert = [&](const std::string& input, const std::string& output) {
      std::vector<std::string> arguments = {"convert", input, "--output", output};
      arguments.insert(arguments.end(), extra.begin(), extra.end());
      const ProcessResult result = run(arguments);
      EXPECT_EQ(result.exitCode, 0) << result.errors;
      return read(output);
    };
    const Bytes fromRaw = convert("app.raw", "raw.ota");
    ASSERT_FALSE(fromRaw.empty());
    EXPECT_EQ(convert("app.hex", "hex.ota"), fromRaw);
    if (extra.empty()) {
      // Without the new options convert writes what the legacy form writes.
      std::filesystem::create_directory(dir_.file("leg"));
      ASSERT_EQ(run({"app.raw", "-oleg"}).exitCode, 0);
      EXPECT_EQ(read("leg/100B-0042-00010203.zigbee"), fromRaw);
      std::filesystem::remove_all(dir_.file("leg"));
    }
    if (extra.size() > 1 && extra[0] == "-s") expectSignedByTestKey(fromRaw);
    if (extra.size() > 1 && extra[0] == "--tag") {
      const std::vector<Element> elements = elementsOf(fromRaw);
      ASSERT_EQ(elements.size(), 4u);
      EXPECT_EQ(elements[1].tag, 0xF00Du);
      EXPECT_EQ(elements[2].tag, 0x0004u);
      EXPECT_EQ(elements[3].data, test::opensslMmoHash(fromRaw.data(), fromRaw.size() - 22));
    }
  }
}

TEST_F(Toolkit, IndexEntriesDescribeTheFiles) {
  ASSERT_EQ(run({"convert", "in.raw", "--output", "plain.ota"}).exitCode, 0);
  ASSERT_EQ(run({"convert", "in.raw", "--output", "fields.ota", "--header-string", "Lamp \"1\"",
                 "--min-hw-version", "2", "--max-hw-version", "7", "-v", "0xFFFFFFFE"})
                .exitCode,
            0);
  Bytes prefixed = {0x56, 0x45, 0x4E, 0x44, 0x00, 0x1E, 0xF1};  // a vendor header
  const Bytes plain = read("plain.ota");
  prefixed.insert(prefixed.end(), plain.begin(), plain.end());
  write("vendor.ota", prefixed);
  std::filesystem::create_directory(dir_.file("sub"));
  std::filesystem::copy_file(dir_.file("fields.ota"), dir_.file("sub/f.ota"));

  for (const bool prefix : {false, true}) {
    std::vector<std::string> arguments = {"index", "plain.ota", "sub/f.ota", "vendor.ota"};
    if (prefix) arguments.insert(arguments.end(), {"--url-prefix", "https://h/ota/"});
    const ProcessResult listed = run(arguments);
    ASSERT_EQ(listed.exitCode, 0) << listed.errors;
    const auto parsed = test::parseJson(listed.output);
    ASSERT_TRUE(parsed) << listed.output;
    ASSERT_EQ(parsed->items.size(), 3u);
    const char* names[] = {"plain.ota", "f.ota", "vendor.ota"};
    for (std::size_t i = 0; i < 3; ++i) {
      const test::JsonValue& e = parsed->items[i];
      const std::string path = arguments[1 + i];
      const Bytes file = read(path);
      const std::size_t at = i == 2 ? 7 : 0;  // the OTA file behind the vendor header
      const Bytes digest = test::opensslSha512(file.data(), file.size());
      EXPECT_EQ(e["fileName"].ascii(), names[i]);
      EXPECT_EQ(e["url"].ascii(), prefix ? std::string("https://h/ota/") + names[i] : path);
      EXPECT_EQ(e["fileSize"].number(), file.size());
      EXPECT_EQ(e["sha512"].ascii(), hexLowerOctets(digest.data(), digest.size()));
      EXPECT_EQ(e["manufacturerCode"].number(), le(file, at + 10, 2));
      EXPECT_EQ(e["imageType"].number(), le(file, at + 12, 2));
      EXPECT_EQ(e["fileVersion"].number(), le(file, at + 14, 4));
      EXPECT_EQ(e.has("otaHeaderString"), i == 1);
      EXPECT_EQ(e.has("hardwareVersionMin"), i == 1);
      EXPECT_EQ(e.members.size(), i == 1 ? 10u : 7u);
    }
    EXPECT_EQ(parsed->items[1]["otaHeaderString"].ascii(), "Lamp \"1\"");
    EXPECT_EQ(parsed->items[1]["hardwareVersionMin"].number(), 2u);
    EXPECT_EQ(parsed->items[1]["hardwareVersionMax"].number(), 7u);
    EXPECT_EQ(parsed->items[1]["fileVersion"].number(), 0xFFFFFFFEu);
  }
}

// diff prints only what differs: 0 same, 1 different, 2 unreadable.
TEST_F(Toolkit, DiffPrintsOnlyWhatDiffers) {
  write("p.bin", Bytes(300, 'p'));
  write("q.bin", Bytes(301, 'q'));
  write("g.bin", {0xEB, 0x17, 0xA6, 0x03, 0, 0, 0, 0});
  const std::vector<std::string> ids = {"build", "-m1", "-t2", "-v3", "--force", "--tag", "0=p.bin"};
  const struct {
    const char* name;
    std::vector<std::string> more;
  } files[] = {
      {"a.ota", {"--tag", "F000=p.bin"}},
      {"v4.ota", {"--tag", "F000=p.bin", "--file-version", "4"}},
      {"added.ota", {"--tag", "F000=p.bin", "--tag", "F001=p.bin"}},
      {"resized.ota", {"--tag", "F000=q.bin"}},
      {"signed.ota", {"--tag", "F000=p.bin", "-s", "creds.txt"}},
  };
  for (const auto& f : files) {
    std::vector<std::string> arguments = ids;
    arguments.insert(arguments.end(), f.more.begin(), f.more.end());
    if (std::string(f.name) == "v4.ota") arguments.erase(arguments.begin() + 3);
    arguments.insert(arguments.end(), {"--output", f.name});
    ASSERT_EQ(run(arguments).exitCode, 0) << f.name;
  }
  ASSERT_EQ(run({"build", "-m1", "-t2", "-v3", "--force", "--tag", "0=g.bin", "--tag", "F000=p.bin",
                 "--output", "gbl.ota"}).exitCode, 0);
  const std::string head = "--- a.ota\n+++ ";
  const struct {
    const char* other;
    int exitCode;
    std::vector<std::string> lines;  // each must be printed
  } cases[] = {
      {"a.ota", 0, {"no difference\n"}},
      {"v4.ota", 1, {"File version: 0x00000003 -> 0x00000004\n"}},
      {"added.ota", 1, {"Sub-element 2: (none) -> 0xF001 (manufacturer specific), 300 bytes\n",
                        "Sub-elements: 2 -> 3\n"}},
      {"resized.ota", 1, {"Sub-element 1: 0xF000 (manufacturer specific), 300 bytes -> 0xF000 "
                          "(manufacturer specific), 301 bytes\n"}},
      {"gbl.ota", 1, {"Payload 0: "}},
      {"signed.ota", 1, {"Signer: (none) -> ", "Certificate: (none) -> "}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.other);
    const ProcessResult result = run({"diff", "a.ota", c.other});
    EXPECT_EQ(result.exitCode, c.exitCode) << result.errors;
    EXPECT_EQ(result.output.rfind(head + c.other + "\n", 0), 0u) << result.output;
    for (const std::string& line : c.lines) {
      EXPECT_NE(result.output.find(line), std::string::npos) << result.output;
    }
    const ProcessResult json = run({"diff", "a.ota", c.other, "--json"});
    EXPECT_EQ(json.exitCode, c.exitCode);
    EXPECT_NE(json.output.find(c.exitCode == 0 ? "\"same\":true" : "\"same\":false"), std::string::npos);
  }
  const ProcessResult missing = run({"diff", "a.ota", "none.ota"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_EQ(missing.output, "");
  EXPECT_EQ(missing.errors, "otawrap: cannot open input file 'none.ota': No such file or directory\n");
  EXPECT_EQ(run({"diff", "a.ota", "in.raw"}).exitCode, 1);
}

TEST_F(Toolkit, RefusalsNameTheFileExitAsDocumentedAndWriteNothing) {
  ASSERT_EQ(run({"convert", "in.raw", "--output", "ok.ota"}).exitCode, 0);
  Bytes cut = read("ok.ota");
  cut.resize(cut.size() - 10);
  write("cut.ota", cut);
  write("p.bin", {1, 2, 3});
  // A GBL payload cut short: every command that reads it judges it alike.
  write("g.bin", {0xEB, 0x17, 0xA6, 0x03, 0, 0, 0, 0});
  ASSERT_EQ(run({"build", "-m1", "-t2", "-v3", "--tag", "0=g.bin", "--force", "--output", "gbl.ota"})
                .exitCode,
            0);
  write("app.elf", {0x7F, 'E', 'L', 'F', 2, 1, 1, 0});
  writeText("bad.hex", "\n:020000040000FA\r\n:0100000001FF\n:00000001FF\n");
  writeText("short.hex", ":0100000001FE\n:0100010002\n:00000001FF\n");
  writeText("open.hex", ":0100000001FE\n");
  writeText("later.hex", ":00000001FF\n:0100000001FE\n");
  std::filesystem::create_directory(dir_.file("d"));
  std::filesystem::create_directory(dir_.file("kept"));
  write("kept/00-0000.bin", {9});
  const std::string kBuild = "Try 'otawrap build --help'.\n";
  const std::string kExtract = "Try 'otawrap extract --help'.\n";
  const std::vector<std::string> kIds = {"build", "-m1", "-t1", "-v1"};
  auto withIds = [&](std::vector<std::string> more) {
    std::vector<std::string> all = kIds;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const struct {
    std::vector<std::string> arguments;
    int exitCode;
    std::string errors;
  } cases[] = {
      {{"build", "-t1", "-v1", "--tag", "0=p.bin"}, 2,
       "otawrap: missing --manufacturer\n" + kBuild},
      {withIds({}), 2, "otawrap: missing --tag: at least one payload is needed\n" + kBuild},
      {withIds({"--tag", "1=p.bin"}), 2,
       "otawrap: tag 0x0001 for --tag is written by otawrap itself (signature and certificate: "
       "--credentials; integrity code: --integrity-code)\n" + kBuild},
      {withIds({"--tag", "0x3=p.bin"}), 2,
       "otawrap: tag 0x0003 for --tag is written by otawrap itself (signature and certificate: "
       "--credentials; integrity code: --integrity-code)\n" + kBuild},
      {withIds({"--tag", "6=p.bin"}), 2,
       "otawrap: tag 0x0006 for --tag is written by otawrap itself (signature and certificate: "
       "--credentials; integrity code: --integrity-code)\n" + kBuild},
      {withIds({"--tag", "10000=p.bin"}), 2,
       "otawrap: invalid tag '10000' for --tag: 1 to 4 hex digits expected\n" + kBuild},
      {withIds({"--tag", "F000"}), 2,
       "otawrap: invalid value 'F000' for --tag: TAG=FILE expected\n" + kBuild},
      {withIds({"--tag", "F000=p.bin", "--tag", "F001=none.bin"}), 2,
       "otawrap: cannot read payload file 'none.bin': No such file or directory\n"},
      {withIds({"--tag", "F000=d"}), 2, "otawrap: cannot read payload file 'd': Is a directory\n"},
      {withIds({"--tag", "0=p.bin", "-s", "creds.txt", "--integrity-code"}), 2,
       "otawrap: --credentials and --integrity-code exclude each other\n" + kBuild},
      {withIds({"--tag", "0=p.bin", "-s", "none.txt"}), 2,
       "otawrap: cannot open credentials file 'none.txt': No such file or directory\n"},
      {withIds({"--tag", "0=p.bin", "--output", "x", "-o", "d"}), 2,
       "otawrap: --output and --output-dir exclude each other\n" + kBuild},
      {withIds({"--tag", "0=p.bin", "--output", "no/such/x"}), 2,
       "otawrap: cannot create output file 'no/such/x': No such file or directory\n"},
      {{"convert", "bad.hex"}, 2, "otawrap: bad.hex:3: checksum mismatch\n"},
      {{"convert", "short.hex"}, 2, "otawrap: short.hex:2: wrong record length\n"},
      {{"convert", "open.hex"}, 2, "otawrap: open.hex:1: no end-of-file record\n"},
      {{"convert", "later.hex"}, 2, "otawrap: later.hex:2: data after the end-of-file record\n"},
      {{"convert", "ok.ota"}, 2,
       "otawrap: input file 'ok.ota' is already an OTA file; see 'otawrap info'\n"},
      {{"convert", "app.elf"}, 2,
       "otawrap: input file 'app.elf' is an ELF file; convert it to a raw binary or Intel HEX "
       "file first\n"},
      {{"convert", "in.raw", "--input-format", "ihex"}, 2,
       "otawrap: in.raw:1: line does not start with ':'\n"},
      {{"convert", "in.raw", "--input-format", "hex"}, 2,
       "otawrap: invalid value 'hex' for --input-format: raw or ihex expected\n"
       "Try 'otawrap convert --help'.\n"},
      {{"convert", "in.raw", "--tag", "2=p.bin"}, 2,
       "otawrap: tag 0x0002 for --tag is written by otawrap itself (signature and certificate: "
       "--credentials; integrity code: --integrity-code)\nTry 'otawrap convert --help'.\n"},
      {{"convert", "in.raw", "--tag", "F000=none.bin"}, 2,
       "otawrap: cannot read payload file 'none.bin': No such file or directory\n"},
      {{"convert", "in.raw", "--integrity-code", "-s", "creds.txt"}, 2,
       "otawrap: --credentials and --integrity-code exclude each other\n"
       "Try 'otawrap convert --help'.\n"},
      {{"extract", "ok.ota", "--tag", "F002", "--output", "x"}, 2,
       "otawrap: file 'ok.ota' has no sub-element with tag 0xF002\n"},
      {{"extract", "cut.ota", "-o", "parts"}, 2,
       "otawrap: file 'cut.ota': total image size failed: total image size differs from the "
       "file size\n"},
      {{"extract", "cut.ota", "-o", "parts", "--force"}, 2,
       "otawrap: file 'cut.ota': sub-element chain failed: sub-element runs past the end of "
       "the file\n"},
      {{"extract", "in.raw", "-o", "parts"}, 2,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"extract", "none.ota", "-o", "parts"}, 2,
       "otawrap: cannot open input file 'none.ota': No such file or directory\n"},
      {{"extract", "ok.ota", "-o", "p.bin/sub"}, 2,
       "otawrap: cannot create output directory 'p.bin/sub/': Not a directory\n"},
      {{"extract", "ok.ota", "--tag", "0"}, 2, "otawrap: --tag and --output go together\n" + kExtract},
      {{"extract", "ok.ota"}, 2,
       "otawrap: missing --tag TAG --output FILE or --output-dir DIR\n" + kExtract},
      {{"extract", "ok.ota", "--tag", "0", "--output", "x", "-o", "d"}, 2,
       "otawrap: --output-dir extracts every sub-element; not with --tag or --output\n" +
           kExtract},
      {{"extract", "ok.ota", "-o", "kept"}, 2,
       "otawrap: output file 'kept/00-0000.bin' exists; extract into a new or empty "
       "directory\n"},
      {{"index", "ok.ota", "cut.ota"}, 1,
       "otawrap: file 'cut.ota': total image size failed: total image size differs from the "
       "file size\n"},
      // Not an OTA file: one message, the exit code of the command's kind.
      {{"index", "ok.ota", "in.raw"}, 1,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"info", "in.raw"}, 1,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"verify", "in.raw", "-s", "creds.txt"}, 1,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"normalize", "in.raw", "--output", "n.ota"}, 2,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      {{"restamp", "in.raw", "-v", "2", "--output", "r.ota"}, 2,
       "otawrap: 'in.raw' is not an OTA file: no OTA file identifier (0x0BEEF11E)\n"},
      // A payload that fails its check is refused by every command that needs a sound file.
      {{"index", "gbl.ota"}, 1, "otawrap: file 'gbl.ota': payload check failed: GBL, truncated\n"},
      {{"normalize", "gbl.ota", "--output", "n.ota"}, 2,
       "otawrap: file 'gbl.ota': payload check failed: GBL, truncated\n"},
      {{"restamp", "gbl.ota", "-v", "4", "--output", "r.ota"}, 2,
       "otawrap: file 'gbl.ota': payload check failed: GBL, truncated\n"},
      {{"extract", "gbl.ota", "-o", "parts"}, 2,
       "otawrap: file 'gbl.ota': payload check failed: GBL, truncated\n"},
      {{"index", "none.ota"}, 2,
       "otawrap: cannot open input file 'none.ota': No such file or directory\n"},
      {{"index", "ok.ota", "--url-prefix"}, 2,
       "otawrap: option --url-prefix needs a value\nTry 'otawrap index --help'.\n"},
  };
  const std::vector<std::string> before = tree(dir_.path());
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.arguments) line += a + " ";
    SCOPED_TRACE(line);
    const ProcessResult result = run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errors, c.errors);
    EXPECT_EQ(tree(dir_.path()), before);
  }
}

}  // namespace
}  // namespace otawrap
