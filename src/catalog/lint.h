// Findings on an OTA index: each entry against its file (what the command
// layer read of it), and the entries against each other under
// zigbee-herdsman's selection rule (catalog/match.h).
//
// Per entry: the file missing, unreadable, not an OTA file or failing a check
// `info` makes; sha512 or fileSize not those of the file (fileSize may be the
// downloaded length or the header's total image size); manufacturerCode,
// imageType, fileVersion or the hardware range not the header's; the hardware
// range inverted; the file-version window empty (min above max) or holding no
// version below the entry's own, so no device is ever offered it (unless
// force). Between entries of one manufacturer and image type: the same
// version twice for devices they share (a duplicate when the files are the
// same, a collision when they differ); an entry no device can be offered
// because an earlier one matches every device it does; an earlier, older
// entry taking some of a later one's devices; hardware ranges that overlap
// without being equal.
//
// Pure code: no I/O, no printing; findings come out in entry order.
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
  duplicate,               // other: the earlier entry
  collision,               // other: the earlier entry
  shadowed,                // other: the earlier entry that takes all its devices
  partlyShadowed,          // other: the earlier, older entry that takes some
  hardwareRangeOverlap,    // other: the earlier entry
};

struct LintFinding {
  LintKind kind;
  std::size_t entry = 0;
  std::size_t other = 0;
  const char* field = "";  // the index field concerned, when one is
  std::uint64_t expected = 0;
  std::uint64_t actual = 0;
  std::string detail;      // failsCheck: the check's text
};

// facts[i] belongs to entries[i]; facts.size() == entries.size().
std::vector<LintFinding> indexLint(const std::vector<IndexEntry>& entries,
                                   const std::vector<IndexFileFacts>& facts);

}  // namespace otawrap
