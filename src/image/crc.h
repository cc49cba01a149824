// The image CRC: polynomial 0x1021 (x^16 + x^12 + x^5 + 1), initial value 0,
// message bits shifted in most significant first, without the 16 trailing zero
// bits of the conventional CRC. Appending two zero bytes to the message gives
// the conventional CRC-16 with polynomial 0x1021 and initial value 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// One step: shifts the 8 bits of byte, most significant first, into crc.
std::uint16_t imageCrcStep(std::uint16_t crc, std::uint8_t byte);

// crc after stepping through data[0..length-1]; table-driven, same result as
// repeated imageCrcStep.
std::uint16_t imageCrcUpdate(std::uint16_t crc, const std::uint8_t* data, std::size_t length);

// The CRC from 0 over image[0..length-1] except the four bytes at
// crcOffset..crcOffset+3, where the image keeps it. Requires
// crcOffset + 4 <= length; reads only.
std::uint16_t imageCrcCompute(const std::uint8_t* image, std::size_t length, std::size_t crcOffset);

// Computes imageCrcCompute, then stores it at crcOffset low byte first,
// followed by 0xFF 0xFF. Returns the stored CRC.
std::uint16_t imageCrcStore(std::uint8_t* image, std::size_t length, std::size_t crcOffset);

}  // namespace otawrap
