// The messages table of docs/commands.md and the failure table
// (commands/failure.cpp) say the same: every failure's command-style message
// is a row, and every row is a failure's message or one of the few made from
// their detail alone.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "commands/failure.h"

namespace otawrap {
namespace {

// The first cells of the table under "## Messages of the commands", with
// every <placeholder> written as <D>.
std::set<std::string> documentedMessages() {
  std::ifstream in(std::string(OTAWRAP_DOCS_DIR) + "/commands.md", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string doc = text.str();
  const std::size_t from = doc.find("## Messages of the commands");
  const std::size_t to = doc.find("\n## ", from + 1);
  std::istringstream lines(doc.substr(from, to - from));
  std::set<std::string> rows;
  std::string line;
  const std::regex placeholder("<[^>]+>");
  while (std::getline(lines, line)) {
    if (line.compare(0, 3, "| `") != 0) continue;
    const std::string cell = line.substr(3, line.find("` |") - 3);
    rows.insert(std::regex_replace(cell, placeholder, "<D>"));
  }
  return rows;
}

TEST(DocumentedMessages, EqualTheFailureTable) {
  const std::set<std::string> rows = documentedMessages();
  ASSERT_FALSE(rows.empty());
  std::set<std::string> messages;
  // Every enumerator and then some: values past the last fall back to the
  // detail alone, which is skipped like the failures that have no text.
  for (int value = 0; value < 256; ++value) {
    const Problem problem{static_cast<Failure>(value), "<D>", "F", 0};
    const std::string message = commandMessage(problem);
    // Failures without a text of their own, and the one only the legacy form raises.
    if (message == "<D>" || problem.failure == Failure::invalidPlatform) continue;
    messages.insert(message);
    EXPECT_EQ(rows.count(message), 1u) << "docs/commands.md lacks the row `" << message << "`";
  }
  // Rows whose text the command makes from the detail alone.
  const std::set<std::string> fromDetail = {
      "F:LINE: <D>",
      "file 'F' has no sub-element with tag 0xTTTT",
      "file 'F': <D> failed: <D>",
  };
  for (const std::string& row : rows) {
    EXPECT_TRUE(messages.count(row) == 1 || fromDetail.count(row) == 1)
        << "docs/commands.md documents `" << row << "`, which no failure prints";
  }
}

}  // namespace
}  // namespace otawrap
