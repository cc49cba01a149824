// AES-MMO hash over the byte-oriented AES-128 cipher.
#include "sign/mmo.h"

#include <cstring>

#include "sign/aes.h"

namespace otawrap {

void mmoBlockXor(std::uint8_t destination[16], const std::uint8_t source[16]) {
  for (unsigned i = 0; i < 16; ++i) {
    destination[i] ^= source[i];
  }
}

void mmoStep(std::uint8_t state[16], const std::uint8_t block[16]) {
  std::uint8_t key[16];
  std::memcpy(key, state, 16);
  std::memcpy(state, block, 16);
  aesEncryptBlock(key, state);
  mmoBlockXor(state, block);
}

void mmoHashUpdate(MmoHashContext& context, const std::uint8_t* data, std::uint8_t length,
                   std::uint8_t isFinal) {
  if (isFinal == 0) {
    mmoStep(context.state, data);
    context.byteCount += 16;
    return;
  }
  // Message length in bits, modulo 2^32.
  const std::uint32_t bits = 8u * (context.byteCount + length);
  std::uint8_t block[16] = {};
  if (length != 0) {
    std::memcpy(block, data, length);
  }
  block[length] = 0x80;
  if (bits < 0x10000u) {
    // 16-bit length in bytes 14..15; tails of 14 or 15 bytes need one more block.
    if (length > 13) {
      mmoStep(context.state, block);
      std::memset(block, 0, sizeof block);
    }
    block[14] = static_cast<std::uint8_t>(bits >> 8);
    block[15] = static_cast<std::uint8_t>(bits);
  } else {
    // 32-bit length in bytes 10..13, bytes 14..15 zero; tails of 10..15 need one more block.
    if (length > 9) {
      mmoStep(context.state, block);
      std::memset(block, 0, sizeof block);
    }
    block[10] = static_cast<std::uint8_t>(bits >> 24);
    block[11] = static_cast<std::uint8_t>(bits >> 16);
    block[12] = static_cast<std::uint8_t>(bits >> 8);
    block[13] = static_cast<std::uint8_t>(bits);
  }
  mmoStep(context.state, block);
}

void mmoHash(const std::uint8_t* data, std::uint32_t length, std::uint8_t digest[16]) {
  MmoHashContext context{};
  const std::uint32_t blocks = length / 16;
  for (std::uint32_t i = 0; i < blocks; ++i) {
    mmoHashUpdate(context, data + 16 * static_cast<std::size_t>(i), 0, 0);
  }
  mmoHashUpdate(context, data + 16 * static_cast<std::size_t>(blocks),
                static_cast<std::uint8_t>(length % 16), 1);
  std::memcpy(digest, context.state, 16);
}

}  // namespace otawrap
