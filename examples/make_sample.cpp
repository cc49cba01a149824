// Writes the bundled example raw file with the shared raw-file generator:
// seed 2024, about 4 KiB of firmware data, manufacturer code 0x100B, image type
// 0x0042, file version 0x00010203 (so otawrap names its output
// 100B-0042-00010203.zigbee).
//
//   otawrap_make_sample [path]      (default: examples/sample.raw)
#include <cstdio>

#include "support/raw_file_generator.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "examples/sample.raw";
  const auto spec = otawrap::test::generateRawFile(otawrap::test::sampleRawFileOptions());
  const auto bytes = otawrap::test::rawFileBytes(spec);
  if (!otawrap::test::writeFileBytes(path, bytes)) {
    std::printf("cannot write %s\n", path);
    return 1;
  }
  std::printf("wrote %s (%zu bytes, %zu data records)\n", path, bytes.size(), spec.records.size());
  return 0;
}
