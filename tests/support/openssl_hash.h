// OpenSSL-backed oracles for the hash code: AES-128 (EVP, ECB), an AES-MMO
// hash built on it with independently written padding, SHA-256, SHA-512
// and HMAC-SHA-256. Test and benchmark use only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct evp_cipher_st;
struct evp_cipher_ctx_st;

namespace otawrap::test {

// AES-128 encryption of one block with OpenSSL's EVP AES-128-ECB.
void opensslAesEncrypt(const std::uint8_t key[16], const std::uint8_t in[16], std::uint8_t out[16]);

// The ZigBee AES-MMO padding of a message of `length` bytes whose last
// length % 16 bytes are `tail`: tail || 0x80 || zeros || length field, where
// the zeros reach 14 mod 16 octets and the field is the 16-bit big-endian bit
// length (bit length < 2^16), or reach 10 mod 16 octets and the field is the
// 32-bit big-endian bit length followed by two zero octets. One or two blocks.
std::vector<std::uint8_t> mmoPaddedTail(const std::uint8_t* tail, std::size_t length);

// AES-MMO built on EVP AES-128-ECB, re-keyed with the chaining value for every
// block. Keeps one cipher context so it can be reused cheaply.
class OpensslMmo {
 public:
  OpensslMmo();
  ~OpensslMmo();
  OpensslMmo(const OpensslMmo&) = delete;
  OpensslMmo& operator=(const OpensslMmo&) = delete;

  // H = E(key = H, block) ^ block.
  void step(std::uint8_t state[16], const std::uint8_t block[16]);
  // digest = AES-MMO(data[0..length-1]).
  void hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[16]);

 private:
  evp_cipher_st* cipher_;
  evp_cipher_ctx_st* context_;
};

// One-shot AES-MMO with a fresh OpensslMmo.
std::vector<std::uint8_t> opensslMmoHash(const std::uint8_t* data, std::size_t length);

// SHA-256 and HMAC-SHA-256 from OpenSSL.
std::vector<std::uint8_t> opensslSha256(const std::uint8_t* data, std::size_t length);
std::vector<std::uint8_t> opensslHmacSha256(const std::uint8_t* key, std::size_t keyLength,
                                            const std::uint8_t* data, std::size_t length);

// SHA-512 from OpenSSL.
std::vector<std::uint8_t> opensslSha512(const std::uint8_t* data, std::size_t length);

}  // namespace otawrap::test
