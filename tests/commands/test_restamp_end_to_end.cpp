// `restamp` of the built binary on files `build` makes: a table of inputs,
// options and outcomes, read back with `info --json` and `verify`. The
// sub-elements must come out byte for byte; refusals leave nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "commands/json_check.h"
#include "support/ca_vectors.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Args = std::vector<std::string>;
using test::ProcessResult;
using test::TempDirectory;
using test::runOtawrap;

std::size_t le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// The bytes between the header and the seal: from the header length, for
// the length of the upgrade image and the extra element.
Bytes body(const Bytes& file, std::size_t size) {
  const std::size_t from = le16(file, 6);
  return Bytes(file.begin() + static_cast<long>(from),
               file.begin() + static_cast<long>(from + size));
}

struct Row {
  const char* name;
  Args build;    // seal and header options of the input
  Args restamp;  // beyond FILE --file-version 22 --output out.zigbee
  int exitCode;
  const char* message;  // in the error, for a refusal
  const char* sealAfter;
  bool verifiesWithNew;
  bool hardwareAfter;
  const char* changed;  // the text report's lines between the version and the seal
};

const Row kRows[] = {
    {"unsigned", {}, {}, 0, "", "none", false, false, ""},
    {"integrity code", {"--integrity-code"}, {}, 0, "", "integrity code", false, false, ""},
    {"signed, new credentials", {"-s", "old.txt"}, {"--credentials", "new.txt"}, 0, "",
     "signature", true, false, ""},
    {"signed, nothing to reseal with", {"-s", "old.txt"}, {}, 2,
     "its signature would no longer hold", "", false, false, ""},
    {"signed, dropped", {"-s", "old.txt"}, {"--drop-signature"}, 0, "", "none", false, false, ""},
    {"header string and hardware range added", {"--integrity-code"},
     {"--header-string", "second build", "--min-hw-version", "3", "--max-hw-version", "0x7"}, 0,
     "", "integrity code", false, true,
     "header string \"\" -> \"second build\"\nhardware versions none -> 0x0003..0x0007\n"},
    {"header string replaced", {"--header-string", "first\\"}, {"--header-string", "second build"}, 0,
     "", "none", false, false, "header string \"first\\\\\" -> \"second build\"\n"},
    {"one end of a range", {"--min-hw-version", "3", "--max-hw-version", "9"}, {"--max-hw-version", "7"},
     0, "", "none", false, true, "hardware versions 0x0003..0x0009 -> 0x0003..0x0007\n"},
    {"signed, hardware range added and re-signed", {"-s", "old.txt"},
     {"--min-hw-version", "3", "--max-hw-version", "7", "-s", "new.txt"}, 0, "", "signature",
     true, true, "hardware versions none -> 0x0003..0x0007\n"},
    {"half a hardware range", {}, {"--min-hw-version", "3"}, 2, "give both --min-hw-version", "",
     false, false, ""},
    {"inverted hardware range", {}, {"--min-hw-version", "9", "--max-hw-version", "8"}, 2,
     "above the maximum", "", false, false, ""},
    {"both seal choices", {"-s", "old.txt"}, {"-s", "new.txt", "--drop-signature"}, 2,
     "exclude each other", "", false, false, ""},
    // Crypto suite 2 (s2.txt: the published vector as its CA hands it out).
    {"suite 1 re-signed by suite 2", {"-s", "old.txt"}, {"--credentials", "s2.txt"}, 0, "",
     "crypto suite 2 signature", false, false, ""},
    {"suite 2 re-signed by suite 1", {"-s", "s2.txt"}, {"--credentials", "new.txt"}, 0, "",
     "signature", true, false, ""},
    {"suite 2, nothing to reseal with", {"-s", "s2.txt"}, {}, 2,
     "its signature would no longer hold", "", false, false, ""},
    {"suite 2, dropped", {"-s", "s2.txt"}, {"--drop-signature"}, 0, "", "none", false, false, ""},
};

