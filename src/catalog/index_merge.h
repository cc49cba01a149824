// Merging new entries into an existing index text (`index --update`).
//
// An existing entry whose manufacturerCode, imageType and fileVersion equal a
// new one's is replaced by the new entry's text (the first such in place, any
// later ones dropped); every other existing entry is kept byte for byte, as is
// everything outside the array. New entries that replace nothing are appended
// in the order given. The separators between elements follow the existing
// text's (its first separator, and the white space after '[' and before ']').
// Pure code: no I/O, no printing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/index_entry.h"
#include "catalog/json_reader.h"

namespace otawrap {

struct IndexMergeItem {
  std::uint16_t manufacturerCode = 0;
  std::uint16_t imageType = 0;
  std::uint32_t fileVersion = 0;
  std::string text;  // the entry as one JSON object
};

struct IndexMergeCounts {
  std::size_t replaced = 0;  // existing entries given a different text
  std::size_t dropped = 0;   // later existing entries of a replaced key
  std::size_t added = 0;     // appended
  std::size_t kept = 0;      // existing entries untouched, or given the same text
};

// text is the existing index, root and entries what jsonParse and indexDecode
// made of it (root an array; only where it begins and ends is read). Returns the merged text.
std::string indexMerge(const std::string& text, const JsonValue& root,
                       const std::vector<IndexEntry>& entries,
                       const std::vector<IndexMergeItem>& items, IndexMergeCounts& counts);

}  // namespace otawrap
