#include "ota/headless_crc.h"

#include "image/crc.h"

namespace otawrap {

std::uint16_t crc16Compute(const std::uint8_t* data, std::size_t length) {
  // The image CRC shifts message bits into the register without the 16
  // trailing zero bits; started from 0xFFFF and given those two zero bytes at
  // the end it is this CRC (0x1D0F is 0xFFFF run through two zero bytes).
  const std::uint8_t zeros[2] = {0, 0};
  return imageCrcUpdate(imageCrcUpdate(0xFFFF, data, length), zeros, 2);
}

}  // namespace otawrap
