// Writes the differential cases (Windows/Linux under Wine, and each foreign
// Linux build under qemu-user) into a directory:
//   <dir>/in/...      raw files, credentials files and OTA files the cases read
//   <dir>/cases.txt   one command per line: case name, expectation, arguments,
//                     separated by the byte 0x1F (so empty arguments survive)
// Lines with the same case name run one after another in the same working
// directory <dir>/run/<side>/<case>/, which starts with an empty out/. Input
// paths are relative to that directory. The argument "@output" stands for the
// one file the case has written into out/ (see run_differential.sh).
// Expectations: "same" (identical files, messages and exit codes, byte for
// byte), "usage" (the same, except that the legacy usage text or hint the
// step prints ends its lines in CR LF under Windows: the legacy form keeps the
// platform's text mode; cases named usage-* or hint-*), "path" (the same, except that a path
// the step prints has '\' for its last '/' under Windows, escaped as "\\" in
// JSON) or "star" (the Linux build writes a name with '*', which Windows
// cannot create: the Windows build must fail with no file left). Between two
// Linux builds every expectation means "same". The groups of cases are the
// subjects below and in case_writer.h; add a case to its subject, or a new
// subject function called from main.
//
//   otawrap_make_windows_cases DIR
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "ota/ota_file_builder.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"
#include "support/test_ca.h"
#include "support/vector_file.h"
#include "windows/case_writer.h"

