// The messages table of docs/commands.md and the failure table
// (app/failure.cpp) say the same: every failure's command-style message
// is a row, and every row is a failure's message or one of the few made from
// their detail alone.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "app/failure.h"

namespace otawrap {
namespace {

// The text with every <placeholder> written as <D>; a '<' without its '>'
// stays as it is. (No std::regex: GCC's sanitizer build warns inside it.)
std::string withPlaceholders(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t close = text[at] == '<' ? text.find('>', at + 1) : std::string::npos;
    if (close != std::string::npos && close > at + 1) {
      out += "<D>";
      at = close + 1;
    } else {
      out += text[at++];
    }
  }
  return out;
}

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
  while (std::getline(lines, line)) {
    if (line.compare(0, 3, "| `") != 0) continue;
    rows.insert(withPlaceholders(line.substr(3, line.find("` |") - 3)));
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
