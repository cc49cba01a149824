// Inputs as an attacker or a careless user gives them, end to end through the
// built binary: pipes, FIFOs and standard input for every command that reads
// a file; Intel HEX text that never ends; index entries for awkward names;
// extract past the listed sub-elements; build re-wrapping an image of ours.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "codec/hex.h"
#include "commands/json_check.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ProcessResult;

constexpr std::uint32_t kCredentialsSeed = 19;
constexpr int kEndlessTimeout = 300;  // seconds; a run that needs it has hung

// A sanitized build reads 256 MiB of text too slowly for the floods; the
// Intel HEX unit tests run the same limit at 4 KiB there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

class HostileInputs : public testing::Test {
 protected:
  void SetUp() override {
    const std::string creds = test::generateCredentials(kCredentialsSeed).text();
    write("creds.txt", creds);
    test::RawGeneratorOptions options;
    options.seed = 7;
    options.dataBytes = 3000;
    const test::RawFileLayout layout = test::generateRawFile(options);
    ASSERT_TRUE(test::writeFileBytes(dir_.file("in.raw"), test::rawFileBytes(layout)));
    write("in.hex", test::intelHexText(layout, 3));
    write("p.bin", "payload");
    ASSERT_EQ(run({"convert", "in.raw", "--output", "x.ota", "-s", "creds.txt"}).exitCode, 0);
  }
  void write(const std::string& name, const std::string& text) const {
    ASSERT_TRUE(test::writeFileBytes(dir_.file(name), Bytes(text.begin(), text.end())));
  }
  Bytes read(const std::string& name) const { return test::readFileBytes(dir_.file(name)); }
  std::string text(const std::string& name) const {
    const Bytes bytes = read(name);
    return std::string(bytes.begin(), bytes.end());
  }
  ProcessResult run(const std::vector<std::string>& arguments,
                    const test::ProcessOptions& options = {}) const {
    return test::runOtawrap(dir_, arguments, options);
  }
  // A bash command line with the binary as "$0".
  ProcessResult shell(const std::string& line, int timeoutSeconds = 0) const {
    test::ProcessOptions options;
    options.timeoutSeconds = timeoutSeconds;
    return test::runProcess("/bin/bash", {"-c", line, OTAWRAP_BINARY}, dir_.path(),
                            options);
  }

  test::TempDirectory dir_;
};

