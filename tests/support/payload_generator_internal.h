// Shared by the payload generators (payload_generator.cpp, the streams in
// payload_stream_generator.cpp).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace otawrap::test::payload_kit {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::mt19937& random, std::size_t count);
void putLittle32(Bytes& out, std::uint32_t value);
void putBig32(Bytes& out, std::uint32_t value);

// An xz file of one stream with `blocks` blocks of random data held as
// uncompressed LZMA2 chunks; check type 1 (CRC-32) or 0.
Bytes makeXz(std::mt19937& random, unsigned blocks, bool crc32Check);
// A zlib stream of a stored block and a fixed-code block (literals and one
// back-reference) over random data.
Bytes makeZlib(std::mt19937& random);

}  // namespace otawrap::test::payload_kit
