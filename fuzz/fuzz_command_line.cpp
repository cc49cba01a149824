// The argument walks on arbitrary argument vectors (the legacy walk, and the
// subcommands' parser): the input, split at zero bytes, gives argv[1..]
// (arguments of any length, up to 256 of them). -s loads credentials at once,
// so the target keeps its own directory holding a valid ("good"), an invalid
// ("bad") and an over-long ("big") credentials file, and every -s path is
// moved into it (a path with a separator becomes "missing"), so the walk reads
// nothing else. Checked: the outcome against the first argument, the message
// set, the path limits, and that a run with -s holds the credentials of the
// file it named last.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/header_options.h"
#include "commands/convert.h"
#include "app/failure.h"
#include "commands/info.h"
#include "commands/legacy.h"
#include "commands/verify.h"
#include "support/fuzz_check.h"

namespace {

using namespace otawrap;
using fuzz::fuzzCheck;

constexpr std::size_t kMaxArguments = 256;

const char kValidCredentials[] =
    "IEEE Address: 0102030405060708\n"
    "Device Private Key: 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF 00 11 22 33 44\n"
    "Device Implicit Cert: "
    "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F"
    "202122232425262728292A2B2C2D2E2F\n";

// The credentials directory, created on first use, with a trailing separator.
const std::string& credentialsDirectory() {
  static const std::string directory = [] {
    char pattern[] = "/tmp/otawrap-fuzz-cli-XXXXXX";
    fuzzCheck(mkdtemp(pattern) != nullptr, "create credentials directory");
    std::string path = std::string(pattern) + "/";
    std::ofstream(path + "good") << kValidCredentials;
    std::ofstream(path + "bad") << "IEEE Address: 01\n";
    std::ofstream(path + "big") << std::string(1024, ' ') << kValidCredentials;
    return path;
  }();
  return directory;
}

void removeCredentialsDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(credentialsDirectory(), ignored);
}

// "-s" or "-S", an optional quote, then the path moved into the credentials
// directory.
std::string relocatedCredentialsOption(const std::string& argument) {
  const std::size_t pathStart = argument.size() > 2 && argument[2] == '"' ? 3 : 2;
  std::string path = argument.substr(pathStart);
  if (path.find('/') != std::string::npos) path = "missing";
  return argument.substr(0, pathStart) + credentialsDirectory() + path;
}

bool isCredentialsOption(const std::string& argument) {
  return argument.size() >= 2 && argument[0] == '-' && (argument[1] == 's' || argument[1] == 'S');
}

bool knownMessage(const char* message) {
  static const char* const kMessages[] = {
      "Input file name too long",
      "Output path too long",
      "Invalid platform.  Valid platfomrs are: QUILLDEV, MARSHDEV, or FENBOARD",
      "Cannot open certificate",
      "Invalid certificate",
      "Missing value for --header-string",
      "Missing value for --security-credential-version",
      "Missing value for --destination",
      "Missing value for --min-hw-version",
      "Missing value for --max-hw-version",
      "Header string longer than 32 bytes",
      "Invalid security credential version: 0 to 255 expected",
      "Invalid destination: 16 hex digits expected",
      "Invalid hardware version: 1 to 4 hex digits expected",
      "Minimum and maximum hardware versions must be given together",
      "Minimum hardware version is above the maximum",
      "Missing value for -o",
      "Missing value for -m",
      "Missing value for -t",
      "Missing value for -v",
  };
  return std::any_of(std::begin(kMessages), std::end(kMessages),
                     [message](const char* known) { return std::strcmp(message, known) == 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The directory exists before the clean-up is registered, so it is still
  // alive when the clean-up runs at exit.
  static_cast<void>(credentialsDirectory());
  static const bool cleanupRegistered = std::atexit(removeCredentialsDirectory) == 0;
  static_cast<void>(cleanupRegistered);

  std::vector<std::string> arguments = {"otawrap"};
  if (size > 0) {
    std::string current;
    for (std::size_t i = 0; i < size && arguments.size() < kMaxArguments; ++i) {
      if (data[i] == 0) {
        arguments.push_back(current);
        current.clear();
      } else {
        current += static_cast<char>(data[i]);
      }
    }
    if (arguments.size() < kMaxArguments) arguments.push_back(current);
  }
  for (std::size_t i = 2; i < arguments.size(); ++i) {
    if (isCredentialsOption(arguments[i])) arguments[i] = relocatedCredentialsOption(arguments[i]);
  }
  std::vector<const char*> argv;
  argv.reserve(arguments.size());
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());

  // The subcommands take the table-driven parser: an error is one line that
  // names something, success fills the options from exactly one operand.
  const std::string command = arguments.size() > 1 ? arguments[1] : "";
  const std::vector<std::string> rest(arguments.size() > 2 ? arguments.begin() + 2 : arguments.end(),
                                      arguments.end());
  std::string error = "-";
  if (command == "convert") {
    ConvertOptions options;
    error = parseCommand(convertDefinition(), rest, options);
    if (error.empty()) {
      fuzzCheck(options.output.file.empty() || options.output.directory.empty(),
                "--output and --output-dir exclude each other");
      fuzzCheck(options.inputFileName.size() < kPathBufferSize, "input name fits");
    }
  } else if (command == "info" || command == "--info") {
    InfoOptions options;
    error = parseCommand(infoDefinition(), rest, options);
  } else if (command == "verify" || command == "--verify") {
    VerifyOptions options;
    error = parseCommand(verifyDefinition(), rest, options);
    if (error.empty()) {
      fuzzCheck(!options.files.empty(), "at least one file operand");
      for (const std::string& file : options.files) {
        fuzzCheck(std::find(rest.begin(), rest.end(), file) != rest.end(), "file operands taken");
      }
    }
  }
  if (error != "-") {
    const std::string printed = commandMessage({Failure::usage, error, "", 0});
    fuzzCheck(printed.find('\n') == std::string::npos, "one-line usage message");
    return 0;
  }

  RunSettings settings{};
  SignerCredentials credentials{};
  Problem problem{Failure::usage, "", "", 0};
  const CommandLineOutcome outcome =
      parseCommandLine(static_cast<int>(argv.size()), argv.data(), settings, credentials, problem);
  struct {
    CommandLineOutcome outcome;
    std::string message;
  } result{outcome, outcome == CommandLineOutcome::error ? legacyMessage(problem) : ""};

  if (arguments.size() <= 1 || (!arguments[1].empty() && arguments[1][0] == '-')) {
    fuzzCheck(result.outcome == CommandLineOutcome::usage, "usage without an input file");
  }
  if (result.outcome == CommandLineOutcome::error) {
    fuzzCheck(knownMessage(result.message.c_str()), "known error message");
    return 0;
  }
  if (result.outcome == CommandLineOutcome::usage) return 0;

  fuzzCheck(settings.inputFileName == arguments[1], "input file name");
  fuzzCheck(settings.inputFileName.size() < kPathBufferSize, "input name fits its buffer");
  const std::string& directory = settings.output.directory;
  fuzzCheck(directory.size() < kPathBufferSize, "output path fits its buffer");
  fuzzCheck(directory.empty() || directory.back() == '/',
            "output directory ends with a separator");
  if (!settings.file.credentialsPath.empty()) {
    fuzzCheck(settings.file.credentialsPath == credentialsDirectory() + "good",
              "a run signs only with the valid file");
    fuzzCheck(credentials.ieeeAddress[0] == 0x08 && credentials.privateKey[20] == 0x44 &&
                  credentials.implicitCertificate[47] == 0x2F,
              "credentials loaded");
  }
  return 0;
}
