// The nearest of a few known words to a mistyped one, for the "did you mean"
// hints of unknown commands and options. Small inputs only: quadratic in the
// words' lengths.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace otawrap {

// Levenshtein distance between a and b, or limit + 1 when it is larger.
std::size_t editDistance(const std::string& a, const std::string& b, std::size_t limit);

// The candidate within limit edits of word, the nearest (the first among
// equals); nullptr when none is.
const char* nearestWord(const std::string& word, const std::vector<const char*>& candidates,
                        std::size_t limit);

}  // namespace otawrap
