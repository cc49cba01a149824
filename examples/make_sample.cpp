// Writes the bundled example raw file with the shared raw-file generator:
// seed 2024, about 4 KiB of firmware data, manufacturer code 0x100B, image type
// 0x0042, file version 0x00010203 (so otawrap names its output
// 100B-0042-00010203.zigbee), and the example TEST credentials (seed 2024;
// a test key, never for real devices), and the same records as Intel HEX
// (record split seed 2024), which converts to the same OTA file.
//
//   otawrap_make_sample [raw path] [credentials path] [Intel HEX path]
//   (defaults: examples/sample.raw, examples/test-credentials.txt, examples/sample.hex)
#include <cstdio>
#include <string>

#include "support/raw_file_generator.h"
#include "support/sample_credentials.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "examples/sample.raw";
  const char* credentialsPath = argc > 2 ? argv[2] : "examples/test-credentials.txt";
  const auto layout = otawrap::test::generateRawFile(otawrap::test::sampleRawFileOptions());
  const auto bytes = otawrap::test::rawFileBytes(layout);
  if (!otawrap::test::writeFileBytes(path, bytes)) {
    std::printf("cannot write %s\n", path);
    return 1;
  }
  std::printf("wrote %s (%zu bytes, %zu data records)\n", path, bytes.size(), layout.records.size());

  const std::string text =
      otawrap::test::generateCredentials(otawrap::test::kSampleCredentialsSeed).text();
  if (!otawrap::test::writeFileBytes(credentialsPath,
                                     std::vector<std::uint8_t>(text.begin(), text.end()))) {
    std::printf("cannot write %s\n", credentialsPath);
    return 1;
  }
  std::printf("wrote %s (test credentials)\n", credentialsPath);

  const char* hexPath = argc > 3 ? argv[3] : "examples/sample.hex";
  const std::string hex = otawrap::test::intelHexText(layout, 2024);
  if (!otawrap::test::writeFileBytes(hexPath, std::vector<std::uint8_t>(hex.begin(), hex.end()))) {
    std::printf("cannot write %s\n", hexPath);
    return 1;
  }
  std::printf("wrote %s (the same records as Intel HEX)\n", hexPath);
  return 0;
}
