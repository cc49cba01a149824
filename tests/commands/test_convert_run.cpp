// The in-process run: buffer bounds at their exact edges, and the printed
// texts of runOtawrap.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/convert_run.h"
#include "entry/dispatch.h"
#include "commands/legacy.h"
#include "commands/ota_file_check.h"
#include "support/raw_file_generator.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A raw file whose image is exactly `length` bytes before padding: a record
// of non-0xFF bytes, then the 100 bytes the cut removes.
Bytes rawWithImageLength(std::size_t length) {
  Bytes data(length);
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(i % 251);
  return test::rawFileBytes({{{0, data}, {0x80000, Bytes(100, 0)}}, {}});
}

// The legacy text of the build's failure, or "" after success.
std::string build(const Bytes& raw, bool signing, std::size_t& fileSize) {
  auto context = std::make_unique<RunContext>();
  otaHeaderDefaults(context->header);
  RunSettings settings;
  if (signing) settings.file.credentialsPath = "(test key in memory)";
  context->credentials.privateKey[20] = 1;  // test key
  MemorySource source(raw.data(), raw.size());
  Problem problem{Failure::usage, "", "", 0};
  const bool built = runBuildFile(settings, *context, &source, problem);
  fileSize = context->header.totalImageSize;
  if (built) {
    EXPECT_EQ(context->position, fileSize);
    if (!signing) {
      const auto end = context->image.begin() + static_cast<std::ptrdiff_t>(fileSize);
      test::checkUnsignedOtaFile(Bytes(context->image.begin(), end), 0);
    }
  }
  return built ? "" : legacyMessage(problem);
}

TEST(Run, ImageBufferBoundsAreExact) {
  SignerCredentials suite2;
  suite2.curve = SigningCurve::sect283k1;
  EXPECT_EQ(runImageLimit(OtaFileSettings{}, SignerCredentials{}), 524288u);
  OtaFileSettings signing{};
  signing.credentialsPath = "signer.txt";
  EXPECT_EQ(runImageLimit(signing, SignerCredentials{}), 524288u - 110);
  EXPECT_EQ(runImageLimit(signing, suite2), 524288u - 166);

  struct Case {
    std::size_t imageLength;
    bool signing;
    const char* error;
    std::size_t fileSize;
  } cases[] = {
      {524226, false, nullptr, 524288},  // the largest unsigned file fills the buffer
      {524225, false, nullptr, 524288},
      {524227, false, "Input image too large", 0},
      {524114, true, nullptr, 524288 - 2},  // signing fills all but the alignment bytes
      {524115, true, "Input image too large", 0},
  };
  for (const Case& c : cases) {
    std::size_t fileSize = 0;
    const std::string error = build(rawWithImageLength(c.imageLength), c.signing, fileSize);
    if (c.error == nullptr) {
      EXPECT_EQ(error, "") << c.imageLength;
      EXPECT_EQ(fileSize, c.fileSize) << c.imageLength;
    } else {
      EXPECT_EQ(error, c.error) << c.imageLength;
    }
  }
}

TEST(Run, PrintsUsageAndErrorsWithoutNewline) {
  const std::string pointer =
      "otawrap: the commands (convert, info, verify, build, ...) are listed by 'otawrap help'\n";
  struct Case {
    std::vector<const char*> argv;
    int exitCode;
    std::string output;
    std::string errors;
  } cases[] = {
      {{"otawrap"}, 0, usageText(), pointer},
      {{"otawrap", "-h"}, 0, usageText(), pointer},
      {{"otawrap", "in.raw", "-h"}, 0, usageText(), ""},
      {{"otawrap", "in.raw", "-pX"},
       2, "Error: Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD", ""},
      {{"otawrap", "/nonexistent/in.raw"}, 2, "Error: Unable to open input file", ""},
      {{"otawrap", "x", "-n", "-o/nonexistent"}, 2, "Error: Unable to open output file",
       "otawrap: 'x' is not a command: 'otawrap help' lists them\n"},
      // A word within two edits of a command that names no file.
      {{"otawrap", "convrt", "app.raw", "--output", "x.ota"}, 2, "",
       "otawrap: 'convrt' is not a command; did you mean 'convert'?\n"},
      {{"otawrap", "infoo"}, 2, "", "otawrap: 'infoo' is not a command; did you mean 'info'?\n"},
      {{"otawrap", "idnex", "-n"}, 2, "", "otawrap: 'idnex' is not a command; did you mean 'index'?\n"},
      {{"otawrap", "cnvrt"}, 2, "", "otawrap: 'cnvrt' is not a command; did you mean 'convert'?\n"},
      {{"otawrap", "cnvt"}, 2, "Error: Unable to open input file",  // three edits: legacy
       "otawrap: 'cnvt' is not a command: 'otawrap help' lists them\n"},
      {{"otawrap", "convert", "x", "-n", "-m", "1", "-t", "2"}, 2, "",
       "otawrap: --no-image needs -m, -t and -v: there is no image to take them from\n"
       "Try 'otawrap convert --help'.\n"},
  };
  for (const Case& c : cases) {
    StringOutputStream out;
    StringOutputStream err;
    EXPECT_EQ(runOtawrap(static_cast<int>(c.argv.size()), c.argv.data(), out, err), c.exitCode) << c.argv[1];
    EXPECT_EQ(out.str(), c.output);
    EXPECT_EQ(err.str(), c.errors);
  }
}

}  // namespace
}  // namespace otawrap
