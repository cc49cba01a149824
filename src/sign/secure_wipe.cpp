#include "sign/secure_wipe.h"

#include <cstdint>

namespace otawrap {

void secureWipe(void* data, std::size_t length) {
  volatile std::uint8_t* bytes = static_cast<volatile std::uint8_t*>(data);
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = 0;
  }
}

}  // namespace otawrap
