#include "support/temp_directory.h"

#include <algorithm>
#include <filesystem>
#include <random>

namespace otawrap::test {

namespace fs = std::filesystem;

TempDirectory::TempDirectory() {
  std::random_device entropy;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    const fs::path candidate = base / ("otawrap-test-" + std::to_string(entropy()));
    if (fs::create_directory(candidate)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDirectory::file(const std::string& name) const { return path_ + "/" + name; }

std::vector<std::string> TempDirectory::entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace otawrap::test
