// The buffering every Merkle-Damgard hash here shares: message bytes are fed
// to a block compression function in whole blocks, the rest kept in a
// partial-block buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace otawrap {

// Absorbs data[0..length) into a hash whose buffer holds byteCount % kBlock
// bytes of a partial block: completes and compresses that block, compresses
// every whole block of data in place, keeps the tail in buffer, and adds
// length to byteCount. compress(block) takes a pointer to kBlock bytes. data
// may not overlap buffer. Nothing fails.
template <std::size_t kBlock, typename Compress>
void absorbBlocks(std::uint8_t (&buffer)[kBlock], std::uint64_t& byteCount,
                  const std::uint8_t* data, std::size_t length, Compress compress) {
  if (length == 0) {
    return;
  }
  std::size_t used = static_cast<std::size_t>(byteCount % kBlock);
  byteCount += length;
  if (used != 0) {
    const std::size_t take = length < kBlock - used ? length : kBlock - used;
    std::memcpy(buffer + used, data, take);
    data += take;
    length -= take;
    used += take;
    if (used < kBlock) {
      return;
    }
    compress(buffer);
  }
  while (length >= kBlock) {
    compress(data);
    data += kBlock;
    length -= kBlock;
  }
  if (length != 0) {
    std::memcpy(buffer, data, length);
  }
}

}  // namespace otawrap
