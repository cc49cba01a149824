// SHA-512 (FIPS 180-4), for the digests that OTA index entries carry.
//
// Incremental use: sha512Init, any number of sha512Update calls, sha512Final.
// Nothing allocates or fails. Messages are limited to 2^61 - 1 bytes, so the
// 128-bit length field never needs more than 64 bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace otawrap {

inline constexpr unsigned sha512DigestSize = 64;
inline constexpr unsigned sha512BlockSize = 128;

struct Sha512Context {
  std::uint64_t state[8];   // H0..H7
  std::uint64_t byteCount;  // message bytes absorbed so far
  std::uint8_t buffer[128]; // partial block, byteCount % 128 bytes used
};

// Starts a new message with the initial hash value of FIPS 180-4 5.3.5.
void sha512Init(Sha512Context& context);

// Absorbs data[0..length-1]; data is not read when length is 0. data may
// point anywhere except into the context.
void sha512Update(Sha512Context& context, const std::uint8_t* data, std::size_t length);

// Pads, writes the 64-byte digest and wipes the context (it must be
// initialised again before reuse). digest may not overlap the context.
void sha512Final(Sha512Context& context, std::uint8_t digest[64]);

// digest = SHA-512(data[0..length-1]) in one call.
void sha512Hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[64]);

}  // namespace otawrap
