// An OTA index file read for lint, match and index --update: its text, the
// JSON tree, its format and its entries.
#pragma once

#include <string>
#include <vector>

#include "catalog/index_entry.h"
#include "catalog/json_reader.h"
#include "app/failure.h"

namespace otawrap {

struct IndexDocument {
  std::string text;
  JsonValue root;  // the array itself; its entries are decoded, not kept as JSON
  IndexFormat format = IndexFormat::herdsman;
  std::vector<IndexEntry> entries;
};

// Reads and parses the regular JSON file at path (16 MiB at most). False with
// problem set when it cannot be read (cannotOpenInput), is not a regular file
// (inputNotRegular, refused before it is opened), or is too large or not JSON
// (failure, the detail saying where and why). A sink takes the elements of a
// top-level array instead of root (jsonParse).
bool readJsonFile(const std::string& path, Failure failure, std::string& text, JsonValue& root,
                  Problem& problem, JsonElementSink* sink = nullptr);

// Reads and decodes the index at path (16 MiB at most). False with problem
// set when it cannot be read (cannotOpenInput) or is not an index of either
// format (indexInvalid, the detail saying where and why).
bool readIndexDocument(const std::string& path, IndexDocument& document, Problem& problem);

// The words for a JSON reader status, e.g. "a key given twice".
const char* jsonStatusText(JsonStatus status);

// How the entry is named in messages: its fileName, else its url.
std::string indexEntryLabel(const IndexEntry& entry);

}  // namespace otawrap
