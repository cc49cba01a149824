#include "cli/spelling.h"

#include <algorithm>

namespace otawrap {

std::size_t editDistance(const std::string& a, const std::string& b, std::size_t limit) {
  if (a.size() > b.size() + limit || b.size() > a.size() + limit) return limit + 1;
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return std::min(row[b.size()], limit + 1);
}

const char* nearestWord(const std::string& word, const std::vector<const char*>& candidates,
                        std::size_t limit) {
  const char* nearest = nullptr;
  std::size_t best = limit + 1;
  for (const char* candidate : candidates) {
    const std::size_t distance = editDistance(word, candidate, limit);
    if (distance < best) {
      best = distance;
      nearest = candidate;
    }
  }
  return nearest;
}

}  // namespace otawrap
