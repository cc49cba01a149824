// build, extract and index, and convert's Intel HEX input: generated payloads
// built into OTA files (plain, with an integrity code, signed), taken apart
// again and indexed; Intel HEX texts of generated raw files converted in both
// command-line forms; and each command's refusals.
#include <string>
#include <vector>

#include "windows/case_writer.h"

namespace otawrap::test::cases {

namespace {

Bytes payload(std::uint32_t seed, std::size_t size) {
  Bytes bytes(size);
  std::uint32_t x = seed * 2654435761U + 1;
  for (std::uint8_t& b : bytes) {
    x = x * 1103515245U + 12345U;
    b = static_cast<std::uint8_t>(x >> 24);
  }
  return bytes;
}

void buildExtractIndexCases(CaseWriter& w, const std::vector<Signer>& signers) {
  const std::vector<std::string> payloads = {
      w.input("payload-0.bin", payload(1, 5000)), w.input("payload-1.bin", payload(2, 1)),
      w.input("payload-2.bin", Bytes{}), w.input("payload-3.bin", payload(3, 70000))};
  // Each build: its sealing, then extract every element, one by tag, and index.
  const std::vector<std::pair<std::string, Args>> builds = {
      {"build-plain", {"--tag", "0=" + payloads[0]}},
      {"build-tags", {"--tag", "F00D=" + payloads[1], "--tag", "0x4=" + payloads[2], "--tag",
                      "ffff=" + payloads[3], "--stack-version", "3"}},
      {"build-integrity", {"--tag", "0=" + payloads[3], "--integrity-code", "--header-string", "hic"}},
      {"build-signed", {"--tag", "0=" + payloads[0], "--tag", "F000=" + payloads[1], "-s",
                        signers[0].path, "--destination", "0011223344556677"}},
      {"build-signed-ca", {"--tag", "0=" + payloads[3], "--credentials", signers[1].path,
                           "--min-hw-version", "1", "--max-hw-version", "2"}},
  };
  for (std::size_t i = 0; i < builds.size(); ++i) {
    const std::string& name = builds[i].first;
    Args args = {"build", "-m", hex(0x1000 + i, 4), "-t", hex(0x0100 + i, 4), "-v", hex(i + 1, 8),
                 "--output", "out/b.zigbee"};
    args.insert(args.end(), builds[i].second.begin(), builds[i].second.end());
    if (i % 2 == 1) args.push_back("--json");
    w.step(name, args);
    w.step(name, {"info", "out/b.zigbee", "--json"});
    w.step(name, {"extract", "out/b.zigbee", "-o", "out/parts"}, "path");
    w.step(name, {"extract", "out/b.zigbee", "--tag", "0", "--output", "out/zero.bin"});
    // The walk of a directory tree: the same files, order and paths everywhere.
    w.step(name, {"info", "--recursive", i == 0 ? "out" : "out/", i % 2 == 0 ? "--json" : "-r"});
    w.step(name, {"index", "out/b.zigbee", kIn + "ota-plain.zigbee"});
    w.step(name, {"index", "out/b.zigbee", "--url-prefix", "https://example.com/ota/"});
  }
  // Written into the working directory under its default name.
  w.step("build-default-name", {"build", "-m1", "-t2", "-v3", "--tag", "0=" + payloads[0]});

  const std::string ok = kIn + "ota-plain.zigbee";
  const std::string bad = kIn + "ota-bad-crc.zigbee";
  const Args ids = {"build", "-m1", "-t1", "-v1"};
  auto withIds = [&ids](const Args& more) {
    Args args = ids;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const std::vector<std::pair<std::string, Args>> refusals = {
      {"build-no-ids", {"build", "--tag", "0=" + payloads[0]}},
      {"build-no-tag", ids},
      {"build-written-tag", withIds({"--tag", "1=" + payloads[0]})},
      {"build-signature-tag", withIds({"--tag", "0x5=" + payloads[0]})},
      {"build-long-tag", withIds({"--tag", "10000=" + payloads[0]})},
      {"build-no-file", withIds({"--tag", "F000"})},
      {"build-missing-file", withIds({"--tag", "F000=" + kIn + "no-such.bin"})},
      {"build-signed-integrity",
       withIds({"--tag", "0=" + payloads[0], "-s", signers[0].path, "--integrity-code"})},
      {"build-output-no-dir", withIds({"--tag", "0=" + payloads[0], "--output", "no/such/x"})},
      {"extract-absent-tag", {"extract", ok, "--tag", "F002", "--output", "out/x"}},
      {"extract-raw-file", {"extract", kIn + "good.raw", "-o", "out/parts"}},
      {"extract-missing", {"extract", kIn + "no-such.zigbee", "-o", "out/parts"}},
      {"extract-tag-alone", {"extract", ok, "--tag", "0"}},
      {"extract-nothing", {"extract", ok}},
      {"extract-both", {"extract", ok, "--tag", "0", "--output", "x", "-o", "d"}},
      {"index-bad-file", {"index", ok, bad}},
      {"index-raw-file", {"index", ok, kIn + "good.raw"}},
      {"index-missing", {"index", kIn + "no-such.zigbee"}},
      {"index-none", {"index"}},
  };
  for (const auto& r : refusals) w.step(r.first, r.second);
  // A file that fails a check is refused; with --force every element it can
  // reach is written.
  w.step("extract-bad-file", {"extract", bad, "-o", "out/parts"});
  w.step("extract-bad-file-forced", {"extract", bad, "-o", "out/parts", "--force"}, "path");
}

// Intel HEX texts of generated raw files (random record splits, addressing
// kinds, letter case and line ends): converted unsigned and signed, in both
// command-line forms; then texts broken in each way the reader names.
void intelHexCases(CaseWriter& w, const std::vector<Signer>& signers) {
  for (std::uint32_t i = 0; i < 12; ++i) {
    RawGeneratorOptions options;
    options.seed = 3000 + i;
    options.dataBytes = 300 + (i * 1733) % 9000;
    options.manufacturerCode = static_cast<std::uint16_t>(0x2000 + i);
    const std::string text = intelHexText(generateRawFile(options), 3000 + i);
    const std::string name = "hex-" + std::to_string(i);
    const std::string input = w.input(name + (i % 3 == 2 ? ".txt" : ".hex"), text);
    Args args = {"convert", input, "--output", "out/h.zigbee"};
    if (i % 2 == 1) args.insert(args.end(), {"-s", signers[i % signers.size()].path});
    if (i % 4 == 0) args.push_back("--json");
    w.step(name, args);
    w.step(name, {input, "-oout", "-pMARSHDEV"});
    w.step(name, {"info", "out/h.zigbee"});
  }
  const std::string good = ":0400000001020304F2\n";
  const std::string end = ":00000001FF\n";
  const std::vector<std::pair<std::string, std::string>> broken = {
      {"checksum", ":0400000001020304F3\n" + end},
      {"length", ":0500000001020304F2\n" + end},
      {"character", ":04000000010203G4F2\n" + end},
      {"no-end", good},
      {"after-end", good + end + good},
      {"record-type", ":0400000601020304EC\n" + end},
      {"crlf-checksum", good + ":0400100001020304E2\r\n" + end},
  };
  for (const auto& b : broken) {
    const std::string input = w.input("broken-" + b.first + ".hex", b.second);
    w.step("hex-broken-" + b.first, {"convert", input, "-o", "out"});
    w.step("hex-broken-" + b.first, {input, "-oout"});
  }
}

}  // namespace

void toolkitCases(CaseWriter& w, const std::vector<Signer>& signers) {
  buildExtractIndexCases(w, signers);
  intelHexCases(w, signers);
}

}  // namespace otawrap::test::cases
