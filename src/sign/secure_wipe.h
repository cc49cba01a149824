// Zeroing of secret working values that the optimiser may not drop.
#pragma once

#include <cstddef>

namespace otawrap {

// Sets data[0..length-1] to zero through a volatile pointer, so the stores
// happen even when the memory is never read again. length 0 writes nothing.
void secureWipe(void* data, std::size_t length);

}  // namespace otawrap