TEST_F(HostileInputs, EveryInputReadsFromPipesAndFifos) {
  const struct {
    const char* line;
    const char* output;  // in standard output
  } cases[] = {
      {R"(cat x.ota | "$0" info -)", "File: - ("},
      {R"(cat x.ota | "$0" info /dev/stdin)", "File: /dev/stdin"},
      {R"("$0" info <(cat x.ota) --json)", "\"fileSize\""},
      {R"(cat x.ota | "$0" verify - -s creds.txt)", "Signature: ok"},
      {R"("$0" verify <(cat x.ota) -s <(cat creds.txt))", "Signature: ok"},
      {R"(cat x.ota | "$0" extract - --tag 0 --output img.bin)", "img.bin"},
      {R"(cat x.ota | "$0" extract - --output-dir parts)", "parts/00-0000.bin"},
      {R"("$0" index <(cat x.ota))", "\"url\":\"/dev/fd/"},
      {R"(cat in.raw | "$0" convert - --output a.ota)", "a.ota"},
      {R"(cat in.hex | "$0" convert - --output b.ota)", "b.ota"},
      {R"("$0" convert <(cat in.raw) -o out -s <(cat creds.txt))", "out/"},
      {R"("$0" convert in.raw --tag F001=<(echo hi) --output c.ota)", "c.ota"},
      {R"("$0" build -m 1 -t 2 -v 3 --tag 0=<(printf hi) --output d.ota)", "d.ota"},
      {R"(mkfifo f && { cat x.ota > f & } && "$0" info f)", "File: f ("},
      {R"(mkfifo g && { cat p.bin > g & } && "$0" build -m 1 -t 2 -v 3 --tag 0=g --output e.ota)",
       "e.ota"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = shell(c.line, kEndlessTimeout);
    EXPECT_EQ(result.exitCode, 0) << c.line << "\n" << result.errors;
    EXPECT_NE(result.output.find(c.output), std::string::npos) << c.line << "\n"
                                                               << result.output;
  }
  // The same bytes as from the file itself.
  ASSERT_EQ(run({"convert", "in.raw", "--output", "file.ota"}).exitCode, 0);
  EXPECT_EQ(read("a.ota"), read("file.ota"));
  EXPECT_EQ(read("b.ota"), read("file.ota"));
}

// Where a regular file is read (an index, a metadata file, a file lint
// looks at) a FIFO is refused before it is opened, so nothing waits for a
// writer; a metadata file that is a loop of links is an error, not absent.
TEST_F(HostileInputs, RegularFileInputsRefuseFifosWithoutWaiting) {
  const struct {
    const char* line;
    int exitCode;
    const char* message;  // in standard output and error
  } cases[] = {
      {R"(mkfifo f && "$0" lint f)", 2, "otawrap: input 'f' is not a regular file\n"},
      {R"(mkfifo f && "$0" match f -m 1 -t 2 -v 3)", 2, "otawrap: input 'f' is not a regular file\n"},
      {R"(mkfifo f && "$0" index x.ota --update f)", 2, "otawrap: input 'f' is not a regular file\n"},
      {R"(mkfifo x.ota.meta.json && "$0" index x.ota)", 2,
       "otawrap: input 'x.ota.meta.json' is not a regular file\n"},
      {R"(ln -s x.ota.meta.json x.ota.meta.json && "$0" index x.ota)", 2,
       "otawrap: cannot open input file 'x.ota.meta.json': Too many levels of symbolic links\n"},
      {R"(mkfifo f.ota && echo '[{"url":"f.ota"}]' > i.json && "$0" lint i.json)", 1,
       "input 'f.ota' is not a regular file"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = shell("rm -f f f.ota x.ota.meta.json && " + std::string(c.line), 20);
    EXPECT_FALSE(result.timedOut) << c.line;
    EXPECT_EQ(result.exitCode, c.exitCode) << c.line;
    EXPECT_NE((result.output + result.errors).find(c.message), std::string::npos)
        << c.line << "\n" << result.output << result.errors;
  }
}

TEST_F(HostileInputs, EndlessIntelHexTextEndsWithAClearError) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {R"("$0" convert --input-format ihex /dev/zero)",
       "otawrap: /dev/zero:1: line longer than 1,024 characters\n"},
      // The line named is the last one read when the text passed the limit.
      {R"(yes '' | "$0" convert --input-format ihex /dev/stdin)",
       "otawrap: /dev/stdin:268435456: text longer than the 256 MiB limit\n"},
      // 20 bytes a line: the limit falls in line 13,421,773.
      {R"(yes ':0400000300000000F9' | "$0" convert -)",
       "otawrap: -:13421773: text longer than the 256 MiB limit\n"},
  };
  for (const auto& c : cases) {
    if (kSanitized && std::string(c.line).find("yes") != std::string::npos) continue;
    const ProcessResult result = shell(c.line, kEndlessTimeout);
    EXPECT_FALSE(result.timedOut) << c.line;
    EXPECT_EQ(result.exitCode, 2) << c.line;
    EXPECT_EQ(result.errors, c.message) << c.line;
  }
}

TEST_F(HostileInputs, IntelHexWithAByteOrderMarkOrCarriageReturnsConverts) {
  const std::string hex = text("in.hex");
  std::string cr = hex;
  for (char& c : cr) c = c == '\n' ? '\r' : c;
  write("bom.hex", "\xEF\xBB\xBF" + hex);
  write("cr.hex", cr);
  ASSERT_EQ(run({"convert", "in.raw", "--output", "raw.ota"}).exitCode, 0);
  for (const char* name : {"bom.hex", "cr.hex"}) {
    const ProcessResult result = run({"convert", name, "--output", "out.ota"});
    EXPECT_EQ(result.exitCode, 0) << name << result.errors;
    EXPECT_EQ(read("out.ota"), read("raw.ota")) << name;
  }
}

