// The commands' definitions against what users read: every option of every definition is
// on the command's generated help page, in its section of the man page and
// of docs/commands.md; every option those sections document is in a definition of
// a command they name. Words and aliases are unique, and every command finds
// itself.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/help_text.h"
#include "entry/registry.h"

namespace otawrap {
namespace {

std::string readDoc(const std::string& name) {
  std::ifstream in(std::string(OTAWRAP_DOCS_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The man page with roff's escapes of '-' undone.
std::string manPage() {
  std::string text = readDoc("otawrap.1");
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '-') continue;
    plain += text[i];
  }
  return plain;
}

// A document's sections: title line and text up to the next title.
struct Section {
  std::string title;
  std::string text;
};

std::vector<Section> sections(const std::string& text, const std::string& marker) {
  std::vector<Section> found;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, marker.size(), marker) == 0) {
      found.push_back({line.substr(marker.size()), ""});
    } else if (!found.empty()) {
      found.back().text += line + "\n";
    }
  }
  return found;
}

// The commands a section title names as words ("info and verify").
bool isWordCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }

// The runs of lower-case letters, digits and '-' in text.
std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> found;
  std::string word;
  for (const char c : text + " ") {
    if (isWordCharacter(c)) {
      word += c;
    } else if (!word.empty()) {
      found.push_back(word);
      word.clear();
    }
  }
  return found;
}

std::vector<const Command*> commandsNamed(const std::string& title) {
  std::vector<const Command*> named;
  for (const std::string& word : words(title)) {
    const Command* command = word[0] == '-' ? nullptr : findCommand(word);
    if (command != nullptr) named.push_back(command);
  }
  return named;
}

std::set<std::string> longOptions(const std::vector<const Command*>& commands) {
  std::set<std::string> names = {"--help"};
  for (const Command* command : commands) {
    for (const OptionDefinition& option : command->options()) {
      names.insert(std::string("--") + option.longName);
    }
  }
  return names;
}

// Every "--name" in text (name starting with a letter).
std::set<std::string> optionsIn(const std::string& text) {
  std::set<std::string> found;
  for (const std::string& word : words(text)) {
    if (word.size() > 2 && word.compare(0, 2, "--") == 0 && word[2] >= 'a' && word[2] <= 'z') {
      found.insert(word);
    }
  }
  return found;
}

// The lines of a commands.md section that document options: table rows and
// code lines that start with one.
std::string documentingLines(const std::string& text) {
  std::string kept;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.compare(0, 3, "| `") == 0) {
      kept += line.substr(0, line.find('|', 1)) + "\n";  // the first cell only
    } else if (line.compare(0, 1, "-") == 0) {
      kept += line.substr(0, line.find("  ")) + "\n";
    }
  }
  return kept;
}

// Checks both ways between the definitions and one document's sections about them.
void compareWithDocument(const std::vector<Section>& documented, const std::string& document) {
  std::map<const Command*, std::string> textOf;
  for (const Section& section : documented) {
    const std::vector<const Command*> named = commandsNamed(section.title);
    for (const Command* command : named) textOf[command] += section.title + "\n" + section.text;
    const std::string source = document == "docs/commands.md"
                                   ? section.title + "\n" + documentingLines(section.text)
                                   : section.text;
    const std::set<std::string> known = longOptions(named);
    if (named.empty()) continue;
    for (const std::string& option : optionsIn(source)) {
      EXPECT_EQ(known.count(option), 1u)
          << document << " documents " << option << " under '" << section.title
          << "', which no definition of those commands has";
    }
  }
  for (const Command* command : allCommands()) {
    for (const OptionDefinition& option : command->options()) {
      const std::string name = std::string("--") + option.longName;
      EXPECT_NE(optionsIn(textOf[command]).count(name), 0u)
          << document << " does not document " << name << " of " << command->text().name;
    }
  }
}

TEST(CommandDefinitions, WordsAreUniqueAndFindThemselves) {
  std::set<std::string> taken;
  for (const Command* command : allCommands()) {
    const CommandText& text = command->text();
    EXPECT_TRUE(taken.insert(text.name).second) << text.name;
    EXPECT_EQ(findCommand(text.name), command);
    if (text.alias != nullptr) {
      EXPECT_EQ(std::string("--") + text.name, text.alias);
      EXPECT_TRUE(taken.insert(text.alias).second) << text.alias;
      EXPECT_EQ(findCommand(text.alias), command);
    }
    std::set<std::string> names;
    for (const OptionDefinition& option : command->options()) {
      EXPECT_TRUE(names.insert(option.longName).second) << text.name << " " << option.longName;
      if (option.shortName != '\0') {
        EXPECT_TRUE(names.insert(std::string(1, option.shortName)).second) << option.longName;
      }
    }
  }
}

TEST(CommandDefinitions, EveryOptionIsOnTheHelpPage) {
  for (const Command* command : allCommands()) {
    const std::string page = helpPage(command->text(), command->options());
    EXPECT_EQ(page.compare(0, 15, "Usage: otawrap "), 0) << command->text().name;
    for (const OptionDefinition& option : command->options()) {
      std::string line = "  ";
      line += option.shortName != '\0' ? std::string("-") + option.shortName + ", " : "    ";
      line += std::string("--") + option.longName;
      EXPECT_NE(page.find("\n" + line), std::string::npos) << command->text().name << line;
    }
  }
}

TEST(CommandDefinitions, ManPageDocumentsExactlyTheDefinitions) {
  const std::string page = manPage();
  const std::size_t options = page.find("\n.SH OPTIONS\n");
  ASSERT_NE(options, std::string::npos);
  const std::string rest = page.substr(options);
  const std::string section = rest.substr(0, rest.find("\n.SH ", 1));
  compareWithDocument(sections(section, ".SS "), "docs/otawrap.1");
}

TEST(CommandDefinitions, CommandReferenceDocumentsExactlyTheDefinitions) {
  std::vector<Section> documented;
  for (const Section& section : sections(readDoc("commands.md"), "## ")) {
    // "## `convert`", "## `info FILE ...`": the sections about commands.
    if (section.title.compare(0, 1, "`") == 0) documented.push_back(section);
  }
  compareWithDocument(documented, "docs/commands.md");
}

}  // namespace
}  // namespace otawrap
