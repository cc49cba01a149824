#include "catalog/index_lint.h"

#include <algorithm>
#include <limits>

namespace otawrap {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

struct Range {
  std::uint64_t low;
  std::uint64_t high;
  bool empty() const { return low > high; }
  bool contains(const Range& r) const { return r.empty() || (low <= r.low && r.high <= high); }
  bool meets(const Range& r) const { return !empty() && !r.empty() && low <= r.high && r.low <= high; }
  bool operator==(const Range& r) const { return low == r.low && high == r.high; }
};

Range versionWindow(const IndexEntry& e) {
  return {e.minFileVersion.value_or(0),
          e.maxFileVersion.value_or(std::numeric_limits<std::uint32_t>::max())};
}

bool hardwareBounded(const IndexEntry& e) {
  return e.hardwareVersionMin.has_value() || e.hardwareVersionMax.has_value();
}

Range hardwareWindow(const IndexEntry& e) {
  return {e.hardwareVersionMin.value_or(0),
          e.hardwareVersionMax.value_or(std::numeric_limits<std::uint16_t>::max())};
}

bool anyModel(const IndexEntry& e) { return !e.modelId || e.modelId->empty(); }

bool hasName(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// No device matches it.
bool matchesNothing(const IndexEntry& e) {
  return versionWindow(e).empty() || (hardwareBounded(e) && hardwareWindow(e).empty()) ||
         (e.manufacturerNames && e.manufacturerNames->empty());
}

// Every device j matches, i matches too (herdsman's test, shadowing aside).
bool covers(const IndexEntry& i, const IndexEntry& j) {
  if (!versionWindow(i).contains(versionWindow(j))) return false;
  if (!anyModel(i) && (anyModel(j) || *i.modelId != *j.modelId)) return false;
  if (i.manufacturerNames) {
    if (!j.manufacturerNames) return false;
    for (const std::string& n : *j.manufacturerNames) {
      if (!hasName(*i.manufacturerNames, n)) return false;
    }
  }
  if (hardwareBounded(i)) {
    return hardwareBounded(j) && hardwareWindow(i).contains(hardwareWindow(j));
  }
  return true;
}

// Some device matches both (neither matches nothing).
bool overlaps(const IndexEntry& i, const IndexEntry& j) {
  if (!versionWindow(i).meets(versionWindow(j))) return false;
  if (!anyModel(i) && !anyModel(j) && *i.modelId != *j.modelId) return false;
  if (i.manufacturerNames && j.manufacturerNames) {
    bool common = false;
    for (const std::string& n : *j.manufacturerNames) common = common || hasName(*i.manufacturerNames, n);
    if (!common) return false;
  }
  // An unbounded entry takes every hardware version, and devices without one.
  return hardwareWindow(i).meets(hardwareWindow(j));
}

// The filters as one text: equal texts, equal sets of devices (names sorted,
// each once; an empty modelId filters nothing). Fields length-prefixed.
std::string filterKey(const IndexEntry& e) {
  std::string key;
  const auto field = [&key](const std::string& text) {
    key += std::to_string(text.size()) + ":" + text;
  };
  const Range v = versionWindow(e);
  const Range h = hardwareWindow(e);
  key += std::to_string(v.low) + "," + std::to_string(v.high) + ",";
  key += hardwareBounded(e) ? std::to_string(h.low) + "," + std::to_string(h.high) : std::string("-");
  key += anyModel(e) ? std::string("*") : "m";
  if (!anyModel(e)) field(*e.modelId);
  if (e.manufacturerNames) {
    std::vector<std::string> names = *e.manufacturerNames;
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    key += "n" + std::to_string(names.size());
    for (const std::string& n : names) field(n);
  }
  return key;
}

LintFinding finding(LintKind kind, std::size_t entry, std::size_t other = 0, const char* field = "",
                    std::uint64_t expected = 0, std::uint64_t actual = 0) {
  LintFinding f{kind, entry, other, field, expected, actual, ""};
  return f;
}

bool identified(const IndexEntry& e) {
  return e.manufacturerCode && e.imageType && e.fileVersion;
}

std::uint32_t groupOf(const IndexEntry& e) {
  return static_cast<std::uint32_t>(*e.manufacturerCode) << 16 | *e.imageType;
}

bool sameFile(const IndexEntry& a, const IndexEntry& b) {
  if (a.sha512 && b.sha512) return *a.sha512 == *b.sha512;
  return a.url == b.url;
}

void fileFindings(const IndexEntry& e, const IndexFileFacts& f, std::size_t at,
                  std::vector<LintFinding>& out) {
  using State = IndexFileFacts::State;
  switch (f.state) {
    case State::notLooked: return;
    case State::missing: out.push_back(finding(LintKind::fileMissing, at)); return;
    case State::unreadable: out.push_back(finding(LintKind::fileUnreadable, at)); return;
    case State::notOtaFile: out.push_back(finding(LintKind::notOtaFile, at)); return;
    case State::failsCheck:
      out.push_back(finding(LintKind::failsCheck, at));
      break;  // the header may still be compared
    case State::read: break;
  }
  if (e.sha512 && *e.sha512 != f.sha512) out.push_back(finding(LintKind::sha512Mismatch, at, 0, "sha512"));
  if (e.fileSize && *e.fileSize != f.downloadSize && *e.fileSize != f.totalImageSize) {
    out.push_back(finding(LintKind::sizeMismatch, at, 0, "fileSize", *e.fileSize, f.downloadSize));
  }
  const struct {
    const char* field;
    bool present;
    std::uint64_t entry;
    std::uint64_t header;
  } ids[] = {
      {"manufacturerCode", e.manufacturerCode.has_value(), e.manufacturerCode.value_or(0), f.manufacturerCode},
      {"imageType", e.imageType.has_value(), e.imageType.value_or(0), f.imageType},
      {"fileVersion", e.fileVersion.has_value(), e.fileVersion.value_or(0), f.fileVersion},
      {"hardwareVersionMin", e.hardwareVersionMin.has_value() && f.hardwareVersionsPresent,
       e.hardwareVersionMin.value_or(0), f.hardwareVersionMin},
      {"hardwareVersionMax", e.hardwareVersionMax.has_value() && f.hardwareVersionsPresent,
       e.hardwareVersionMax.value_or(0), f.hardwareVersionMax},
  };
  for (const auto& id : ids) {
    if (id.present && id.entry != id.header) {
      out.push_back(finding(LintKind::identifierMismatch, at, 0, id.field, id.entry, id.header));
    }
  }
}

void textFindings(const char* field, const std::string& text, bool lineBreaks, std::size_t at,
                  std::vector<LintFinding>& out) {
  const char* fault = indexTextFault(text, lineBreaks);
  if (fault == nullptr) return;
  out.push_back(finding(LintKind::textFault, at, 0, field));
  out.back().detail = fault;
}

// What each consumer's selection makes of the entries of one manufacturer
// code and image type; entries in index order.
class Relations {
 public:
  Relations(const std::vector<IndexEntry>& entries, std::vector<LintFinding>& out)
      : entries_(entries), out_(out), results_(entries.size()),
        budget_(kLintPairBudgetFloor + kLintPairBudgetPerEntry * entries.size()) {}

  std::size_t uncompared() const { return uncompared_; }

  // zigpy keeps the last entry of a key.
  void zigpy(const std::vector<std::size_t>& group) {
    const std::size_t served = group.back();
    const IndexEntry& s = entries_[served];
    for (std::size_t k = 0; k + 1 < group.size(); ++k) {
      const IndexEntry& e = entries_[group[k]];
      if (*e.fileVersion > *s.fileVersion) {
        out_.push_back(finding(LintKind::replacedByOlder, group[k], served, "fileVersion", *s.fileVersion,
                               *e.fileVersion));
      } else if (*e.fileVersion == *s.fileVersion && !sameFile(e, s)) {
        out_.push_back(finding(LintKind::collision, group[k], served, "fileVersion"));
      }
    }
  }

  // herdsman offers each device the first entry that matches it. leader[j]:
  // the first entry of the group with j's filters.
  void herdsman(const std::vector<std::size_t>& group, const std::vector<std::size_t>& leader) {
    std::vector<std::size_t> leaders;  // of devices some entry matches, in index order
    for (const std::size_t j : group) {
      if (matchesNothing(entries_[j])) continue;
      if (leader[j] != j) {
        member(j, leader[j]);
        continue;
      }
      results_[j] = scan(j, leaders);
      leaders.push_back(j);
      report(j, results_[j]);
    }
  }

 private:
  // The first earlier entries (of other filters) in each relation to one.
  struct Earlier {
    std::size_t cover = kNone;    // takes all its devices
    std::size_t shadow = kNone;   // takes all, or some with the same version
    std::size_t older = kNone;    // older, takes some
    std::size_t hardware = kNone; // shares devices, overlapping hardware range
  };

  Earlier scan(std::size_t j, const std::vector<std::size_t>& leaders) {
    Earlier r;
    const IndexEntry& b = entries_[j];
    for (const std::size_t i : leaders) {
      if (budget_ == 0) {
        ++uncompared_;
        break;
      }
      --budget_;
      const IndexEntry& a = entries_[i];
      if (!overlaps(a, b)) continue;
      const bool all = covers(a, b);
      if (r.cover == kNone && all) r.cover = i;
      if (r.shadow == kNone && (all || *a.fileVersion == *b.fileVersion)) r.shadow = i;
      if (r.older == kNone && *a.fileVersion < *b.fileVersion) r.older = i;
      if (r.hardware == kNone && hardwareBounded(a) && hardwareBounded(b) &&
          !(hardwareWindow(a) == hardwareWindow(b))) {
        r.hardware = i;
      }
      if (r.cover != kNone && r.shadow != kNone && r.hardware != kNone) break;
    }
    return r;
  }

  void report(std::size_t j, const Earlier& r) {
    const IndexEntry& b = entries_[j];
    if (r.shadow != kNone) {
      const IndexEntry& a = entries_[r.shadow];
      const LintKind kind = *a.fileVersion != *b.fileVersion ? LintKind::shadowed
                            : sameFile(a, b)                 ? LintKind::duplicate
                                                             : LintKind::collision;
      out_.push_back(finding(kind, j, r.shadow, kind == LintKind::shadowed ? "" : "fileVersion"));
    } else if (r.older != kNone) {
      out_.push_back(finding(LintKind::partlyShadowed, j, r.older, "fileVersion",
                             *entries_[r.older].fileVersion, *b.fileVersion));
    }
    if (r.hardware != kNone) out_.push_back(finding(LintKind::hardwareRangeOverlap, j, r.hardware, "hardwareVersionMin"));
  }

  // j has the devices of the earlier entry lead: the first entry that
  // covers those takes them all, else lead does.
  void member(std::size_t j, std::size_t lead) {
    Earlier r;
    r.shadow = results_[lead].cover != kNone ? results_[lead].cover : lead;
    report(j, r);
  }

  const std::vector<IndexEntry>& entries_;
  std::vector<LintFinding>& out_;
  std::vector<Earlier> results_;
  std::size_t budget_;
  std::size_t uncompared_ = 0;
};

}  // namespace

void indexEntryFaults(const IndexEntry& e, std::size_t at, std::vector<LintFinding>& out) {
  if (e.hardwareVersionMin && e.hardwareVersionMax && *e.hardwareVersionMin > *e.hardwareVersionMax) {
    out.push_back(finding(LintKind::hardwareRangeInverted, at, 0, "hardwareVersionMin",
                          *e.hardwareVersionMin, *e.hardwareVersionMax));
  }
  if (e.minFileVersion && e.maxFileVersion && *e.minFileVersion > *e.maxFileVersion) {
    out.push_back(finding(LintKind::fileVersionWindowEmpty, at, 0, "minFileVersion", *e.minFileVersion,
                          *e.maxFileVersion));
  } else if (e.minFileVersion && e.fileVersion && !e.force && *e.minFileVersion >= *e.fileVersion) {
    out.push_back(finding(LintKind::neverAnUpgrade, at, 0, "minFileVersion", *e.minFileVersion, *e.fileVersion));
  }
  textFindings("url", e.url, false, at, out);
  if (e.fileName) textFindings("fileName", *e.fileName, false, at, out);
  if (e.modelId) textFindings("modelId", *e.modelId, false, at, out);
  if (e.manufacturerNames) {
    for (const std::string& name : *e.manufacturerNames) {
      const std::size_t before = out.size();
      textFindings("manufacturerName", name, false, at, out);
      if (out.size() > before) break;  // one finding for the list
    }
  }
  if (e.originalUrl) textFindings("originalUrl", *e.originalUrl, false, at, out);
  if (e.releaseNotes) textFindings("releaseNotes", *e.releaseNotes, true, at, out);
}

LintReport indexLint(const std::vector<IndexEntry>& entries, const std::vector<IndexFileFacts>& facts,
                     IndexFormat format) {
  LintReport report;
  // Each group of one manufacturer code and image type, in index order.
  std::vector<std::size_t> order;
  for (std::size_t j = 0; j < entries.size(); ++j) {
    if (identified(entries[j])) order.push_back(j);
  }
  std::stable_sort(order.begin(), order.end(), [&entries](std::size_t a, std::size_t b) {
    return groupOf(entries[a]) < groupOf(entries[b]);
  });
  // herdsman: the first entry of each group and filters leads the others.
  std::vector<std::size_t> leader(entries.size(), kNone);
  if (format == IndexFormat::herdsman) {
    std::vector<std::pair<std::string, std::size_t>> keyed;
    keyed.reserve(order.size());
    for (const std::size_t j : order) {
      std::string key = std::to_string(groupOf(entries[j])) + "/" + filterKey(entries[j]);
      keyed.emplace_back(std::move(key), j);
    }
    std::sort(keyed.begin(), keyed.end());
    for (std::size_t k = 0; k < keyed.size(); ++k) {
      const bool first = k == 0 || keyed[k].first != keyed[k - 1].first;
      leader[keyed[k].second] = first ? keyed[k].second : leader[keyed[k - 1].second];
    }
  }
  std::vector<LintFinding> relations;
  Relations judge(entries, relations);
  for (std::size_t from = 0; from < order.size();) {
    std::size_t to = from + 1;
    while (to < order.size() && groupOf(entries[order[to]]) == groupOf(entries[order[from]])) ++to;
    const std::vector<std::size_t> group(order.begin() + static_cast<std::ptrdiff_t>(from),
                                         order.begin() + static_cast<std::ptrdiff_t>(to));
    if (format == IndexFormat::zigpy) {
      judge.zigpy(group);
    } else {
      judge.herdsman(group, leader);
    }
    from = to;
  }
  report.uncompared = judge.uncompared();
  std::stable_sort(relations.begin(), relations.end(),
                   [](const LintFinding& a, const LintFinding& b) { return a.entry < b.entry; });
  std::size_t next = 0;
  for (std::size_t j = 0; j < entries.size(); ++j) {
    if (j < facts.size()) fileFindings(entries[j], facts[j], j, report.findings);
    indexEntryFaults(entries[j], j, report.findings);
    for (; next < relations.size() && relations[next].entry == j; ++next) {
      report.findings.push_back(std::move(relations[next]));
    }
  }
  return report;
}

}  // namespace otawrap
