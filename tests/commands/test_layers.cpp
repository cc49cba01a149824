// The layers as docs/internals.md states them: every #include "DIR/..." under
// src/ must be one its directory's row of the table allows, and main.cpp
// includes only what the table's sketch names. The table is read from the
// document, so the document cannot drift from the code.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "support/otawrap_run.h"

namespace otawrap {
namespace {

// Directory -> the directories it may include, from the table's rows
// "| `src/DIR` | job | a, b, c |".
std::map<std::string, std::set<std::string>> allowedIncludes(const std::string& document) {
  std::map<std::string, std::set<std::string>> allowed;
  const std::regex row(R"(^\| `src/([a-z]+)` \|.*\| ([a-z, ]+) \|$)");
  std::size_t from = 0;
  while (from < document.size()) {
    const std::size_t to = document.find('\n', from);
    const std::string line = document.substr(from, to - from);
    std::smatch m;
    if (std::regex_match(line, m, row)) {
      std::set<std::string>& names = allowed[m[1]];
      const std::regex word("[a-z]+");
      const std::string list = m[2];
      for (auto w = std::sregex_iterator(list.begin(), list.end(), word); w != std::sregex_iterator(); ++w) {
        if (w->str() != "nothing") names.insert(w->str());
      }
    }
    from = to == std::string::npos ? document.size() : to + 1;
  }
  return allowed;
}

TEST(Layers, EveryIncludeIsOneTheInternalsTableAllows) {
  const std::string docs = OTAWRAP_DOCS_DIR;
  const auto allowed = allowedIncludes(test::readText(docs + "/internals.md"));
  ASSERT_GE(allowed.size(), 13u) << "the table of docs/internals.md was not found";
  const std::regex include(R"re(#include "([a-z]+)/)re");
  std::set<std::string> seen;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(docs + "/../src")) {
    if (!entry.is_regular_file()) continue;
    const std::filesystem::path path = entry.path();
    const std::string directory = path.parent_path().filename().string();
    const std::string text = test::readText(path.string());
    for (auto m = std::sregex_iterator(text.begin(), text.end(), include); m != std::sregex_iterator(); ++m) {
      const std::string target = (*m)[1];
      if (directory == "src") {  // main.cpp
        EXPECT_TRUE(target == "entry" || target == "cli" || target == "io") << path << " includes " << target;
        continue;
      }
      seen.insert(directory);
      if (target == directory) continue;
      ASSERT_EQ(allowed.count(directory), 1u) << "docs/internals.md has no row for src/" << directory;
      EXPECT_EQ(allowed.at(directory).count(target), 1u)
          << path.filename() << " (src/" << directory << ") includes " << target
          << ", which docs/internals.md does not allow";
    }
  }
  for (const std::string& directory : seen) EXPECT_EQ(allowed.count(directory), 1u) << directory;
}

}  // namespace
}  // namespace otawrap
