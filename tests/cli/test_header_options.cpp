// Long options: mode selection, the arguments of --info and --verify, the
// optional header-field values, and how they share the legacy argument walk.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/header_options.h"
#include "app/convert_run.h"
#include "commands/info.h"
#include "commands/legacy.h"
#include "commands/verify.h"

namespace otawrap {
namespace {

std::vector<const char*> argvOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv = {"otawrap"};
  for (const std::string& a : arguments) argv.push_back(a.c_str());
  return argv;
}

// The arguments of info and verify (and their --info and --verify aliases).
TEST(LongOptions, ModeArguments) {
  struct Case {
    std::vector<std::string> arguments;  // from the command word on
    const char* error;                   // nullptr: accepted
    std::string file;
    bool json;
    KeySource source;
    std::string key;
  } cases[] = {
      {{"info", "f.zigbee"}, nullptr, "f.zigbee", false, KeySource::publicKey, ""},
      {{"info", "f", "--json"}, nullptr, "f", true, KeySource::publicKey, ""},
      {{"info", "--json", "f"}, nullptr, "f", true, KeySource::publicKey, ""},
      {{"info"}, "missing FILE operand", "", false, KeySource::publicKey, ""},
      {{"info", "--json"}, "missing FILE operand", "", false, KeySource::publicKey, ""},
      {{"info", "f", "g"}, nullptr, "f", false, KeySource::publicKey, ""},
      {{"info", "f", "--public-key", "02"}, "unknown option '--public-key'", "", false,
       KeySource::publicKey, ""},
      {{"info", "f", "-sc.txt"}, "unknown option '-s'", "", false, KeySource::publicKey, ""},
      {{"info", "f", "-"}, nullptr, "f", false, KeySource::publicKey, ""},
      {{"info", "--", "-f"}, nullptr, "-f", false, KeySource::publicKey, ""},
      {{"verify", "f", "--public-key", "0203"}, nullptr, "f", false, KeySource::publicKey, "0203"},
      {{"verify", "f", "--public-key=0203"}, nullptr, "f", false, KeySource::publicKey, "0203"},
      {{"verify", "--ca-key", "03AB", "f"}, nullptr, "f", false, KeySource::caKey, "03AB"},
      {{"verify", "f", "-sc.txt"}, nullptr, "f", false, KeySource::credentials, "c.txt"},
      {{"verify", "f", "-s", "c.txt", "--json"}, nullptr, "f", true, KeySource::credentials,
       "c.txt"},
      {{"verify", "f", "--credentials", "c.txt"}, nullptr, "f", false, KeySource::credentials,
       "c.txt"},
      {{"verify", "f", "--public-key"}, "option --public-key needs a value", "", false,
       KeySource::publicKey, ""},
      {{"verify", "f", "--ca-key"}, "option --ca-key needs a value", "", false,
       KeySource::publicKey, ""},
      {{"verify", "f"}, "missing key: give --public-key, --public-key-file, --credentials, --ca-key or --ca-key-file", "", false,
       KeySource::publicKey, ""},
      {{"verify", "f", "--ca-key", "02", "-sc"},
       "give only one of --public-key, --public-key-file, --credentials, --ca-key and --ca-key-file", "", false,
       KeySource::publicKey, ""},
      {{"verify", "f", "--public-key", "02", "--public-key", "03"},
       "option --public-key given more than once", "", false, KeySource::publicKey, ""},
      {{"verify", "f", "--json=yes", "--public-key", "02"}, "option --json takes no value", "",
       false, KeySource::publicKey, ""},
      {{"verify", "f", "--header-string", "x"}, "unknown option '--header-string'", "", false,
       KeySource::publicKey, ""},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> arguments(c.arguments.begin() + 1, c.arguments.end());
    const std::string label = c.arguments.back();
    std::string error;
    InfoOptions info;
    VerifyOptions verify;
    if (c.arguments[0] == "info") {
      error = parseCommand(infoDefinition(), arguments, info);
    } else {
      error = parseCommand(verifyDefinition(), arguments, verify);
    }
    if (c.error != nullptr) {
      EXPECT_EQ(error, c.error) << label;
      continue;
    }
    ASSERT_EQ(error, "") << label;
    if (c.arguments[0] == "info") {
      EXPECT_EQ(info.files.at(0), c.file) << label;
      EXPECT_EQ(info.json, c.json) << label;
    } else {
      EXPECT_EQ(verify.files.at(0), c.file) << label;
      EXPECT_EQ(verify.json, c.json) << label;
      EXPECT_EQ(verify.keySource, c.source) << label;
      EXPECT_EQ(verify.key, c.key) << label;
    }
  }
}

TEST(LongOptions, HeaderFieldValues) {
  const char* kVersionError = "Invalid security credential version: 0 to 255 expected";
  const char* kDestinationError = "Invalid destination: 16 hex digits expected";
  const char* kHardwareError = "Invalid hardware version: 1 to 4 hex digits expected";
  struct Case {
    const char* name;
    const char* value;
    const char* error;     // nullptr: accepted
    std::uint64_t number;  // the parsed value, when accepted
  } cases[] = {
      {"--security-credential-version", "0", nullptr, 0},
      {"--security-credential-version", "255", nullptr, 255},
      {"--security-credential-version", "007", nullptr, 7},
      {"--security-credential-version", "0x1F", nullptr, 0x1F},
      {"--security-credential-version", "0XfF", nullptr, 0xFF},
      {"--security-credential-version", "256", kVersionError, 0},
      {"--security-credential-version", "0255", kVersionError, 0},
      {"--security-credential-version", "-1", kVersionError, 0},
      {"--security-credential-version", "", kVersionError, 0},
      {"--security-credential-version", "1a", kVersionError, 0},
      {"--security-credential-version", "0x100", kVersionError, 0},
      {"--security-credential-version", "0x", kVersionError, 0},
      {"--security-credential-version", " 1", kVersionError, 0},
      {"--destination", "0011223344556677", nullptr, 0x0011223344556677},
      {"--destination", "FFFFFFFFFFFFFFFF", nullptr, 0xFFFFFFFFFFFFFFFF},
      {"--destination", "0x00124b0001020304", nullptr, 0x00124B0001020304},
      {"--destination", "011223344556677", kDestinationError, 0},
      {"--destination", "00112233445566778", kDestinationError, 0},
      {"--destination", "001122334455667G", kDestinationError, 0},
      {"--destination", "00:11:22:33:44:55:66:77", kDestinationError, 0},
      {"--destination", "", kDestinationError, 0},
      {"--min-hw-version", "1", nullptr, 1},
      {"--min-hw-version", "0x0203", nullptr, 0x0203},
      {"--min-hw-version", "FFFF", nullptr, 0xFFFF},
      {"--max-hw-version", "abc", nullptr, 0xABC},
      {"--max-hw-version", "12345", kHardwareError, 0},
      {"--max-hw-version", "", kHardwareError, 0},
      {"--max-hw-version", "0x", kHardwareError, 0},
      {"--max-hw-version", "-1", kHardwareError, 0},
      {"--max-hw-version", "1 ", kHardwareError, 0},
  };
  for (const Case& c : cases) {
    const std::string label = std::string(c.name) + " " + c.value;
    HeaderFieldSettings fields{};
    const char* error = nullptr;
    const HeaderOptionMatch match = applyHeaderOption(c.name, c.value, fields, &error);
    if (c.error != nullptr) {
      EXPECT_EQ(match, HeaderOptionMatch::failed) << label;
      EXPECT_STREQ(error, c.error) << label;
      EXPECT_EQ(fields.fieldControl, 0) << label;
      continue;
    }
    ASSERT_EQ(match, HeaderOptionMatch::applied) << label;
    const std::string name = c.name;
    if (name == "--security-credential-version") {
      EXPECT_EQ(fields.securityCredentialVersion, c.number) << label;
      EXPECT_EQ(fields.fieldControl, 1) << label;
    } else if (name == "--destination") {
      for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(fields.destination[static_cast<std::size_t>(i)],
                  static_cast<std::uint8_t>(c.number >> (8 * i)))
            << label;
      }
      EXPECT_EQ(fields.fieldControl, 2) << label;
    } else if (name == "--min-hw-version") {
      EXPECT_EQ(fields.minimumHardwareVersion, c.number) << label;
      EXPECT_EQ(fields.fieldControl, 0) << label;  // only both together set the bit
    } else {
      EXPECT_EQ(fields.maximumHardwareVersion, c.number) << label;
      EXPECT_EQ(fields.fieldControl, 0) << label;
    }
  }

