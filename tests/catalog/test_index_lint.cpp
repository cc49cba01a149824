// Lint findings: entries (and what was read of their files) in, findings out.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "catalog/index_lint.h"
#include "catalog/index_match.h"
#include "catalog_test_util.h"

namespace otawrap {
namespace {

struct Expected {
  LintKind kind;
  std::size_t entry;
  std::size_t other;
};

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Entries between braces, written without the identifiers they share.
std::string index(const std::vector<std::string>& bodies) {
  std::string text = "[";
  for (const std::string& body : bodies) {
    if (text.size() > 1) text += ",";
    text += R"({"url":"f","manufacturerCode":1,"imageType":2)" + (body.empty() ? "" : "," + body) + "}";
  }
  return text + "]";
}

std::vector<Expected> relationsOf(const LintReport& report) {
  std::vector<Expected> out;
  for (const LintFinding& f : report.findings) out.push_back({f.kind, f.entry, f.other});
  return out;
}

TEST(Lint, FindsEachFaultBetweenAndWithinEntries) {
  const IndexFormat herdsman = IndexFormat::herdsman;
  const IndexFormat zigpy = IndexFormat::zigpy;
  const std::string z1 = R"("fileVersion":1,"url":"f")";
  const std::string z2 = R"("fileVersion":2,"url":"f")";
  const struct {
    const char* name;
    IndexFormat format;
    std::vector<std::string> entries;
    std::vector<Expected> findings;
  } cases[] = {
      {"disjoint windows", herdsman, {R"("fileVersion":2,"minFileVersion":1)", R"("fileVersion":1,"maxFileVersion":0)"}, {}},
      {"different models", herdsman, {R"("fileVersion":1,"modelId":"A")", R"("fileVersion":1,"modelId":"B")"}, {}},
      {"disjoint names", herdsman, {R"("fileVersion":1,"manufacturerName":["a"])", R"("fileVersion":1,"manufacturerName":["b"])"}, {}},
      {"duplicate", herdsman, {R"("fileVersion":1,"sha512":"aa")", R"("fileVersion":1,"sha512":"aa")"},
       {{LintKind::duplicate, 1, 0}}},
      {"collision", herdsman, {R"("fileVersion":1,"sha512":"aa")", R"("fileVersion":1,"sha512":"bb")"},
       {{LintKind::collision, 1, 0}}},
      {"shadowed", herdsman, {R"("fileVersion":1)", R"("fileVersion":2,"modelId":"M")"}, {{LintKind::shadowed, 1, 0}}},
      {"shadowed by a wider name list", herdsman,
       {R"("fileVersion":1,"manufacturerName":["a","b"])", R"("fileVersion":2,"manufacturerName":["b"])"},
       {{LintKind::shadowed, 1, 0}}},
      {"one finding each, naming the first", herdsman, {R"("fileVersion":1)", R"("fileVersion":2)", R"("fileVersion":3)"},
       {{LintKind::shadowed, 1, 0}, {LintKind::shadowed, 2, 0}}},
      {"repeated filters name the first cover", herdsman,
       {R"("fileVersion":1)", R"("fileVersion":9,"modelId":"M")", R"("fileVersion":2,"modelId":"M")", R"("fileVersion":3,"modelId":"M")"},
       {{LintKind::shadowed, 1, 0}, {LintKind::shadowed, 2, 0}, {LintKind::shadowed, 3, 0}}},
      {"partly shadowed", herdsman, {R"("fileVersion":1,"maxFileVersion":5)", R"("fileVersion":2)"},
       {{LintKind::partlyShadowed, 1, 0}}},
      {"a newer earlier entry is fine", herdsman, {R"("fileVersion":3,"maxFileVersion":5)", R"("fileVersion":2)"}, {}},
      {"bounded hardware is not shadowed by unbounded devices", herdsman,
       {R"("fileVersion":1,"hardwareVersionMin":1,"hardwareVersionMax":2)", R"("fileVersion":2)"},
       {{LintKind::partlyShadowed, 1, 0}}},
      {"hardware overlap", herdsman,
       {R"("fileVersion":2,"hardwareVersionMin":1,"hardwareVersionMax":5)",
        R"("fileVersion":1,"hardwareVersionMin":4,"hardwareVersionMax":9)"},
       {{LintKind::hardwareRangeOverlap, 1, 0}}},
      {"hardware overlap for devices of other versions", herdsman,
       {R"("fileVersion":2,"maxFileVersion":0,"hardwareVersionMin":1,"hardwareVersionMax":5)",
        R"("fileVersion":2,"minFileVersion":1,"hardwareVersionMin":4,"hardwareVersionMax":9)"},
       {}},
      {"hardware inverted", herdsman, {R"("fileVersion":1,"hardwareVersionMin":5,"hardwareVersionMax":4)"},
       {{LintKind::hardwareRangeInverted, 0, 0}}},
      {"empty window", herdsman, {R"("fileVersion":9,"minFileVersion":5,"maxFileVersion":4)"},
       {{LintKind::fileVersionWindowEmpty, 0, 0}}},
      {"never an upgrade", herdsman, {R"("fileVersion":5,"minFileVersion":5)"}, {{LintKind::neverAnUpgrade, 0, 0}}},
      {"forced", herdsman, {R"("fileVersion":5,"minFileVersion":5,"force":true)"}, {}},
      {"control character", herdsman, {R"("fileVersion":1,"modelId":"a\u0000")"}, {{LintKind::textFault, 0, 0}}},
      {"one finding for a name list", herdsman, {R"("fileVersion":1,"manufacturerName":["\u0085","\u0001"])"},
       {{LintKind::textFault, 0, 0}}},
      {"line breaks in release notes", herdsman, {R"("fileVersion":1,"releaseNotes":"a\r\n\tb")"}, {}},
      {"bell in release notes", herdsman, {R"("fileVersion":1,"releaseNotes":"a\u0007")"}, {{LintKind::textFault, 0, 0}}},
      {"zigpy: newest last", zigpy, {z1, z2}, {}},
      {"zigpy: newest first", zigpy, {z2, z1}, {{LintKind::replacedByOlder, 0, 1}}},
      {"zigpy: the last is judged against", zigpy, {R"("fileVersion":3,"url":"f")", z1, z2},
       {{LintKind::replacedByOlder, 0, 2}}},
      {"zigpy: same version twice", zigpy, {z1, z1}, {}},
      {"zigpy: same version, another file", zigpy, {R"("fileVersion":1,"url":"g")", z1},
       {{LintKind::collision, 0, 1}}},
  };
  for (const auto& c : cases) {
    std::string text = index(c.entries);
    if (c.format == zigpy) {
      replaceAll(text, "\"url\":\"f\",\"manufacturerCode\":1,\"imageType\":2,",
                 "\"fw_manufacturer_id\":1,\"fw_image_type\":2,");
      replaceAll(text, "\"url\"", "\"fw_binary_url\"");
      replaceAll(text, "\"fileVersion\"", "\"fw_file_version\"");
    }
    const auto entries = entriesOf(text, c.format);
    const LintReport report = indexLint(entries, {}, c.format);
    EXPECT_EQ(report.uncompared, 0u) << c.name;
    const std::vector<Expected> found = relationsOf(report);
    ASSERT_EQ(found.size(), c.findings.size()) << c.name;
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].kind, c.findings[i].kind) << c.name;
      EXPECT_EQ(found[i].entry, c.findings[i].entry) << c.name;
      EXPECT_EQ(found[i].other, c.findings[i].other) << c.name;
    }
  }
}

