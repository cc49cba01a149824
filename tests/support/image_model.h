// A slow, obvious model of the upgrade image that otawrap builds from a raw
// file, written independently of src/image: byte-by-byte drop test against
// literal address ranges, cut, trim, padding, preamble, and the image CRC from
// the conventional bitwise CRC-16 (see imageCrcByConventionalCrc).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/raw_file_generator.h"

namespace otawrap::test {

struct ModelIdentifiers {
  std::optional<std::uint16_t> manufacturerCode;  // given on the command line
  std::optional<std::uint16_t> imageType;
  std::optional<std::uint32_t> fileVersion;
};

struct ModelImage {
  std::vector<std::uint8_t> image;  // the N image bytes
  std::uint16_t manufacturerCode;
  std::uint16_t imageType;
  std::uint32_t fileVersion;
  std::uint16_t crc;
};

// The image for platform 0, 1 or 2, or nothing when it would be shorter than
// its preamble.
std::optional<ModelImage> modelUpgradeImage(const RawFileLayout& layout, int platform,
                                            const ModelIdentifiers& given);

// The whole unsigned OTA file around a model image (header, sub-element).
std::vector<std::uint8_t> modelOtaFile(const ModelImage& image);

// Conventional CRC-16, polynomial 0x1021, initial value 0, most significant bit
// first, no reflection, no final XOR: M(x) * x^16 mod P(x).
std::uint16_t conventionalCrc16(const std::vector<std::uint8_t>& message);

// The image CRC, M(x) mod P(x), of a message of at least two bytes: writing
// M = M' * x^16 + B with B its last two bytes, it is conventionalCrc16(M') XOR B.
std::uint16_t imageCrcByConventionalCrc(const std::vector<std::uint8_t>& message);

}  // namespace otawrap::test
