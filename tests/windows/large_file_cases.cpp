// Inputs of 3 GB (sparse files: no disk space): the raw and Intel HEX inputs,
// a credentials file, an OTA file, a payload and an output directory that is
// such a file. Every build must answer from the size or the first bytes, as a
// 64-bit build does; a 32-bit build without large-file support could not even
// open or stat them.
#include <string>
#include <vector>

#include "windows/case_writer.h"

namespace otawrap::test::cases {

void largeFileCases(CaseWriter& w) {
  constexpr std::uint64_t kSize = 3000000000ULL;
  const std::string rawInput = w.sparseInput("large.raw", "", kSize);
  // A short bad record on line 2, so no build reads the 3 GB of zeros.
  const std::string hexInput = w.sparseInput("large.hex", ":020000040000FA\n:0\n", kSize);
  const std::string credentials = w.sparseInput("large-credentials.txt", "IEEE Address: ", kSize);
  const std::string good = kIn + "good.raw";
  const std::vector<std::pair<std::string, Args>> cases = {
      {"large-raw", {"convert", rawInput, "-o", "out"}},
      {"large-raw-legacy", {rawInput, "-oout"}},
      {"large-hex", {"convert", hexInput, "-o", "out"}},
      {"large-hex-legacy", {hexInput, "-oout"}},
      {"large-credentials", {"convert", good, "-s", credentials, "-o", "out"}},
      {"large-credentials-legacy", {good, "-oout", "-s" + credentials}},
      {"large-credentials-verify", {"verify", kIn + "ota-plain.zigbee", "-s", credentials}},
      {"large-output-dir-legacy", {good, "-o" + rawInput}},
      {"large-info", {"info", rawInput}},
      {"large-extract", {"extract", rawInput, "-o", "out"}},
      {"large-index", {"index", rawInput}},
      {"large-payload", {"build", "-m1", "-t1", "-v1", "--tag", "0=" + rawInput}},
  };
  for (const auto& c : cases) w.step(c.first, c.second);
  // The message names the directory it could not create, with the platform's
  // separator.
  w.step("large-output-dir", {"convert", good, "-o", rawInput}, "path");
}

}  // namespace otawrap::test::cases
