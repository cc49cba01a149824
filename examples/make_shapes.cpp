// Writes every synthetic OTA shape of the test kit and its damaged variants
// (support/ota_shape_generator.h) into a directory, one file per row named
// <row name>.ota, plus shapes.tsv: one line per row with its name, shape,
// variant, expected verdict of `otawrap info` (good: exit 0, damaged: exit 1),
// the offset and size of the OTA file inside (what `normalize` writes) and
// what the variant changed. For the interoperability oracles and fuzz seeds.
//
//   otawrap_make_shapes DIR [SEED]   (default seed 17)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/ota_shape_generator.h"
#include "support/raw_file_generator.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    (void)std::fprintf(stderr, "usage: %s DIR [SEED]\n", argv[0]);
    return 2;
  }
  const std::filesystem::path directory = argv[1];
  const auto seed = argc == 3 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 0))
                              : otawrap::test::kShapeSeed;
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  std::string table = "name\tshape\tvariant\tverdict\tinnerOffset\tinnerSize\tchange\n";
  const auto rows = otawrap::test::generateShapeSamples(seed);
  for (const auto& row : rows) {
    const std::string path = (directory / (row.name + ".ota")).string();
    if (!otawrap::test::writeFileBytes(path, row.bytes)) {
      (void)std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    const bool good = row.verdict == otawrap::test::ShapeVerdict::good;
    table += row.name + "\t" + row.shape + "\t" + (row.variant.empty() ? "-" : row.variant) + "\t" + (good ? "good" : "damaged") +
             "\t" + std::to_string(row.innerOffset) + "\t" + std::to_string(row.innerSize) + "\t" +
             (row.change.empty() ? "-" : row.change) + "\n";
  }
  const std::string tablePath = (directory / "shapes.tsv").string();
  if (!otawrap::test::writeFileBytes(tablePath, std::vector<std::uint8_t>(table.begin(), table.end()))) {
    (void)std::fprintf(stderr, "cannot write %s\n", tablePath.c_str());
    return 1;
  }
  (void)std::printf("wrote %zu files and %s (seed %u)\n", rows.size(), tablePath.c_str(), seed);
  return 0;
}
