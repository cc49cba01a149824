// Synthetic firmware payloads for every checked payload format: seeded random
// code bytes wrapped in the format's real structure with its real checksums
// (CRC-32 written here bit by bit, SHA-256 from OpenSSL), and damaged
// variants of each: cut, extended, flipped under the checksum, a wrong length
// field, padding that breaks the rules. No real firmware is involved; the
// same seed gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "payload/payload.h"

namespace otawrap::test {

enum class PayloadDamage : std::uint8_t { none, cut, extended, flipped, lengthField, padding };

struct PayloadCase {
  std::string name;  // "gbl/cut", "ebl/trailer", ...
  PayloadFormat format;
  PayloadDamage damage;
  std::vector<std::uint8_t> bytes;
  PayloadVerdict verdict;  // what payloadCheck says: the format's rules and the trailer rule
};

// A valid payload of the format (a checked one, or any with a generator:
// every format but unknown).
std::vector<std::uint8_t> makePayload(PayloadFormat format, std::uint32_t seed);

// Every generated format's valid payload, its valid variants (padding, no
// digest, ...) and its damaged ones, with the verdict each must get.
std::vector<PayloadCase> payloadCases(std::uint32_t seed);

// A zlib stream of one stored block (data of at most 65,535 bytes).
std::vector<std::uint8_t> makeStoredZlib(const std::vector<std::uint8_t>& data);
// A stored zlib stream whose data, 9 bytes in, is a Cortex-M vector table's
// head (stack 0x20001000, reset 0x101): also a vector table behind a 16-byte
// head by plausibility. 128 bytes.
std::vector<std::uint8_t> makeZlibOverHeadedVectorTable();

// Hostile zlib streams for the work budget. A final fixed-code block of one
// zero byte and `matches` copies of 258 bytes at distance 1: 13 bits each,
// so it inflates about 160 times its size.
std::vector<std::uint8_t> makeZlibRun(std::size_t matches);
// `blocks` empty fixed-code blocks (10 bits each), then a final empty one.
std::vector<std::uint8_t> makeZlibEmptyBlocks(std::size_t blocks);
// `blocks` empty dynamic-code blocks of 58 bits, each with code tables to
// build, then a final one.
std::vector<std::uint8_t> makeZlibDynamicBlocks(std::size_t blocks);

// CRC-32 (reflected 0xEDB88320, preset and inverted), one bit at a time.
std::uint32_t kitCrc32(const std::uint8_t* data, std::size_t length);

}  // namespace otawrap::test
