// Runs a fuzz target's entry function over saved inputs without libFuzzer:
// every argument is a file, or a directory whose regular files are all run; a
// missing path is skipped (a target may have no regression inputs yet).
// Used by the ordinary test build to replay the corpus and the regressions.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputFiles(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path path = fs::absolute(argv[i]);
    if (!fs::exists(path)) {
      continue;
    }
    if (fs::is_directory(path)) {
      for (const auto& entry : fs::directory_iterator(path)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(path);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<fs::path> files = inputFiles(argc, argv);
  if (files.empty()) {
    std::cerr << "no inputs to replay\n";
    return 1;
  }
  for (const fs::path& file : files) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
      std::cerr << "cannot read " << file.string() << "\n";
      return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(stream)),
                                  std::istreambuf_iterator<char>());
    // An empty vector's data() may be null; the entry function gets a valid
    // pointer as libFuzzer gives it.
    const std::uint8_t none = 0;
    const auto* data =
        bytes.empty() ? &none : reinterpret_cast<const std::uint8_t*>(bytes.data());
    LLVMFuzzerTestOneInput(data, bytes.size());
  }
  std::cout << "replayed " << files.size() << " inputs\n";
  return 0;
}
