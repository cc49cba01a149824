// build reads every payload straight into the file it writes: payloads of
// a few MiB, empty ones and inputs whose size is not known up front give,
// through the built binary, exactly the bytes of a file assembled here byte
// by byte, the integrity code from an AES-MMO on OpenSSL.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "support/openssl_hash.h"
#include "support/otawrap_run.h"
#include "support/process_runner.h"
#include "support/raw_file_generator.h"
#include "support/temp_directory.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;

void appendLe(Bytes& bytes, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void appendSubElement(Bytes& file, std::uint16_t tag, const Bytes& data) {
  appendLe(file, tag, 2);
  appendLe(file, data.size(), 4);
  file.insert(file.end(), data.begin(), data.end());
}

// A regular file on Linux whose size says 0 although it has content.
constexpr char kProcFile[] = "/proc/version";

struct Payload {
  std::uint16_t tag;
  std::size_t size;  // pseudo-random bytes; ignored for the /proc file
  bool procFile;
};

struct Case {
  const char* name;
  std::vector<Payload> payloads;
  bool integrityCode;
  bool hardwareRange;  // --min/--max-hw-version: field control 4, 60-byte header
};

TEST(BuildStream, LargeAndUnsizedPayloadsGiveTheBytesAssembledHere) {
  const std::vector<Case> cases = {
      {"one payload of 5 MiB", {{0xF00D, 5u << 20, false}}, false, false},
      {"upgrade image, empty and 2 MiB, integrity code",
       {{0x0000, 3u << 20, false}, {0x0004, 0, false}, {0x1234, (2u << 20) + 7, false}},
       true,
       false},
      {"a file that says it is empty, hardware range",
       {{0xF000, 1u << 20, false}, {0xF001, 0, true}, {0xF002, 65537, false}},
       true,
       true},
  };
  test::TempDirectory dir;
  std::mt19937 rng(22);  // fixed seed
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint16_t manufacturer = static_cast<std::uint16_t>(rng());
    const std::uint16_t imageType = static_cast<std::uint16_t>(rng());
    const std::uint32_t fileVersion = static_cast<std::uint32_t>(rng());
    std::vector<std::string> arguments = {"build", "-m", hexUpper(manufacturer, 4), "-t",
                                          hexUpper(imageType, 4), "-v", hexUpper(fileVersion, 8),
                                          "--output", "out.ota", "-q"};
    std::vector<Bytes> contents;
    for (std::size_t i = 0; i < c.payloads.size(); ++i) {
      const Payload& p = c.payloads[i];
      std::string path;
      if (p.procFile) {
        if (!std::filesystem::exists(kProcFile)) GTEST_SKIP() << kProcFile << " is missing";
        path = kProcFile;
        contents.push_back(test::readFileBytes(path));
        ASSERT_FALSE(contents.back().empty());
      } else {
        Bytes data(p.size);
        for (auto& b : data) b = static_cast<std::uint8_t>(rng());
        path = dir.file("p" + std::to_string(i) + ".bin");
        ASSERT_TRUE(test::writeFileBytes(path, data));
        contents.push_back(data);
      }
      arguments.insert(arguments.end(), {"--tag", hexUpper(p.tag, 4) + "=" + path});
    }
    if (c.integrityCode) arguments.push_back("--integrity-code");
    if (c.hardwareRange) {
      arguments.insert(arguments.end(),
                       {"--min-hw-version", "0x0102", "--max-hw-version", "0x0304"});
    }

    Bytes expected;
    appendLe(expected, 0x0BEEF11E, 4);
    appendLe(expected, 0x0100, 2);
    appendLe(expected, c.hardwareRange ? 60 : 56, 2);
    appendLe(expected, c.hardwareRange ? 4 : 0, 2);
    appendLe(expected, manufacturer, 2);
    appendLe(expected, imageType, 2);
    appendLe(expected, fileVersion, 4);
    appendLe(expected, 0x0002, 2);  // ZigBee PRO
    expected.resize(expected.size() + 32, 0);  // header string
    const std::size_t totalAt = expected.size();
    appendLe(expected, 0, 4);
    if (c.hardwareRange) {
      appendLe(expected, 0x0102, 2);
      appendLe(expected, 0x0304, 2);
    }
    for (std::size_t i = 0; i < c.payloads.size(); ++i) {
      appendSubElement(expected, c.payloads[i].tag, contents[i]);
    }
    const std::size_t total = expected.size() + (c.integrityCode ? 22 : 0);
    for (int i = 0; i < 4; ++i) {
      expected[totalAt + i] = static_cast<std::uint8_t>(total >> (8 * i));
    }
    if (c.integrityCode) {
      appendSubElement(expected, 0x0003, test::opensslMmoHash(expected.data(), expected.size()));
    }

    const test::ProcessResult built = test::runOtawrap(dir, arguments);
    ASSERT_EQ(built.exitCode, 0) << built.errors;
    EXPECT_EQ(built.errors, "");
    const Bytes file = test::readFileBytes(dir.file("out.ota"));
    ASSERT_EQ(file.size(), expected.size());
    EXPECT_TRUE(file == expected);  // not printed: megabytes
  }
}

}  // namespace
}  // namespace otawrap
