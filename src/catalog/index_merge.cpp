#include "catalog/index_merge.h"

namespace otawrap {

namespace {

bool sameKey(const IndexEntry& e, const IndexMergeItem& item) {
  return e.manufacturerCode && e.imageType && e.fileVersion &&
         *e.manufacturerCode == item.manufacturerCode && *e.imageType == item.imageType &&
         *e.fileVersion == item.fileVersion;
}

bool sameKey(const IndexMergeItem& a, const IndexMergeItem& b) {
  return a.manufacturerCode == b.manufacturerCode && a.imageType == b.imageType &&
         a.fileVersion == b.fileVersion;
}

}  // namespace

std::string indexMerge(const std::string& text, const JsonValue& root,
                       const std::vector<IndexEntry>& entries,
                       const std::vector<IndexMergeItem>& items, IndexMergeCounts& counts) {
  counts = IndexMergeCounts{};
  // The elements of the result, each the text it is written with.
  std::vector<std::string> elements;
  std::vector<const IndexEntry*> origin;  // the existing entry an element stands for, or nullptr
  for (const IndexEntry& e : entries) {
    elements.push_back(text.substr(e.begin, e.end - e.begin));
    origin.push_back(&e);
  }
  std::vector<bool> keep(elements.size(), true);
  std::vector<const IndexMergeItem*> placed;  // the new item in each element, or nullptr
  placed.assign(elements.size(), nullptr);
  for (const IndexMergeItem& item : items) {
    bool done = false;
    for (std::size_t k = 0; k < elements.size(); ++k) {
      if (!keep[k]) continue;
      const bool match = placed[k] != nullptr ? sameKey(*placed[k], item)
                                              : origin[k] != nullptr && sameKey(*origin[k], item);
      if (!match) continue;
      if (done) {
        keep[k] = false;
        continue;
      }
      elements[k] = item.text;
      placed[k] = &item;
      done = true;
    }
    if (!done) {
      elements.push_back(item.text);
      origin.push_back(nullptr);
      placed.push_back(&item);
      keep.push_back(true);
    }
  }

  std::string open;
  std::string separator = ",";
  std::string close;
  if (!entries.empty()) {
    open = text.substr(root.begin + 1, entries.front().begin - root.begin - 1);
    close = text.substr(entries.back().end, root.end - 1 - entries.back().end);
    separator = entries.size() >= 2 ? text.substr(entries[0].end, entries[1].begin - entries[0].end)
                                    : "," + open;
  }
  std::string merged = text.substr(0, root.begin) + "[";
  bool first = true;
  for (std::size_t k = 0; k < elements.size(); ++k) {
    if (!keep[k]) {
      ++counts.dropped;
      continue;
    }
    if (origin[k] == nullptr) {
      ++counts.added;
    } else if (placed[k] != nullptr &&
               elements[k] != text.substr(origin[k]->begin, origin[k]->end - origin[k]->begin)) {
      ++counts.replaced;
    } else {
      ++counts.kept;
    }
    merged += first ? open : separator;
    merged += elements[k];
    first = false;
  }
  merged += (first ? "" : close) + "]" + text.substr(root.end);
  return merged;
}

}  // namespace otawrap