TEST_F(HostileInputs, IndexEncodesNamesAndRefusesWhatItCannotName) {
  const struct {
    std::string name;
    const char* url;  // after the prefix; nullptr: refused
    const char* why;
  } cases[] = {
      {"plain-1.0_x~.ota", "plain-1.0_x~.ota", ""},
      {"hash#frag.ota", "hash%23frag.ota", ""},
      {"a b?c%d&e+f.ota", "a%20b%3Fc%25d%26e%2Bf.ota", ""},
      {"back\\slash.ota", "back%5Cslash.ota", ""},
      {"caf\xC3\xA9.ota", "caf%C3%A9.ota", ""},
      {"cr\rlf\n.ota", nullptr, "holds a control character"},
      {"del\x7F.ota", nullptr, "holds a control character"},
      {"c1\xC2\x85.ota", nullptr, "holds a control character"},
      {"latin\xE9.ota", nullptr, "is not valid UTF-8"},
      {"overlong\xC0\xAF.ota", nullptr, "is not valid UTF-8"},
      {"surrogate\xED\xA0\x80.ota", nullptr, "is not valid UTF-8"},
  };
  const Bytes file = read("x.ota");
  for (const auto& c : cases) {
    ASSERT_TRUE(test::writeFileBytes(dir_.file(c.name), file));
    const ProcessResult result = run({"index", c.name, "--url-prefix", "https://h/"});
    if (c.url == nullptr) {
      EXPECT_EQ(result.exitCode, 2) << c.why;
      EXPECT_NE(result.errors.find("cannot index '"), std::string::npos) << result.errors;
      EXPECT_NE(result.errors.find(std::string("': its name ") + c.why + "\n"), std::string::npos)
          << result.errors;
      EXPECT_EQ(result.output, "");
      continue;
    }
    EXPECT_EQ(result.exitCode, 0) << c.url << result.errors;
    const auto parsed = test::parseJson(result.output);
    ASSERT_TRUE(parsed) << result.output;
    const test::JsonValue& entry = parsed->items.at(0);
    EXPECT_EQ(entry["url"].utf8(), std::string("https://h/") + c.url);
    EXPECT_EQ(entry["fileName"].utf8(), c.name);  // a backslash is no separator here
  }
}

TEST_F(HostileInputs, ExtractFindsATagPastTheListedSubElements) {
  std::vector<std::string> arguments = {"build", "-m", "1", "-t", "2", "-v", "3", "-q",
                                        "--output", "many.ota"};
  write("empty.bin", "");
  for (int i = 0; i < 1000; ++i) arguments.insert(arguments.end(), {"--tag", "F000=empty.bin"});
  arguments.insert(arguments.end(), {"--tag", "F00D=p.bin"});
  ASSERT_EQ(run(arguments).exitCode, 0);
  const ProcessResult result = run({"extract", "many.ota", "--tag", "F00D", "--output", "t.bin"});
  EXPECT_EQ(result.exitCode, 0) << result.errors;
  EXPECT_EQ(text("t.bin"), "payload");
}

TEST_F(HostileInputs, BuildRefusesAReWrappedImageOfOursUnlessForced) {
  ASSERT_EQ(run({"extract", "x.ota", "--tag", "0", "--output", "image.bin"}).exitCode, 0);
  const std::vector<std::string> rewrap = {"build", "-m", "1", "-t", "2", "-v", "3",
                                           "--tag", "0=image.bin", "--output", "re.ota"};
  ProcessResult result = run(rewrap);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.errors,
            "otawrap: the upgrade image carries the image preamble, but image preamble failed: "
            "preamble manufacturer code differs from the header; --force writes the file anyway\n");
  EXPECT_TRUE(read("re.ota").empty());
  std::vector<std::string> forced = rewrap;
  forced.push_back("--force");
  result = run(forced);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.errors.rfind("otawrap: warning: the upgrade image carries the image preamble",
                                0),
            0u)
      << result.errors;
  EXPECT_EQ(run({"info", "re.ota"}).exitCode, 1);
  // Under its own identifiers the image is welcome; a foreign payload always.
  const Bytes x = read("x.ota");
  const auto field = [&](std::size_t at, int digits) {
    std::uint32_t value = 0;
    for (int i = digits / 2 - 1; i >= 0; --i) value = value << 8 | x[at + i];
    return hexUpper(value, digits);
  };
  EXPECT_EQ(run({"build", "-m", field(10, 4), "-t", field(12, 4), "-v", field(14, 8), "--tag",
                 "0=image.bin", "--output", "same.ota"}).exitCode,
            0);
  EXPECT_EQ(run({"build", "-m", "1", "-t", "2", "-v", "3", "--tag", "0=p.bin", "--output",
                 "foreign.ota"}).exitCode,
            0);
}

}  // namespace
}  // namespace otawrap
