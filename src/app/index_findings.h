// The words of lint's findings, shared by lint (which prints them) and index
// (which warns with them, and refuses an entry with its own faults).
#pragma once

#include <string>
#include <vector>

#include "catalog/index_entry.h"
#include "catalog/index_lint.h"

namespace otawrap {

// "zigbee-herdsman" or "zigpy": the consumer that reads the format.
const char* indexConsumerName(IndexFormat format);

// The finding's name in lint --json, e.g. "shadowed".
const char* lintKindName(LintKind kind);

// What the finding says, without the entry it is about. path and facts are
// those of the entry's file (used by the file findings only).
std::string lintFindingText(const LintFinding& finding, const std::vector<IndexEntry>& entries,
                            IndexFormat format, const std::string& path, const IndexFileFacts& facts);

// "entry N (NAME): CONSUMER: TEXT", as lint prints it after the index's name.
std::string lintFindingLine(const LintFinding& finding, const std::vector<IndexEntry>& entries,
                            IndexFormat format, const std::string& path, const IndexFileFacts& facts);

}  // namespace otawrap
