#include "ota/wrapping.h"

#include <algorithm>

#include "ota/format.h"

namespace otawrap {

bool otaFindFileStart(const std::uint8_t* data, std::size_t size, std::size_t& prefixLength) {
  const std::uint8_t* end = data + size;
  const std::uint8_t* at =
      std::search(data, end, kOtaFileIdentifierBytes, kOtaFileIdentifierBytes + 4);
  if (size < 4 || at == end) {
    return false;
  }
  prefixLength = static_cast<std::size_t>(at - data);
  return true;
}

}  // namespace otawrap