// The rule as it reads, pair by pair: an entry is live when no earlier entry
// has the same filters (devices matching them all); each entry is judged by
// the earlier live entries sharing a device with it.
std::vector<Expected> slowRelations(const std::vector<IndexEntry>& entries) {
  const auto devices = [&](const IndexEntry& e) {
    std::vector<std::string> set;
    const char* models[] = {"", "A", "B"};
    for (std::uint32_t version = 0; version < 8; ++version) {
      for (int hardware = -1; hardware < 4; ++hardware) {
        for (const char* model : models) {
          for (const char* name : {"", "x", "y"}) {
            MatchDevice d{e.manufacturerCode.value_or(0), e.imageType.value_or(0), version, {}, {}, {}};
            if (hardware >= 0) d.hardwareVersion = static_cast<std::uint16_t>(hardware);
            if (*model != '\0') d.modelId = model;
            if (*name != '\0') d.manufacturerName = name;
            if (herdsmanEntryTest(e, d) == MatchReason::matches) {
              set.push_back(std::to_string(version) + "/" + std::to_string(hardware) + model + name);
            }
          }
        }
      }
    }
    std::sort(set.begin(), set.end());
    return set;
  };
  std::vector<std::vector<std::string>> sets;
  for (const IndexEntry& e : entries) sets.push_back(devices(e));
  const auto within = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::includes(b.begin(), b.end(), a.begin(), a.end());
  };
  const auto shared = [](const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::string> both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return !both.empty();
  };
  std::vector<Expected> out;
  for (std::size_t j = 0; j < entries.size(); ++j) {
    const IndexEntry& b = entries[j];
    std::size_t lead = j, shadow = j, older = j, hardware = j;
    for (std::size_t i = 0; i < j && !sets[j].empty(); ++i) {
      if (sets[i] == sets[j] && lead == j) lead = i;
      bool live = true;
      for (std::size_t k = 0; k < i; ++k) live = live && sets[k] != sets[i];
      if (!live || !shared(sets[i], sets[j])) continue;
      const IndexEntry& a = entries[i];
      if (shadow == j && (within(sets[j], sets[i]) || *a.fileVersion == *b.fileVersion)) shadow = i;
      if (older == j && *a.fileVersion < *b.fileVersion) older = i;
      const bool bounded = (a.hardwareVersionMin || a.hardwareVersionMax) && (b.hardwareVersionMin || b.hardwareVersionMax);
      if (hardware == j && bounded && (a.hardwareVersionMin.value_or(0) != b.hardwareVersionMin.value_or(0) ||
                                       a.hardwareVersionMax.value_or(0xFFFF) != b.hardwareVersionMax.value_or(0xFFFF))) {
        hardware = i;
      }
    }
    if (lead != j) {
      shadow = lead;
      for (std::size_t i = 0; i < lead; ++i) {
        if (shadow == lead && within(sets[j], sets[i])) shadow = i;
      }
      hardware = j;
    }
    if (shadow != j) {
      const IndexEntry& a = entries[shadow];
      out.push_back({*a.fileVersion != *b.fileVersion ? LintKind::shadowed
                     : *a.sha512 == *b.sha512       ? LintKind::duplicate
                                                    : LintKind::collision,
                     j, shadow});
    } else if (older != j) {
      out.push_back({LintKind::partlyShadowed, j, older});
    }
    if (hardware != j) out.push_back({LintKind::hardwareRangeOverlap, j, hardware});
  }
  return out;
}

