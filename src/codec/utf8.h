// Well-formed UTF-8, as JSON, index entries and reports need it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// Length (1 to 4) of the well-formed UTF-8 sequence at data[0..length), or 0
// when none starts there: a stray continuation byte, an overlong form, a
// surrogate (U+D800..U+DFFF), a code point past U+10FFFF or a sequence cut
// by the end of the data. length must be at least 1.
std::size_t utf8SequenceLength(const unsigned char* data, std::size_t length);

// The code point of the sequence of sequenceLength bytes at data, which
// utf8SequenceLength has accepted.
std::uint32_t utf8CodePoint(const unsigned char* data, std::size_t sequenceLength);

}  // namespace otawrap
