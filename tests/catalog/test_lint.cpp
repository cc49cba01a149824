// Lint findings: entries (and what was read of their files) in, findings out.
#include <gtest/gtest.h>

#include "catalog/lint.h"
#include "catalog_test_util.h"

namespace otawrap {
namespace {

struct Expected {
  LintKind kind;
  std::size_t entry;
  std::size_t other;
};

// Entries between braces, written without the identifiers they share.
std::string index(const std::vector<std::string>& bodies) {
  std::string text = "[";
  for (const std::string& body : bodies) {
    if (text.size() > 1) text += ",";
    text += R"({"url":"f","manufacturerCode":1,"imageType":2)" + (body.empty() ? "" : "," + body) + "}";
  }
  return text + "]";
}

TEST(Lint, FindsEachFaultBetweenAndWithinEntries) {
  const struct {
    const char* name;
    std::vector<std::string> entries;
    std::vector<Expected> findings;
  } cases[] = {
      {"disjoint windows", {R"("fileVersion":2,"minFileVersion":1)", R"("fileVersion":1,"maxFileVersion":0)"}, {}},
      {"different models", {R"("fileVersion":1,"modelId":"A")", R"("fileVersion":1,"modelId":"B")"}, {}},
      {"disjoint names", {R"("fileVersion":1,"manufacturerName":["a"])", R"("fileVersion":1,"manufacturerName":["b"])"}, {}},
      {"duplicate", {R"("fileVersion":1,"sha512":"aa")", R"("fileVersion":1,"sha512":"aa")"},
       {{LintKind::duplicate, 1, 0}}},
      {"collision", {R"("fileVersion":1,"sha512":"aa")", R"("fileVersion":1,"sha512":"bb")"},
       {{LintKind::collision, 1, 0}}},
      {"shadowed", {R"("fileVersion":1)", R"("fileVersion":2,"modelId":"M")"}, {{LintKind::shadowed, 1, 0}}},
      {"shadowed by a wider name list",
       {R"("fileVersion":1,"manufacturerName":["a","b"])", R"("fileVersion":2,"manufacturerName":["b"])"},
       {{LintKind::shadowed, 1, 0}}},
      {"partly shadowed", {R"("fileVersion":1,"maxFileVersion":5)", R"("fileVersion":2)"},
       {{LintKind::partlyShadowed, 1, 0}}},
      {"a newer earlier entry is fine", {R"("fileVersion":3,"maxFileVersion":5)", R"("fileVersion":2)"}, {}},
      {"bounded hardware is not shadowed by unbounded devices",
       {R"("fileVersion":1,"hardwareVersionMin":1,"hardwareVersionMax":2)", R"("fileVersion":2)"},
       {{LintKind::partlyShadowed, 1, 0}}},
      {"hardware overlap",
       {R"("fileVersion":2,"hardwareVersionMin":1,"hardwareVersionMax":5)",
        R"("fileVersion":1,"hardwareVersionMin":4,"hardwareVersionMax":9)"},
       {{LintKind::hardwareRangeOverlap, 1, 0}}},
      {"hardware inverted", {R"("fileVersion":1,"hardwareVersionMin":5,"hardwareVersionMax":4)"},
       {{LintKind::hardwareRangeInverted, 0, 0}}},
      {"empty window", {R"("fileVersion":9,"minFileVersion":5,"maxFileVersion":4)"},
       {{LintKind::fileVersionWindowEmpty, 0, 0}}},
      {"never an upgrade", {R"("fileVersion":5,"minFileVersion":5)"}, {{LintKind::neverAnUpgrade, 0, 0}}},
      {"forced", {R"("fileVersion":5,"minFileVersion":5,"force":true)"}, {}},
  };
  for (const auto& c : cases) {
    const auto entries = entriesOf(index(c.entries));
    const auto findings = indexLint(entries, std::vector<IndexFileFacts>(entries.size()));
    ASSERT_EQ(findings.size(), c.findings.size()) << c.name;
    for (std::size_t i = 0; i < findings.size(); ++i) {
      EXPECT_EQ(findings[i].kind, c.findings[i].kind) << c.name;
      EXPECT_EQ(findings[i].entry, c.findings[i].entry) << c.name;
      EXPECT_EQ(findings[i].other, c.findings[i].other) << c.name;
    }
  }
}

TEST(Lint, ComparesEntriesWithTheirFiles) {
  IndexFileFacts good;
  good.state = IndexFileFacts::State::read;
  good.downloadSize = 120;
  good.totalImageSize = 100;
  good.sha512 = "aa";
  good.manufacturerCode = 1;
  good.imageType = 2;
  good.fileVersion = 3;
  good.hardwareVersionsPresent = true;
  good.hardwareVersionMin = 1;
  good.hardwareVersionMax = 2;
  const std::string ok = R"("fileVersion":3,"sha512":"aa","hardwareVersionMin":1,"hardwareVersionMax":2)";
  const struct {
    const char* name;
    std::string entry;
    IndexFileFacts::State state;
    std::vector<LintKind> kinds;
    const char* field;
  } cases[] = {
      {"matches", ok + R"(,"fileSize":120)", IndexFileFacts::State::read, {}, ""},
      {"total image size", ok + R"(,"fileSize":100)", IndexFileFacts::State::read, {}, ""},
      {"size", ok + R"(,"fileSize":101)", IndexFileFacts::State::read, {LintKind::sizeMismatch}, "fileSize"},
      {"sha512", R"("fileVersion":3,"sha512":"ab")", IndexFileFacts::State::read, {LintKind::sha512Mismatch}, "sha512"},
      {"version", R"("fileVersion":4)", IndexFileFacts::State::read, {LintKind::identifierMismatch}, "fileVersion"},
      {"hardware", R"("fileVersion":3,"hardwareVersionMax":3)", IndexFileFacts::State::read,
       {LintKind::identifierMismatch}, "hardwareVersionMax"},
      {"missing", ok, IndexFileFacts::State::missing, {LintKind::fileMissing}, ""},
      {"unreadable", ok, IndexFileFacts::State::unreadable, {LintKind::fileUnreadable}, ""},
      {"not OTA", ok, IndexFileFacts::State::notOtaFile, {LintKind::notOtaFile}, ""},
      {"fails a check, header compared", R"("fileVersion":4)", IndexFileFacts::State::failsCheck,
       {LintKind::failsCheck, LintKind::identifierMismatch}, "fileVersion"},
      {"remote", R"("fileVersion":4)", IndexFileFacts::State::notLooked, {}, ""},
  };
  for (const auto& c : cases) {
    IndexFileFacts facts = good;
    facts.state = c.state;
    const auto findings = indexLint(entriesOf(index({c.entry})), {facts});
    ASSERT_EQ(findings.size(), c.kinds.size()) << c.name;
    for (std::size_t i = 0; i < findings.size(); ++i) EXPECT_EQ(findings[i].kind, c.kinds[i]) << c.name;
    if (!findings.empty()) {
      EXPECT_STREQ(findings.back().field, c.field) << c.name;
    }
  }
}

}  // namespace
}  // namespace otawrap
