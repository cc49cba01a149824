// The CRC-16 a headless payload carries: polynomial 0x1021, initial value
// 0x1D0F, no reflection and no final XOR (CRC-32 is the payload module's,
// payload/checksums.h). Pure; data may be nullptr when length is 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// "123456789" gives 0xE5CC.
std::uint16_t crc16Compute(const std::uint8_t* data, std::size_t length);

}  // namespace otawrap