TEST(Lint, GroupedComparisonsAgreeWithThePairwiseRule) {
  std::uint32_t seed = 0x11A7u;
  const auto random = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  const char* filters[] = {"", R"(,"minFileVersion":2)", R"(,"maxFileVersion":4)", R"(,"modelId":"A")",
                           R"(,"modelId":"")", R"(,"manufacturerName":["x"])", R"(,"manufacturerName":["x","y"])",
                           R"(,"hardwareVersionMin":1)", R"(,"hardwareVersionMax":2)",
                           R"(,"hardwareVersionMin":2,"hardwareVersionMax":3)"};
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> bodies;
    for (std::uint32_t n = 2 + random(7); n > 0; --n) {
      std::string body = R"("fileVersion":)" + std::to_string(1 + random(6)) + R"(,"sha512":")" +
                         std::to_string(random(2)) + "\"";
      for (int k = random(3); k > 0; --k) body += filters[random(10)];
      bodies.push_back(body);
    }
    std::string text = index(bodies);
    // A filter drawn twice is one key given twice: keep the first.
    JsonValue root;
    if (jsonParse(text.data(), text.size(), root).status != JsonStatus::ok) continue;
    const auto entries = entriesOf(text);
    std::vector<Expected> fast;
    for (const Expected& e : relationsOf(indexLint(entries, {}, IndexFormat::herdsman))) {
      if (lintKindNamesOther(e.kind)) fast.push_back(e);
    }
    const std::vector<Expected> slow = slowRelations(entries);
    ASSERT_EQ(fast.size(), slow.size()) << text;
    for (std::size_t i = 0; i < fast.size(); ++i) {
      EXPECT_EQ(fast[i].kind, slow[i].kind) << text;
      EXPECT_EQ(fast[i].entry, slow[i].entry) << text;
      EXPECT_EQ(fast[i].other, slow[i].other) << text;
    }
  }
}

TEST(Lint, CountsWhatTheBudgetLeavesUncompared) {
  // Entries of all different filters are compared pair by pair, up to the budget.
  std::vector<IndexEntry> entries(12000);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    entries[i].manufacturerCode = 1;
    entries[i].imageType = 2;
    entries[i].fileVersion = 1;
    entries[i].modelId = std::to_string(i);
  }
  const LintReport report = indexLint(entries, {}, IndexFormat::herdsman);
  EXPECT_TRUE(report.findings.empty());
  const std::size_t budget = kLintPairBudgetFloor + kLintPairBudgetPerEntry * entries.size();
  std::size_t compared = 0;
  while ((compared + 1) * compared / 2 <= budget) ++compared;
  EXPECT_EQ(report.uncompared, entries.size() - compared);
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
    const auto findings = indexLint(entriesOf(index({c.entry})), {facts}, IndexFormat::herdsman).findings;
    ASSERT_EQ(findings.size(), c.kinds.size()) << c.name;
    for (std::size_t i = 0; i < findings.size(); ++i) EXPECT_EQ(findings[i].kind, c.kinds[i]) << c.name;
    if (!findings.empty()) {
      EXPECT_STREQ(findings.back().field, c.field) << c.name;
    }
  }
}

}  // namespace
}  // namespace otawrap
