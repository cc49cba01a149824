#include "catalog/lint.h"

#include <algorithm>
#include <limits>

namespace otawrap {

namespace {

struct Range {
  std::uint64_t low;
  std::uint64_t high;
  bool empty() const { return low > high; }
  bool contains(const Range& r) const { return r.empty() || (low <= r.low && r.high <= high); }
  bool meets(const Range& r) const { return !empty() && !r.empty() && low <= r.high && r.low <= high; }
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

// Some device matches both.
bool overlaps(const IndexEntry& i, const IndexEntry& j) {
  if (!versionWindow(i).meets(versionWindow(j))) return false;
  if (!anyModel(i) && !anyModel(j) && *i.modelId != *j.modelId) return false;
  if (i.manufacturerNames && j.manufacturerNames) {
    bool common = false;
    for (const std::string& n : *j.manufacturerNames) common = common || hasName(*i.manufacturerNames, n);
    if (!common) return false;
  } else if ((i.manufacturerNames && i.manufacturerNames->empty()) ||
             (j.manufacturerNames && j.manufacturerNames->empty())) {
    return false;
  }
  if (hardwareBounded(i) && hardwareBounded(j)) return hardwareWindow(i).meets(hardwareWindow(j));
  if (hardwareBounded(i)) return !hardwareWindow(i).empty();
  if (hardwareBounded(j)) return !hardwareWindow(j).empty();
  return true;
}

LintFinding finding(LintKind kind, std::size_t entry, std::size_t other = 0, const char* field = "",
                    std::uint64_t expected = 0, std::uint64_t actual = 0) {
  LintFinding f{kind, entry, other, field, expected, actual, ""};
  return f;
}

bool identified(const IndexEntry& e) {
  return e.manufacturerCode && e.imageType && e.fileVersion;
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
    case State::failsCheck: {
      out.push_back(finding(LintKind::failsCheck, at));
      out.back().detail = f.failedCheck;
      break;  // the header may still be compared
    }
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

void ownFindings(const IndexEntry& e, std::size_t at, std::vector<LintFinding>& out) {
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
}

// The worst relation of entry j to one earlier entry i, if any.
void pairFindings(const std::vector<IndexEntry>& entries, std::size_t j, std::vector<LintFinding>& out) {
  const IndexEntry& b = entries[j];
  if (!identified(b)) return;
  for (std::size_t i = 0; i < j; ++i) {
    const IndexEntry& a = entries[i];
    if (!identified(a) || *a.manufacturerCode != *b.manufacturerCode || *a.imageType != *b.imageType) {
      continue;
    }
    const bool shared = overlaps(a, b);
    if (shared && *a.fileVersion == *b.fileVersion) {
      out.push_back(finding(sameFile(a, b) ? LintKind::duplicate : LintKind::collision, j, i, "fileVersion"));
      continue;
    }
    if (shared && covers(a, b)) {
      out.push_back(finding(LintKind::shadowed, j, i));
    } else if (shared && *a.fileVersion < *b.fileVersion) {
      out.push_back(finding(LintKind::partlyShadowed, j, i, "fileVersion", *a.fileVersion, *b.fileVersion));
    }
    if (hardwareBounded(a) && hardwareBounded(b) && hardwareWindow(a).meets(hardwareWindow(b)) &&
        (hardwareWindow(a).low != hardwareWindow(b).low || hardwareWindow(a).high != hardwareWindow(b).high)) {
      out.push_back(finding(LintKind::hardwareRangeOverlap, j, i, "hardwareVersionMin"));
    }
  }
}

}  // namespace

std::vector<LintFinding> indexLint(const std::vector<IndexEntry>& entries,
                                   const std::vector<IndexFileFacts>& facts) {
  std::vector<LintFinding> out;
  for (std::size_t j = 0; j < entries.size(); ++j) {
    if (j < facts.size()) fileFindings(entries[j], facts[j], j, out);
    ownFindings(entries[j], j, out);
    pairFindings(entries, j, out);
  }
  return out;
}

}  // namespace otawrap
