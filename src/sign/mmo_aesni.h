// The AES-MMO compression on the processor's AES instructions (AES-NI).
//
// Same function as the portable compression in mmo.cpp, block for block; the
// caller checks cpuFeatures().aes first (the instructions fault without it).
// Builds for other processors, or with OTAWRAP_PORTABLE_ONLY, compile the
// portable compression under this name instead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

// For each of the count 16-byte blocks in order: state = E(key = state, block) ^ block.
// blocks may not overlap state; count 0 leaves state as it is. The key
// schedule uses PSHUFB and AESENCLAST.
void mmoAbsorbAesni(std::uint8_t state[16], const std::uint8_t* blocks, std::size_t count);

// mmoAbsorbAesni with the key schedule on AESKEYGENASSIST (faster on the
// processors cpuFeatures().fastKeygenAssist names). Same bytes.
void mmoAbsorbAesniKeygenAssist(std::uint8_t state[16], const std::uint8_t* blocks,
                                std::size_t count);

}  // namespace otawrap
