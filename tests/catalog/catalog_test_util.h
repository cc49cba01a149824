// Index entries from JSON text, for the catalog tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/index_entry.h"
#include "catalog/json_reader.h"

namespace otawrap {

inline std::vector<IndexEntry> entriesOf(const std::string& text,
                                         IndexFormat format = IndexFormat::herdsman) {
  JsonValue root;
  EXPECT_EQ(jsonParse(text.data(), text.size(), root).status, JsonStatus::ok) << text;
  std::vector<IndexEntry> entries;
  IndexDecodeError error;
  EXPECT_TRUE(indexDecode(root, format, entries, error)) << text << " entry " << error.entry << " "
                                                         << error.field;
  return entries;
}

}  // namespace otawrap
