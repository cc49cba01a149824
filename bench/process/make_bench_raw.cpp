// Writes the raw file of the conversion benchmarks (seed 500, about 495 KiB of
// firmware data, no trailer), for timing whole runs of the built binary
// (bench/process/time_conversions.sh).
//
//   otawrap_make_bench_raw <raw path>
#include <cstdio>

#include "support/raw_file_generator.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: otawrap_make_bench_raw <raw path>\n");
    return 2;
  }
  otawrap::test::RawGeneratorOptions options;
  options.seed = 500;
  options.dataBytes = 495 * 1024;
  options.trailingRecords = false;
  const auto bytes = otawrap::test::rawFileBytes(otawrap::test::generateRawFile(options));
  if (!otawrap::test::writeFileBytes(argv[1], bytes)) {
    std::printf("cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("wrote %s (%zu bytes)\n", argv[1], bytes.size());
  return 0;
}
