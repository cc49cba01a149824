// AES-MMO hash over the byte-oriented AES-128 cipher or the AES instructions.
#include "sign/mmo.h"

#include <cstring>

#include "ecc/cpu_features.h"
#include "sign/aes.h"
#include "sign/mmo_aesni.h"

namespace otawrap {

namespace {

// Absorbs the tail data[0..length-1] (length 0..15) and the padding for a
// message of byteCount + length bytes.
void absorbFinal(MmoEngine engine, std::uint8_t state[16], std::uint32_t byteCount,
                 const std::uint8_t* data, std::uint8_t length) {
  // Message length in bits, modulo 2^32.
  const std::uint32_t bits = 8u * (byteCount + length);
  std::uint8_t block[32] = {};
  if (length != 0) {
    std::memcpy(block, data, length);
  }
  block[length] = 0x80;
  std::size_t end = 16;
  if (bits < 0x10000u) {
    // 16-bit length at the end of the block; tails of 14 or 15 bytes need one more block.
    if (length > 13) {
      end = 32;
    }
    block[end - 2] = static_cast<std::uint8_t>(bits >> 8);
    block[end - 1] = static_cast<std::uint8_t>(bits);
  } else {
    // 32-bit length then two zero bytes; tails of 10..15 bytes need one more block.
    if (length > 9) {
      end = 32;
    }
    block[end - 6] = static_cast<std::uint8_t>(bits >> 24);
    block[end - 5] = static_cast<std::uint8_t>(bits >> 16);
    block[end - 4] = static_cast<std::uint8_t>(bits >> 8);
    block[end - 3] = static_cast<std::uint8_t>(bits);
  }
  mmoAbsorbBlocks(engine, state, block, end / 16);
}

}  // namespace

MmoEngine mmoDefaultEngine() {
  const CpuFeatures& features = cpuFeatures();
  if (!features.aes) {
    return MmoEngine::portable;
  }
  return features.fastKeygenAssist ? MmoEngine::aesniKeygenAssist : MmoEngine::aesni;
}

void mmoBlockXor(std::uint8_t destination[16], const std::uint8_t source[16]) {
  for (unsigned i = 0; i < 16; ++i) {
    destination[i] ^= source[i];
  }
}

void mmoStepPortable(std::uint8_t state[16], const std::uint8_t block[16]) {
  std::uint8_t key[16];
  std::memcpy(key, state, 16);
  std::memcpy(state, block, 16);
  aesEncryptBlock(key, state);
  mmoBlockXor(state, block);
}

void mmoStep(std::uint8_t state[16], const std::uint8_t block[16]) {
  mmoAbsorbBlocks(mmoDefaultEngine(), state, block, 1);
}

void mmoAbsorbBlocks(MmoEngine engine, std::uint8_t state[16], const std::uint8_t* blocks,
                     std::size_t count) {
  if (engine == MmoEngine::aesni) {
    mmoAbsorbAesni(state, blocks, count);
    return;
  }
  if (engine == MmoEngine::aesniKeygenAssist) {
    mmoAbsorbAesniKeygenAssist(state, blocks, count);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    mmoStepPortable(state, blocks + 16 * i);
  }
}

void mmoHashUpdate(MmoHashContext& context, const std::uint8_t* data, std::uint8_t length,
                   std::uint8_t isFinal) {
  if (isFinal == 0) {
    mmoStep(context.state, data);
    context.byteCount += 16;
    return;
  }
  absorbFinal(mmoDefaultEngine(), context.state, context.byteCount, data, length);
}

void mmoHashWith(MmoEngine engine, const std::uint8_t* data, std::uint32_t length,
                 std::uint8_t digest[16]) {
  std::uint8_t state[16] = {};
  const std::uint32_t blocks = length / 16;
  mmoAbsorbBlocks(engine, state, data, blocks);
  absorbFinal(engine, state, 16u * blocks, data + 16 * static_cast<std::size_t>(blocks),
              static_cast<std::uint8_t>(length % 16));
  std::memcpy(digest, state, 16);
}

void mmoHash(const std::uint8_t* data, std::uint32_t length, std::uint8_t digest[16]) {
  mmoHashWith(mmoDefaultEngine(), data, length, digest);
}

}  // namespace otawrap