TEST(RestampEndToEnd, TableOfInputsAndOptions) {
  std::mt19937 rng(21);
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    TempDirectory dir;
    Bytes payload(700);
    for (std::uint8_t& b : payload) b = static_cast<std::uint8_t>(rng());
    const Bytes extra(33, 0x5C);
    ASSERT_TRUE(test::writeFileBytes(dir.file("image.bin"), payload));
    ASSERT_TRUE(test::writeFileBytes(dir.file("extra.bin"), extra));
    const std::string oldText = test::generateCredentials(61).text();
    const std::string newText = test::generateCredentials(62).text();
    ASSERT_TRUE(test::writeFileBytes(dir.file("old.txt"), Bytes(oldText.begin(), oldText.end())));
    ASSERT_TRUE(test::writeFileBytes(dir.file("new.txt"), Bytes(newText.begin(), newText.end())));
    test::writeText(dir.file("s2.txt"), test::caText(test::kCaSuite2));
    Args build = {"build", "--tag", "0=image.bin", "--tag", "0xF00A=extra.bin", "-m", "1234",
                  "-t", "56", "-v", "11", "--output", "in.zigbee", "-q"};
    build.insert(build.end(), row.build.begin(), row.build.end());
    ASSERT_EQ(runOtawrap(dir, build).exitCode, 0);
    const Bytes in = test::readFileBytes(dir.file("in.zigbee"));
    const std::size_t bodySize = 6 + payload.size() + 6 + extra.size();

    Args restamp = {"restamp", "in.zigbee", "--file-version", "22", "--output", "out.zigbee",
                    "--json"};
    restamp.insert(restamp.end(), row.restamp.begin(), row.restamp.end());
    const ProcessResult run = runOtawrap(dir, restamp);
    ASSERT_EQ(run.exitCode, row.exitCode) << run.errors;
    if (row.exitCode != 0) {
      EXPECT_EQ(run.output, "");
      EXPECT_NE(run.errors.find(row.message), std::string::npos) << run.errors;
      EXPECT_EQ(dir.entries(),
                (std::vector<std::string>{"extra.bin", "image.bin", "in.zigbee", "new.txt", "old.txt",
                                          "s2.txt"}));
      continue;
    }
    const auto report = test::JsonParser(run.output).parseDocument();
    ASSERT_TRUE(report.has_value()) << run.output;
    EXPECT_EQ((*report)["seal"].ascii(), row.sealAfter);
    EXPECT_EQ((*report)["fileVersionBefore"].number(), 0x11u);
    EXPECT_EQ((*report)["fileVersion"].number(), 0x22u);
    const bool hardwareBefore = std::find(row.build.begin(), row.build.end(), "--min-hw-version") !=
                                row.build.end();
    EXPECT_EQ((*report)["minimumHardwareVersionBefore"].kind == test::JsonValue::Kind::number, hardwareBefore);
    EXPECT_EQ((*report)["maximumHardwareVersion"].kind == test::JsonValue::Kind::number, row.hardwareAfter);
    const Args text = {"restamp", "in.zigbee", "-v", "22", "--output", "text.zigbee"};
    Args textRun = text;
    textRun.insert(textRun.end(), row.restamp.begin(), row.restamp.end());
    const ProcessResult textReport = runOtawrap(dir, textRun);
    EXPECT_EQ(textReport.output.rfind(std::string("file version 00000011 -> 00000022\n") + row.changed +
                                          "seal: ", 0), 0u) << textReport.output;

    const Bytes out = test::readFileBytes(dir.file("out.zigbee"));
    EXPECT_EQ(body(out, bodySize), body(in, bodySize));
    const ProcessResult info = runOtawrap(dir, {"info", "--json", "out.zigbee"});
    EXPECT_EQ(info.exitCode, 0) << info.output;
    const auto fields = test::JsonParser(info.output).parseDocument();
    ASSERT_TRUE(fields.has_value());
    const test::JsonValue& header = (*fields)["header"];
    EXPECT_EQ(header["fileVersion"].number(), 0x22u);
    EXPECT_EQ(header["totalImageSize"].number(), out.size());
    EXPECT_EQ(header.has("minimumHardwareVersion"), row.hardwareAfter);
    if (row.hardwareAfter) {
      EXPECT_EQ(header["minimumHardwareVersion"].number(), 3u);
      EXPECT_EQ(header["maximumHardwareVersion"].number(), 7u);
    }
    const bool named = std::find(row.restamp.begin(), row.restamp.end(), "--header-string") !=
                       row.restamp.end();
    EXPECT_EQ(header["headerString"].ascii(), named ? "second build" : "");
    EXPECT_EQ((*report)["headerString"].ascii(), header["headerString"].ascii());

    const int withNew = runOtawrap(dir, {"verify", "out.zigbee", "--credentials", "new.txt"}).exitCode;
    const int withOld = runOtawrap(dir, {"verify", "out.zigbee", "--credentials", "old.txt"}).exitCode;
    EXPECT_EQ(withNew, row.verifiesWithNew ? 0 : 1);
    EXPECT_EQ(withOld, 1);
    const bool suite2 = std::string(row.sealAfter) == "crypto suite 2 signature";
    EXPECT_EQ(runOtawrap(dir, {"verify", "out.zigbee", "--ca-key", test::kCaSuite2.caKey}).exitCode,
              suite2 ? 0 : 1);
  }
}

