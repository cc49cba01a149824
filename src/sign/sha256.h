// SHA-256 (FIPS 180-4).
//
// Incremental use: sha256Init, any number of sha256Update calls, sha256Final.
// Nothing allocates or fails. Messages are limited to 2^61 - 1 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

inline constexpr unsigned sha256DigestSize = 32;
inline constexpr unsigned sha256BlockSize = 64;

struct Sha256Context {
  std::uint32_t state[8];          // H0..H7
  std::uint64_t byteCount;         // message bytes absorbed so far
  std::uint8_t buffer[64];         // partial block, byteCount % 64 bytes used
};

// Starts a new message with the initial hash value of FIPS 180-4 5.3.3.
void sha256Init(Sha256Context& context);

// Absorbs data[0..length-1]; data is not read when length is 0. data may
// point anywhere except into the context.
void sha256Update(Sha256Context& context, const std::uint8_t* data, std::size_t length);

// Pads, writes the 32-byte digest and wipes the context (it must be
// initialised again before reuse). digest may not overlap the context.
void sha256Final(Sha256Context& context, std::uint8_t digest[32]);

// digest = SHA-256(data[0..length-1]) in one call.
void sha256Hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[32]);

}  // namespace otawrap
