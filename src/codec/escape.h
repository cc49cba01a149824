// Text made safe for one line of a terminal or log.
#pragma once

#include <string>

namespace otawrap {

// text with every control character (below 0x20, and 0x7F) written as an
// escape: \n, \r, \t, otherwise \xNN. Other bytes, UTF-8 included, stay.
std::string escapeControlCharacters(const std::string& text);

}  // namespace otawrap