  HeaderFieldSettings fields{};
  const char* error = nullptr;
  EXPECT_EQ(applyHeaderOption("--json", "x", fields, &error), HeaderOptionMatch::notHeaderOption);
  EXPECT_EQ(applyHeaderOption("--header-string", nullptr, fields, &error),
            HeaderOptionMatch::failed);
  EXPECT_STREQ(error, "Missing value for --header-string");
}

TEST(LongOptions, HeaderStringIsBytesUpToThirtyTwo) {
  const struct {
    std::string text;
    bool accepted;
  } cases[] = {
      {"", true},
      {"v1.2.3 release", true},
      {std::string(32, 'x'), true},
      {std::string(33, 'x'), false},
      {std::string(15, 'x') + "\xC3\xA9" + std::string(15, 'y'), true},  // 32 bytes
      {std::string(16, 'x') + "\xC3\xA9" + std::string(15, 'y'), false},  // 33 bytes
  };
  for (const auto& c : cases) {
    HeaderFieldSettings fields{};
    fields.headerString.fill(0xAA);
    const char* error = nullptr;
    const HeaderOptionMatch match =
        applyHeaderOption("--header-string", c.text.c_str(), fields, &error);
    if (!c.accepted) {
      EXPECT_EQ(match, HeaderOptionMatch::failed) << c.text;
      EXPECT_STREQ(error, "Header string longer than 32 bytes");
      EXPECT_FALSE(fields.headerStringGiven);
      continue;
    }
    ASSERT_EQ(match, HeaderOptionMatch::applied) << c.text;
    EXPECT_TRUE(fields.headerStringGiven);
    EXPECT_EQ(fields.fieldControl, 0);
    for (std::size_t i = 0; i < 32; ++i) {
      const std::uint8_t expected =
          i < c.text.size() ? static_cast<std::uint8_t>(c.text[i]) : 0;
      EXPECT_EQ(fields.headerString[i], expected) << c.text << " byte " << i;
    }
  }
}

