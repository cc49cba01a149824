// AES-MMO hash: the Matyas-Meyer-Oseas construction over AES-128 with the
// ZigBee padding for 16-octet blocks.
//
// H_0 = 0; H_i = E(key = H_(i-1), M_i) ^ M_i. Padding: a 1 bit, zero bits, then
// the message length in bits, as 16 bits big-endian at the end of a block for
// messages under 2^16 bits, or as 32 bits big-endian followed by 16 zero bits
// for longer messages. Messages must be shorter than 2^29 bytes. The
// compression runs on AES-NI where cpuFeatures() reports it, else on the
// byte-oriented cipher; the bytes are the same.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

inline constexpr unsigned mmoDigestSize = 16;

// The compression behind every hash: the byte-oriented cipher, or the
// processor's AES instructions (only where cpuFeatures().aes holds) with one
// of two key schedules (PSHUFB + AESENCLAST, or AESKEYGENASSIST). All give the
// same bytes.
enum class MmoEngine : std::uint8_t { portable, aesni, aesniKeygenAssist };

// aesniKeygenAssist when cpuFeatures().aes and fastKeygenAssist hold, aesni
// when only aes holds, else portable. mmoHash, mmoHashUpdate and mmoStep use it.
MmoEngine mmoDefaultEngine();

// One hash in progress. Zero all of it (MmoHashContext context{};) before the
// first update; use it for one message only.
struct MmoHashContext {
  std::uint8_t state[16];  // chaining value; the digest after the final update
  std::uint32_t byteCount; // message bytes absorbed in whole blocks
};

// With isFinal zero: absorbs the 16 bytes at data as one block and adds 16 to
// the byte count; length is not read (pass 0).
// With isFinal nonzero: absorbs the message tail data[0..length-1] (length
// 0..15; data is not read when length is 0), appends the padding and leaves
// the digest in context.state. The byte count is not changed. Call it once,
// after all whole blocks.
void mmoHashUpdate(MmoHashContext& context, const std::uint8_t* data, std::uint8_t length,
                   std::uint8_t isFinal);

// One compression step: state = E(key = state, block) ^ block.
// block may not overlap state.
void mmoStep(std::uint8_t state[16], const std::uint8_t block[16]);

// mmoStep on the byte-oriented cipher, whatever the processor.
void mmoStepPortable(std::uint8_t state[16], const std::uint8_t block[16]);

// mmoStep over count consecutive blocks with the given engine (both AES-NI
// engines require cpuFeatures().aes). blocks may not overlap state.
void mmoAbsorbBlocks(MmoEngine engine, std::uint8_t state[16], const std::uint8_t* blocks,
                     std::size_t count);

// destination[i] ^= source[i] for i = 0..15.
void mmoBlockXor(std::uint8_t destination[16], const std::uint8_t source[16]);

// digest = AES-MMO of data[0..length-1]: zeroed context, every whole block,
// then one final update with the tail. length < 2^29. digest may not overlap
// data.
void mmoHash(const std::uint8_t* data, std::uint32_t length, std::uint8_t digest[16]);

// mmoHash with the given engine (both AES-NI engines require cpuFeatures().aes).
void mmoHashWith(MmoEngine engine, const std::uint8_t* data, std::uint32_t length,
                 std::uint8_t digest[16]);

}  // namespace otawrap
