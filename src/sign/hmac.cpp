// HMAC-SHA-256: H((K ^ opad) || H((K ^ ipad) || message)).
#include "sign/hmac.h"

#include <cstring>

#include "sign/secure_wipe.h"

namespace otawrap {

void hmacSha256Init(HmacSha256Context& context, const std::uint8_t* key, std::size_t keyLength) {
  // The key padded with zeros to one block (or its digest, if longer).
  std::uint8_t block[64] = {};
  if (keyLength > 64) {
    sha256Hash(key, keyLength, block);
  } else if (keyLength != 0) {
    std::memcpy(block, key, keyLength);
  }
  for (unsigned i = 0; i < 64; ++i) {
    block[i] ^= 0x36;
  }
  sha256Init(context.inner);
  sha256Update(context.inner, block, 64);
  // 0x36 ^ 0x5C turns key ^ ipad into key ^ opad.
  for (unsigned i = 0; i < 64; ++i) {
    block[i] ^= 0x36 ^ 0x5C;
  }
  sha256Init(context.outer);
  sha256Update(context.outer, block, 64);
  secureWipe(block, sizeof block);
}

void hmacSha256Update(HmacSha256Context& context, const std::uint8_t* data, std::size_t length) {
  sha256Update(context.inner, data, length);
}

void hmacSha256Final(HmacSha256Context& context, std::uint8_t mac[32]) {
  std::uint8_t innerDigest[32];
  sha256Final(context.inner, innerDigest);
  sha256Update(context.outer, innerDigest, sizeof innerDigest);
  sha256Final(context.outer, mac);
  secureWipe(innerDigest, sizeof innerDigest);
}

void hmacSha256(const std::uint8_t* key, std::size_t keyLength, const std::uint8_t* data,
                std::size_t length, std::uint8_t mac[32]) {
  HmacSha256Context context;
  hmacSha256Init(context, key, keyLength);
  hmacSha256Update(context, data, length);
  std::uint8_t result[32];
  hmacSha256Final(context, result);
  std::memcpy(mac, result, sizeof result);
  secureWipe(result, sizeof result);
}

}  // namespace otawrap