struct WalkResult {
  CommandLineOutcome outcome;
  std::string message;  // the legacy text after an error, else ""
};

struct Walk {
  WalkResult result;
  RunSettings settings;
  SignerCredentials credentials;
};

Walk walk(const std::vector<std::string>& arguments) {
  const std::vector<const char*> argv = argvOf(arguments);
  Walk w{{}, RunSettings{}, SignerCredentials{}};
  Problem problem{Failure::usage, "", "", 0};
  w.result.outcome = parseCommandLine(static_cast<int>(argv.size()), argv.data(), w.settings,
                                      w.credentials, problem);
  if (w.result.outcome == CommandLineOutcome::error) w.result.message = legacyMessage(problem);
  return w;
}

TEST(LongOptions, ShareTheLegacyWalk) {
  const struct {
    std::vector<std::string> arguments;
    CommandLineOutcome outcome;
    const char* message;
    std::uint16_t fieldControl;
  } cases[] = {
      // An unknown "--" argument keeps its legacy meaning: the usage text.
      {{"in.raw", "--"}, CommandLineOutcome::usage, nullptr, 0},
      {{"in.raw", "--bogus", "x"}, CommandLineOutcome::usage, nullptr, 0},
      {{"in.raw", "--HEADER-STRING", "x"}, CommandLineOutcome::usage, nullptr, 0},
      {{"--header-string", "x", "in.raw"}, CommandLineOutcome::usage, nullptr, 0},
      {{"in.raw", "--header-string", "x", "-q"}, CommandLineOutcome::usage, nullptr, 0},
      {{"in.raw", "-q", "--header-string", std::string(40, 'x')}, CommandLineOutcome::usage,
       nullptr, 0},
      {{"in.raw", "--header-string"}, CommandLineOutcome::error,
       "Missing value for --header-string", 0},
      {{"in.raw", "--header-string", std::string(33, 'x'), "-pbad"}, CommandLineOutcome::error,
       "Header string longer than 32 bytes", 0},
      {{"in.raw", "-pbad", "--header-string", std::string(33, 'x')}, CommandLineOutcome::error,
       "Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD", 0},
      {{"in.raw", "--min-hw-version", "1"}, CommandLineOutcome::error,
       "Minimum and maximum hardware versions must be given together", 0},
      {{"in.raw", "--max-hw-version", "1"}, CommandLineOutcome::error,
       "Minimum and maximum hardware versions must be given together", 0},
      {{"in.raw", "--min-hw-version", "0201", "--max-hw-version", "0200"},
       CommandLineOutcome::error, "Minimum hardware version is above the maximum", 0},
      {{"in.raw", "--min-hw-version", "0200", "--max-hw-version", "0200"},
       CommandLineOutcome::run, nullptr, 4},
      {{"in.raw", "--max-hw-version", "FFFF", "-n", "--min-hw-version", "0"},
       CommandLineOutcome::run, nullptr, 4},
      {{"in.raw", "--destination", "0011223344556677", "--security-credential-version", "1"},
       CommandLineOutcome::run, nullptr, 3},
      {{"in.raw", "--header-string", "x"}, CommandLineOutcome::run, nullptr, 0},
  };
  for (const auto& c : cases) {
    const Walk w = walk(c.arguments);
    const std::string label = c.arguments.back();
    EXPECT_EQ(w.result.outcome, c.outcome) << label;
    EXPECT_EQ(w.result.message, c.message == nullptr ? "" : c.message) << label;
    if (c.outcome == CommandLineOutcome::run) {
      EXPECT_EQ(w.settings.file.headerFields.fieldControl, c.fieldControl) << label;
    }
  }
}

