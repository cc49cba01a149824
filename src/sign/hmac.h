// HMAC-SHA-256 (RFC 2104 with SHA-256, block size 64, output 32 bytes).
//
// Incremental use: hmacSha256Init, any number of hmacSha256Update calls,
// hmacSha256Final. A keyed context may be copied to reuse the key for several
// messages. Nothing allocates or fails; key material is wiped when done.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sign/sha256.h"

namespace otawrap {

inline constexpr unsigned hmacSha256Size = 32;

struct HmacSha256Context {
  Sha256Context inner;  // has absorbed key ^ ipad
  Sha256Context outer;  // has absorbed key ^ opad
};

// Keys the context. Keys longer than 64 bytes are hashed first. key is not
// read when keyLength is 0 and may not point into the context.
void hmacSha256Init(HmacSha256Context& context, const std::uint8_t* key, std::size_t keyLength);

// Absorbs data[0..length-1] into the message.
void hmacSha256Update(HmacSha256Context& context, const std::uint8_t* data, std::size_t length);

// Writes the 32-byte MAC and wipes the context. mac may not overlap the
// context.
void hmacSha256Final(HmacSha256Context& context, std::uint8_t mac[32]);

// mac = HMAC-SHA-256(key, data) in one call. mac may overlap key or data.
void hmacSha256(const std::uint8_t* key, std::size_t keyLength, const std::uint8_t* data,
                std::size_t length, std::uint8_t mac[32]);

}  // namespace otawrap