// A file convert made restamps into the file convert makes with the new
// version: preamble and CRC stamped again, signature made again.
TEST(RestampEndToEnd, ConvertMadeFilesBecomeWhatConvertMakes) {
  TempDirectory dir;
  const std::string sample = test::examplesDir() + "sample.raw";
  const std::string key = test::examplesDir() + "test-credentials.txt";
  const std::vector<Args> rows = {
      {}, {"-p", "FENBOARD"}, {"-s", key}, {"-p", "MARSHDEV", "--min-hw-version", "1", "--max-hw-version", "2"}};
  for (const Args& options : rows) {
    SCOPED_TRACE(options.empty() ? "plain" : options[1]);
    for (const char* version : {"1", "2"}) {
      Args convert = {"convert", sample, "-q", "-v", version, "--output", std::string("v") + version};
      convert.insert(convert.end(), options.begin(), options.end());
      ASSERT_EQ(runOtawrap(dir, convert).exitCode, 0);
    }
    Args restamp = {"restamp", "v1", "-v", "2", "--output", "restamped", "--json"};
    if (options.size() == 2 && options[0] == "-s") restamp.insert(restamp.end(), options.begin(), options.end());
    const ProcessResult run = runOtawrap(dir, restamp);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_NE(run.output.find("\"preambleStamped\":true"), std::string::npos) << run.output;
    EXPECT_EQ(test::readFileBytes(dir.file("restamped")), test::readFileBytes(dir.file("v2")));
  }
}

TEST(RestampEndToEnd, OutputDirectoryNameAndRefusals) {
  TempDirectory dir;
  const Bytes payload(400, 0x42);
  ASSERT_TRUE(test::writeFileBytes(dir.file("image.bin"), payload));
  ASSERT_EQ(runOtawrap(dir, {"build", "--tag", "0=image.bin", "-m", "100B", "-t", "42", "-v", "1",
                          "--output", "in.zigbee", "-q"})
                .exitCode,
            0);
  const ProcessResult named = runOtawrap(dir, {"restamp", "in.zigbee", "-v", "2", "-o", "out"});
  EXPECT_EQ(named.exitCode, 0) << named.errors;
  EXPECT_EQ(named.output, "file version 00000001 -> 00000002\nseal: none -> none\nout/100B-0042-00000002.zigbee\n");

  // Refusals and usage errors: exit 2, nothing new in the directory.
  const Bytes keep = {'k'};
  ASSERT_TRUE(test::writeFileBytes(dir.file("keep.zigbee"), keep));
  const std::vector<Args> refused = {
      {"restamp", "in.zigbee", "--output", "keep.zigbee"},                  // no version
      {"restamp", "in.zigbee", "-v", "2"},                                  // no output
      {"restamp", "none.zigbee", "-v", "2", "--output", "keep.zigbee"},     // no input
      {"restamp", "image.bin", "-v", "2", "--output", "keep.zigbee"},       // not an OTA file
      {"restamp", "in.zigbee", "-v", "2", "-s", "none.txt", "--output", "keep.zigbee"},
  };
  for (const Args& args : refused) {
    SCOPED_TRACE(args[1] + " " + args[args.size() - 1]);
    const ProcessResult run = runOtawrap(dir, args);
    EXPECT_EQ(run.exitCode, 2) << run.errors;
    EXPECT_EQ(run.errors.rfind("otawrap: ", 0), 0u) << run.errors;
  }
  EXPECT_EQ(test::readFileBytes(dir.file("keep.zigbee")), keep);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"image.bin", "in.zigbee", "keep.zigbee", "out"}));
}

}  // namespace
}  // namespace otawrap
