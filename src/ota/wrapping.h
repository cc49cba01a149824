// Where the OTA file lies inside a downloaded file: behind a vendor's own
// header found by the OTA file identifier. Reads only the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// Where the OTA file starts in data[0..size): the offset of the first
// occurrence of the identifier bytes 1E F1 EE 0B (0 for a plain OTA file, the
// vendor header's length otherwise). False when the identifier is nowhere.
bool otaFindFileStart(const std::uint8_t* data, std::size_t size, std::size_t& prefixLength);

}  // namespace otawrap
