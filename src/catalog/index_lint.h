// Findings on an OTA index: each entry against its file (what the command
// layer read of it), each entry on its own, and the entries against each
// other under the selection rule of the consumer that reads the index's
// format (catalog/index_match.h).
//
// Per entry: the file missing, unreadable, not an OTA file or failing a check
// `info` makes; sha512 or fileSize not those of the file (fileSize may be the
// downloaded length or the header's total image size); manufacturerCode,
// imageType, fileVersion or the hardware range not the header's. On its own
// (indexEntryFaults, the faults `index` refuses to write): the hardware range
// inverted; the file-version window empty (min above max) or holding no
// version below the entry's own, so no device is ever offered it (unless
// force); a text field that is not UTF-8 or holds a control character
// (releaseNotes may hold tabs and line breaks).
//
// Between entries of one manufacturer code and image type, zigbee-herdsman
// (first match wins): at most one finding per entry for the earlier entries
// that take its devices, naming the first one that does: an earlier entry of
// the same version sharing a device (a duplicate when the files are the same,
// a collision when they differ) or matching every device this one does
// (shadowed); else the first earlier, older entry that takes some of its
// devices (partlyShadowed). An entry whose filters repeat an earlier entry's
// takes no device: it is judged by the first entry that covers it alone. Any
// other gets at most one more finding, naming the first earlier entry (of
// filters not repeated) sharing a device whose hardware range overlaps
// without being equal.
// zigpy (the last entry of a key replaces the earlier ones): an entry a later,
// older entry replaces, so its newer image is never offered; one of the same
// version with a different file. An index zigpy serves its newest images from
// has no finding.
//
// Work: O(n log n) to group entries by identical filters; the comparisons
// between entries of different filters are bounded by a budget linear in the
// index (kLintPairBudget...), and entries the budget leaves uncompared are
// counted, never guessed at. Pure code: no I/O, no printing; findings come
// out in entry order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/index_entry.h"

namespace otawrap {

// What the command layer found when it looked for an entry's file.
struct IndexFileFacts {
  enum class State : std::uint8_t {
    read,        // read; the fields below hold
    notLooked,   // nothing to compare (e.g. a remote file and no directory given)
    missing,     // no such file
    unreadable,  // it exists but could not be read
    notOtaFile,  // no OTA file identifier
    failsCheck,  // an `info` check failed (failedCheck names it)
  };
  State state = State::notLooked;
  std::string failedCheck;
  std::uint64_t downloadSize = 0;    // the whole file
  std::uint64_t totalImageSize = 0;  // the header's field
  std::string sha512;                // lower-case hex of the whole file
  std::uint16_t manufacturerCode = 0;
  std::uint16_t imageType = 0;
  std::uint32_t fileVersion = 0;
  bool hardwareVersionsPresent = false;
  std::uint16_t hardwareVersionMin = 0;
  std::uint16_t hardwareVersionMax = 0;
};

enum class LintKind : std::uint8_t {
  fileMissing,
  fileUnreadable,
  notOtaFile,
  failsCheck,
  sha512Mismatch,
  sizeMismatch,            // expected: the entry's fileSize; actual: download size
  identifierMismatch,      // field; expected: the entry's; actual: the header's
  hardwareRangeInverted,   // expected: min; actual: max
  fileVersionWindowEmpty,  // expected: minFileVersion; actual: maxFileVersion
  neverAnUpgrade,          // expected: minFileVersion; actual: the entry's fileVersion
  textFault,               // field; detail: the fault (indexTextFault's words)
  duplicate,               // other: the entry whose devices it shares
  collision,               // other: the same
  shadowed,                // other: the first earlier entry that takes all its devices
  partlyShadowed,          // other: the first earlier, older entry that takes some
  hardwareRangeOverlap,    // other: the earlier entry
  replacedByOlder,         // zigpy; other: the later entry; expected: its version; actual: this one's
};

// The kinds that name another entry.
inline bool lintKindNamesOther(LintKind kind) { return kind >= LintKind::duplicate; }

struct LintFinding {
  LintKind kind;
  std::size_t entry = 0;
  std::size_t other = 0;
  const char* field = "";  // the index field concerned, when one is
  std::uint64_t expected = 0;
  std::uint64_t actual = 0;
  std::string detail;      // textFault: the fault
};

struct LintReport {
  std::vector<LintFinding> findings;
  std::size_t uncompared = 0;  // entries whose comparison the budget cut short
};

// Pair tests between entries of different filters: this much per entry, on
// top of a floor, for the whole index.
inline constexpr std::size_t kLintPairBudgetPerEntry = 512;
inline constexpr std::size_t kLintPairBudgetFloor = std::size_t{1} << 25;

// facts[i] belongs to entries[i] (missing ones count as not looked at).
LintReport indexLint(const std::vector<IndexEntry>& entries, const std::vector<IndexFileFacts>& facts,
                     IndexFormat format);

// The faults of one entry on its own, appended to out with entry = at.
void indexEntryFaults(const IndexEntry& entry, std::size_t at, std::vector<LintFinding>& out);

}  // namespace otawrap