namespace {

using otawrap::test::Bytes;
using otawrap::test::cases::Args;
using otawrap::test::cases::CaseWriter;
using otawrap::test::cases::hex;
using otawrap::test::cases::kIn;
using otawrap::test::cases::raw;
using otawrap::test::cases::Signer;

std::vector<Signer> writeSigners(CaseWriter& w, std::string& caKeyHex) {
  otawrap::test::TestCertificateAuthority ca(4711);
  const std::vector<std::uint8_t> caKey = ca.publicKeyCompressed();
  caKeyHex = otawrap::test::bytesToHex(caKey.data(), caKey.size());
  std::vector<Signer> signers;
  for (std::uint8_t k = 0; k < 2; ++k) {
    const std::array<std::uint8_t, 8> subject = {0x00, 0x0D, 0x6F, 0x00, 0x00, 0x12, 0x34, k};
    const otawrap::test::IssuedCredentials issued = ca.issue(subject);
    const std::string text =
        "IEEE Address: " + otawrap::test::bytesToHex(subject.data(), subject.size()) +
        "\nDevice Private Key: " + otawrap::test::bytesToHex(issued.privateKey.data(), 21) +
        "\nDevice Implicit Cert: " +
        otawrap::test::bytesToHex(issued.certificate.data(), issued.certificate.size()) + "\n";
    signers.push_back({w.input("ca-signer-" + std::to_string(k) + ".txt", text), true});
  }
  for (std::uint32_t seed : {7U, 8U}) {
    signers.push_back({w.input("signer-" + std::to_string(seed) + ".txt",
                               otawrap::test::generateCredentials(seed).text()),
                       false});
  }
  return signers;
}

// The bulk: generated raw files across the platforms, unsigned and signed,
// with and without the optional header fields and identifier options, each
// converted, then inspected and (when signed) verified.
void conversionCases(CaseWriter& w, const std::vector<Signer>& signers,
                     const std::string& caKeyHex) {
  static const char* const kPlatforms[] = {nullptr, "-pQUILLDEV", "-pMARSHDEV", "-pFENBOARD"};
  static const char* const kHeaderStrings[] = {"firmware", "", "with spaces and \"quotes\"",
                                               "exactly thirty-two bytes long..."};
  for (std::uint32_t i = 0; i < 200; ++i) {
    const std::string name = "convert-" + std::to_string(i);
    const auto manufacturer = static_cast<std::uint16_t>(0x1000 + i * 37);
    const auto type = static_cast<std::uint16_t>(i * 101);
    const std::uint32_t version = 0x00010000U + i * 0x10101U;
    const std::string input = w.input(name + ".raw", raw(1000 + i, 200 + (i * 997) % 20000,
                                                         manufacturer, type, version, i % 3 != 0));
    Args args = {input, "-oout"};
    if (kPlatforms[i % 4] != nullptr) args.emplace_back(kPlatforms[i % 4]);
    const bool signing = (i / 4) % 2 == 1;
    const Signer& signer = signers[i % signers.size()];
    if (signing) args.push_back("-s" + signer.path);
    if ((i / 8) % 2 == 1) {
      args.insert(args.end(), {"--header-string", kHeaderStrings[i % 4]});
      if (i % 3 == 0)
        args.insert(args.end(), {"--security-credential-version", std::to_string(i % 256)});
      if (i % 5 != 0)
        args.insert(args.end(), {"--destination", hex(0x0011223344556677ULL + i, 16)});
      if (i % 2 == 0)
        args.insert(args.end(), {"--min-hw-version", "1", "--max-hw-version", hex(i, 4)});
    }
    switch ((i / 16) % 3) {
      case 1:  // full values in either case
        args.insert(args.end(),
                    {"-m" + hex(manufacturer, 4), "-T" + hex(type, 4), "-v0x" + hex(version, 8)});
        break;
      case 2:  // the lax legacy forms: left-aligned short values, a space
        args.insert(args.end(), {"-m" + hex(i % 16, 1), "-t 2A", "-V" + hex(i, 3)});
        break;
      default:  // identifiers from the file
        break;
    }
    if (i % 50 == 49) args.emplace_back("-n");
    w.step(name, args);
    if (i % 2 == 0) w.step(name, {"--info", "@output"});
    if (i % 4 == 1) w.step(name, {"--info", "@output", "--json"});
    if (signing) {
      w.step(name, {"--verify", "@output", "-s" + signer.path});
      if (signer.fromCa) w.step(name, {"--verify", "@output", "--ca-key", caKeyHex, "--json"});
      if (i % 8 == 5)
        w.step(name, {"--verify", "@output", "-s" + signers[(i + 1) % signers.size()].path});
    }
  }
}

// Names with '*' (identifier all ones): written on Linux, impossible on
// Windows.
void starNameCases(CaseWriter& w) {
  const std::string input = w.input("star.raw", raw(77, 1000, 0x100B, 0x0042, 0x00010203, false));
  w.step("star-manufacturer", {input, "-oout", "-mFFFF"}, "star");
  w.step("star-type", {input, "-oout", "-tFFFF"}, "star");
  w.step("star-version", {input, "-oout", "-vFFFFFFFF"}, "star");
  w.step("star-all", {input, "-oout", "-mFFFF", "-tFFFF", "-vFFFFFFFF"}, "star");
}

// Every error of the legacy form, the usage text, and the output paths.
void legacyErrorCases(CaseWriter& w, const std::vector<Signer>& signers) {
  const std::string good = w.input("good.raw", raw(5, 3000, 0x100B, 0x0042, 0x00010203, true));
  Bytes truncated = raw(6, 3000, 0x100B, 0x0042, 0x00010203, false);
  truncated.resize(truncated.size() - 40);
  const std::string truncatedPath = w.input("truncated.raw", truncated);
  const std::string tiny =
      w.input("tiny.raw", otawrap::test::rawFileBytes({{{0, Bytes(16, 1)}}, {}}));
  const std::string large = w.input("large.raw", raw(9, 600000, 0x100B, 0x0042, 0x00010203, false));
  const std::string notRaw = w.input("not-raw.raw", std::string("hello, world\n"));
  const std::string empty = w.input("empty.raw", Bytes{});
  const std::string signer = signers[0].path;

  const std::vector<std::pair<std::string, Args>> cases = {
      {"usage-none", {}},
      {"usage-dash-first", {"-x"}},
      {"usage-unknown-letter", {good, "-x"}},
      {"usage-unknown-long", {good, "--bogus"}},
      {"help", {"--help"}},
      {"version", {"--version"}},
      {"missing-input", {kIn + "no-such.raw", "-oout"}},
      {"truncated-input", {truncatedPath, "-oout"}},
      {"tiny-input", {tiny, "-oout"}},
      {"large-input", {large, "-oout"}},
      {"not-raw-input", {notRaw, "-oout"}},
      {"empty-input", {empty, "-oout"}},
      {"bad-platform", {good, "-oout", "-pquilldev"}},
      {"missing-output-dir", {good, "-ono-such-dir"}},
      {"nested-output-dir", {good, "-oout", "-onested"}},
      {"quoted-output-dir", {good, "-o\"out"}},
      {"output-path-too-long", {good, "-o" + std::string(1030, 'd')}},
      {"output-name-too-long", {good, "-o" + std::string(1000, 'd')}},
      {"hint-input-name-too-long", {std::string(1024, 'i')}},
      {"no-image", {kIn + "no-such.raw", "-oout", "-n", "-m100B", "-t0042", "-v1"}},
      {"no-image-signed", {good, "-oout", "-n", "-s" + signer}},
      {"credentials-missing", {good, "-oout", "-s" + kIn + "no-such.txt"}},
      {"header-string-too-long", {good, "-oout", "--header-string", std::string(33, 'h')}},
      {"header-string-missing", {good, "-oout", "--header-string"}},
      {"security-version-bad", {good, "-oout", "--security-credential-version", "256"}},
      {"security-version-hex", {good, "-oout", "--security-credential-version", "0xFF"}},
      {"destination-short", {good, "-oout", "--destination", "0011"}},
      {"destination-bad", {good, "-oout", "--destination", "00112233445566GG"}},
      {"hw-version-bad", {good, "-oout", "--min-hw-version", "12345", "--max-hw-version", "1"}},
      {"hw-version-half", {good, "-oout", "--min-hw-version", "1"}},
      {"hw-version-order", {good, "-oout", "--min-hw-version", "2", "--max-hw-version", "1"}},
      // UTF-8 beyond any Windows ANSI code page, in an argument and a file
      // name.
      {"utf8-header-string", {good, "-oout", "--header-string", u8"caf\u00e9 \u2603 \u4e2d"}},
      {"utf8-file-name",
       {w.input(u8"snow-\u2603.raw", otawrap::test::readFileBytes(w.dir() + "/in/good.raw")),
        u8"-oout-\u00e9"}},
      {"utf8-output-dir", {good, u8"-oout-\u00e9"}},
  };
  for (const auto& c : cases) {
    const bool legacyLines = c.first.compare(0, 6, "usage-") == 0 || c.first.compare(0, 5, "hint-") == 0;
    w.step(c.first, c.second, legacyLines ? "usage" : "same");
  }

  // Credentials files: each way to be invalid, and the size limit.
  const std::string valid = otawrap::test::generateCredentials(11).text();
  const std::string limitLf = valid + std::string(1023 - valid.size(), '\n');
  const std::vector<std::pair<std::string, std::string>> credentials = {
      {"empty", ""},
      {"no-key-label", "IEEE Address: 0011223344556677\n"},
      {"bad-hex", "IEEE Address: 00112233445566ZZ\nDevice Private Key: 01\n"},
      {"zero-key", "IEEE Address: 0011223344556677\nDevice Private Key: " + std::string(42, '0') +
                       "\nDevice Implicit Cert: " + std::string(96, 'A') + "\n"},
      {"limit-lf", limitLf},
      {"over-limit-lf", limitLf + "\n"},
      {"nul-byte", std::string("IEEE Address: 00\0"
                               "11223344556677\n",
                               32) +
                       valid},
  };
  for (const auto& c : credentials) {
    const std::string path = w.input("credentials-" + c.first + ".txt", c.second);
    w.step("credentials-" + c.first, {good, "-oout", "-s" + path});
    w.step("credentials-" + c.first, {"--verify", kIn + "no-such.zigbee", "-s" + path});
  }
  // 1,024 bytes with CR LF line ends: one over the limit on every platform.
  std::string crlf;
  for (char c : valid) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  w.step("credentials-limit-crlf", {good, "-oout",
                                    "-s" + w.input("credentials-limit-crlf.txt",
                                                   crlf + std::string(1024 - crlf.size(), ' '))});
}

// --info and --verify on hand-built OTA files, and their argument errors.
void inspectionCases(CaseWriter& w, const std::string& caKeyHex) {
  using otawrap::test::builtImage;
  using otawrap::test::builtOtaFile;
  const Bytes image = builtImage(0x300, 0x120);
  otawrap::test::BuiltHeaderFields allFields;
  allFields.fieldControl = 7;
  Bytes badMagic = builtOtaFile({{0x0000, image}});
  badMagic[0] ^= 1;
  Bytes badCrc = builtOtaFile({{0x0000, image}});
  badCrc[badCrc.size() - 1] ^= 0x40;
  Bytes truncated = builtOtaFile({{0x0000, image}});
  truncated.resize(truncated.size() - 7);
  Bytes trailing = builtOtaFile({{0x0000, image}});
  trailing.push_back(0);
  Bytes wrongSize = builtOtaFile({{0x0000, image}});
  otawrap::test::putLe(wrongSize, 52, wrongSize.size() + 1, 4);

  const std::vector<std::pair<std::string, Bytes>> files = {
      {"plain", builtOtaFile({{0x0000, image}})},
      {"all-fields", builtOtaFile({{0x0000, image}}, allFields)},
      {"signed-layout",
       builtOtaFile(
           {{0x0000, image}, otawrap::test::builtCertificate(), otawrap::test::builtSignature()})},
      {"short-signature", builtOtaFile({{0x0000, image},
                                        otawrap::test::builtCertificate(),
                                        otawrap::test::builtSignature(49)})},
      {"no-image", builtOtaFile({})},
      {"bad-magic", badMagic},
      {"bad-crc", badCrc},
      {"truncated", truncated},
      {"trailing-byte", trailing},
      {"wrong-total-size", wrongSize},
      {"header-only", Bytes(badMagic.begin(), badMagic.begin() + 20)},
      {"empty", {}},
  };
  const std::string& wrongKey = caKeyHex;  // a valid point, but no file is signed with it
  for (const auto& f : files) {
    const std::string path = w.input("ota-" + f.first + ".zigbee", f.second);
    const std::string name = "inspect-" + f.first;
    w.step(name, {"--info", path});
    w.step(name, {"--info", "--json", path});
    w.step(name, {"--verify", path, "--ca-key", caKeyHex});
    w.step(name, {"--verify", path, "--public-key", wrongKey, "--json"});
  }
  const std::string plain = kIn + "ota-plain.zigbee";
  const std::vector<std::pair<std::string, Args>> cases = {
      {"info-missing-file", {"--info"}},
      {"info-no-such-file", {"--info", kIn + "no-such.zigbee"}},
      {"info-two-files", {"--info", plain, plain}},
      {"info-unknown-option", {"--info", plain, "--text"}},
      {"verify-no-key", {"--verify", plain}},
      {"verify-two-keys", {"--verify", plain, "--ca-key", caKeyHex, "--public-key", caKeyHex}},
      {"verify-public-key-missing", {"--verify", plain, "--public-key"}},
      {"verify-ca-key-missing", {"--verify", plain, "--ca-key"}},
      {"verify-key-odd", {"--verify", plain, "--public-key", "0x123"}},
      {"verify-key-length", {"--verify", plain, "--public-key", "0203"}},
      {"verify-key-prefix", {"--verify", plain, "--public-key", "05" + std::string(42, '1')}},
      {"verify-key-not-field", {"--verify", plain, "--public-key", "02FF" + std::string(40, 'F')}},
      {"verify-ca-key-bad", {"--verify", plain, "--ca-key", "04" + std::string(84, '0')}},
      {"verify-no-such-file", {"--verify", kIn + "no-such.zigbee", "--ca-key", caKeyHex}},
  };
  for (const auto& c : cases) w.step(c.first, c.second);
}

// The subcommands: convert's outputs and options, its usage and input errors
// (those with the system's reason included), info and verify in both forms,
// help and version. Their output is LF-only on every platform.
void subcommandCases(CaseWriter& w, const std::vector<Signer>& signers,
                     const std::string& caKeyHex) {
  const std::string in = w.input("sub.raw", raw(21, 5000, 0x100B, 0x0042, 0x00010203, true));
  const std::string signer = signers[0].path;
  const std::string dir = kIn.substr(0, kIn.size() - 1);  // a directory, not a file
  const std::vector<std::tuple<std::string, Args, const char*>> cases = {
      // Outputs: the default name in the working directory, -o creating its
      // parents, --output, --json, -q.
      {"sub-convert-default", {"convert", in}, "same"},
      {"sub-convert-dir-parents", {"convert", in, "-o", "out/a/b"}, "path"},
      {"sub-convert-dir-long", {"convert", "--output-dir=out/c", in}, "path"},
      {"sub-convert-dir-slash", {"convert", in, "-oout/d/"}, "same"},
      {"sub-convert-output", {"convert", in, "--output", "out/named.ota"}, "same"},
      {"sub-convert-json", {"convert", in, "--output", "out/j.zigbee", "--json"}, "same"},
      {"sub-convert-json-dir", {"convert", in, "-o", "out", "--json"}, "path"},
      {"sub-convert-quiet", {"convert", "-q", in, "-o", "out"}, "same"},
      {"sub-convert-signed", {"convert", in, "-s", signer, "-o", "out"}, "path"},
      {"sub-convert-signed-long",
       {"convert", in, "--credentials=" + signer, "--output", "out/s.zigbee", "--json"},
       "same"},
      {"sub-convert-fields",
       {"convert",
        in,
        "--output",
        "out/f.zigbee",
        "-m",
        "0x100b",
        "--image-type",
        "2A",
        "-v",
        "10203",
        "-p",
        "marshdev",
        "--header-string",
        "sub",
        "--security-credential-version=0x12",
        "--destination",
        "0011223344556677",
        "--min-hw-version",
        "1",
        "--max-hw-version",
        "0x20"},
       "same"},
      {"sub-convert-no-image",
       {"convert", kIn + "no-such.raw", "-n", "-m", "1", "-t", "2", "-v", "3", "-o", "out"},
       "path"},
      {"sub-convert-end-of-options", {"convert", "-o", "out", "--", in}, "path"},
      {"sub-convert-star", {"convert", in, "-o", "out", "-m", "FFFF"}, "star"},
      // Usage errors, one of each kind.
      {"sub-usage-no-operand", {"convert"}, "same"},
      {"sub-usage-two-operands", {"convert", in, in}, "same"},
      {"sub-usage-unknown-short", {"convert", in, "-x"}, "same"},
      {"sub-usage-unknown-long", {"convert", in, "--bogus"}, "same"},
      {"sub-usage-missing-value", {"convert", in, "-o"}, "same"},
      {"sub-usage-flag-value", {"convert", in, "--json=yes"}, "same"},
      {"sub-usage-repeated", {"convert", in, "--output", "a", "--output", "b"}, "same"},
      {"sub-usage-empty-dir", {"convert", in, "--output-dir="}, "same"},
      {"sub-usage-empty-output", {"convert", in, "--output", ""}, "same"},
      {"sub-usage-output-and-dir", {"convert", in, "--output", "a", "-o", "out"}, "same"},
      {"sub-usage-bad-id", {"convert", in, "-m", "10GB"}, "same"},
      {"sub-usage-long-id", {"convert", in, "-t", "12345"}, "same"},
      {"sub-usage-long-version", {"convert", in, "-v", "123456789"}, "same"},
      {"sub-usage-platform", {"convert", in, "-p", "nosuch"}, "same"},
      {"sub-usage-header-string", {"convert", in, "--header-string", std::string(33, 'h')}, "same"},
      {"sub-usage-hw-half", {"convert", in, "--max-hw-version", "1"}, "same"},
      {"sub-usage-security", {"convert", in, "--security-credential-version", "256"}, "same"},
      {"sub-usage-destination", {"convert", in, "--destination", "0011"}, "same"},
      {"sub-usage-input-too-long", {"convert", std::string(1024, 'i')}, "same"},
      {"sub-usage-info-two", {"info", in, in}, "same"},
      {"sub-usage-verify-no-key", {"verify", in}, "same"},
      {"sub-usage-help-two", {"help", "convert", "info"}, "same"},
      {"sub-usage-help-unknown", {"help", "bogus"}, "same"},
      {"sub-usage-version-operand", {"version", "x"}, "same"},
      {"sub-reserved", {"build"}, "same"},
      // Input and output errors that carry the system's reason.
      {"sub-error-no-input", {"convert", kIn + "no-such.raw", "-o", "out"}, "same"},
      {"sub-error-input-dir", {"convert", dir, "-o", "out"}, "same"},
      {"sub-error-no-credentials", {"convert", in, "-s", kIn + "no-such.txt", "-o", "out"}, "same"},
      {"sub-error-credentials-dir", {"convert", in, "-s", dir, "-o", "out"}, "same"},
      {"sub-error-dir-is-file", {"convert", in, "-o", in}, "path"},
      {"sub-error-dir-under-file", {"convert", in, "-o", in + "/sub"}, "path"},
      {"sub-error-output-no-dir", {"convert", in, "--output", "no-such-dir/x.zigbee"}, "same"},
      {"sub-error-output-is-dir", {"convert", in, "--output", "out"}, "same"},
      {"sub-error-not-raw", {"convert", kIn + "not-raw.raw", "-o", "out"}, "same"},
      {"sub-error-info-missing", {"info", kIn + "no-such.zigbee"}, "same"},
      {"sub-error-info-dir", {"info", dir}, "same"},
      {"sub-error-verify-missing", {"verify", kIn + "no-such.zigbee", "-s", signer}, "same"},
      {"sub-error-verify-credentials",
       {"verify", in, "--credentials", kIn + "no-such.txt"},
       "same"},
      // help and version in every spelling.
      {"sub-help", {"help"}, "same"},
      {"sub-help-convert", {"help", "convert"}, "same"},
      {"sub-help-info", {"info", "--help"}, "same"},
      {"sub-help-verify", {"verify", "-h"}, "same"},
      {"sub-help-help", {"help", "help"}, "same"},
      {"sub-help-version", {"--help", "version"}, "same"},
      {"sub-version", {"version"}, "same"},
      {"sub-version-alias", {"--version"}, "same"},
  };
  for (const auto& c : cases) w.step(std::get<0>(c), std::get<1>(c), std::get<2>(c));

  // info and verify, text and JSON, on a signed output and on a copy with a
  // flipped byte (exit 1).
  const std::string name = "sub-inspect";
  w.step(name, {"convert", in, "--output", "out/signed.zigbee", "-s", signers[2].path});
  const std::string ca = "sub-inspect-ca";
  w.step(ca, {"convert", in, "--output", "out/signed.zigbee", "-s", signers[1].path});
  for (const std::string& n : {name, ca}) {
    w.step(n, {"info", "out/signed.zigbee"});
    w.step(n, {"info", "--json", "out/signed.zigbee"});
  }
  w.step(name, {"verify", "out/signed.zigbee", "--credentials", signers[2].path});
  w.step(name, {"verify", "out/signed.zigbee", "-s", signers[2].path, "--json"});
  w.step(name, {"verify", "out/signed.zigbee", "-s", signers[3].path});
  w.step(ca, {"verify", "out/signed.zigbee", "--ca-key", caKeyHex});
  w.step(ca, {"verify", "--json", "out/signed.zigbee", "--ca-key=" + caKeyHex});
  Bytes damaged = otawrap::test::builtOtaFile({{0x0000, otawrap::test::builtImage(0x300, 0x120)}});
  damaged[damaged.size() / 2] ^= 0x10;
  const std::string damagedPath = w.input("sub-damaged.zigbee", damaged);
  w.step("sub-damaged", {"info", damagedPath});
  w.step("sub-damaged", {"info", damagedPath, "--json"});
  w.step("sub-damaged", {"verify", damagedPath, "--ca-key", caKeyHex});
  w.step("sub-damaged", {"verify", damagedPath, "--public-key", caKeyHex, "--json"});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    static_cast<void>(std::fprintf(stderr, "usage: otawrap_make_windows_cases DIR\n"));
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(std::string(argv[1]) + "/in", error);
  CaseWriter writer(argv[1]);
  std::string caKeyHex;
  const std::vector<Signer> signers = writeSigners(writer, caKeyHex);
  conversionCases(writer, signers, caKeyHex);
  starNameCases(writer);
  legacyErrorCases(writer, signers);
  inspectionCases(writer, caKeyHex);
  subcommandCases(writer, signers, caKeyHex);
  otawrap::test::cases::toolkitCases(writer, signers);
  otawrap::test::cases::largeFileCases(writer);
  if (!writer.ok()) {
    static_cast<void>(std::fprintf(stderr, "cannot write the cases into %s\n", argv[1]));
    return 1;
  }
  std::printf("%d steps\n", writer.steps());
  return 0;
}
