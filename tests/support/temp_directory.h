// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
#pragma once

#include <string>
#include <vector>

namespace otawrap::test {

class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string& name) const;
  // Names of the entries directly inside, sorted.
  std::vector<std::string> entries() const;

 private:
  std::string path_;
};

}  // namespace otawrap::test