TEST(LongOptions, ValuesAreTakenWholeAndLegacyOptionsStillApply) {
  // A value that looks like an option is still the value.
  const Walk a = walk({"in.raw", "--header-string", "-n", "-m100B", "--header-string", "-pX y"});
  ASSERT_EQ(a.result.outcome, CommandLineOutcome::run);
  EXPECT_FALSE(a.settings.noImage);
  EXPECT_EQ(a.settings.file.identifiers.manufacturerCode, 0x100B);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(a.settings.file.headerFields.headerString.data())),
            "-pX y");  // the last one wins, padded with zeros

  const Walk b = walk({"in.raw", "-n", "--min-hw-version", "1", "--max-hw-version", "2",
                       "--min-hw-version", "0x2", "-t0042"});
  ASSERT_EQ(b.result.outcome, CommandLineOutcome::run);
  EXPECT_TRUE(b.settings.noImage);
  EXPECT_EQ(b.settings.file.identifiers.imageType, 0x0042);
  EXPECT_EQ(b.settings.file.headerFields.minimumHardwareVersion, 2);
  EXPECT_EQ(b.settings.file.headerFields.maximumHardwareVersion, 2);
}

TEST(LongOptions, AppliedFieldsSetLengthAndTotalSize) {
  const struct {
    std::uint16_t fieldControl;
    std::uint16_t length;
  } cases[] = {{0, 56}, {1, 57}, {2, 64}, {4, 60}, {7, 69}};
  for (const auto& c : cases) {
    HeaderFieldSettings fields{};
    fields.fieldControl = c.fieldControl;
    OtaHeader header;
    otaHeaderDefaults(header);
    runApplyHeaderFields(fields, header);
    EXPECT_EQ(header.fieldControl, c.fieldControl);
    EXPECT_EQ(header.headerLength, c.length);
    EXPECT_EQ(header.totalImageSize, c.length);
  }
}

}  // namespace
}  // namespace otawrap
