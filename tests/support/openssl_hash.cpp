#include "support/openssl_hash.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <cstring>
#include <stdexcept>

namespace otawrap::test {
namespace {

void check(int ok, const char* what) {
  if (ok != 1) {
    throw std::runtime_error(what);
  }
}

}  // namespace

void opensslAesEncrypt(const std::uint8_t key[16], const std::uint8_t in[16], std::uint8_t out[16]) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  check(context != nullptr, "EVP_CIPHER_CTX_new");
  int written = 0;
  check(EVP_EncryptInit_ex(context, EVP_aes_128_ecb(), nullptr, key, nullptr), "init");
  check(EVP_CIPHER_CTX_set_padding(context, 0), "padding");
  check(EVP_EncryptUpdate(context, out, &written, in, 16), "update");
  check(written == 16, "length");
  EVP_CIPHER_CTX_free(context);
}

std::vector<std::uint8_t> mmoPaddedTail(const std::uint8_t* tail, std::size_t length) {
  const std::size_t tailLength = length % 16;
  const std::uint64_t bits = static_cast<std::uint64_t>(length) * 8;
  std::vector<std::uint8_t> padded(tail, tail + tailLength);
  padded.push_back(0x80);
  if (bits < 0x10000) {
    while (padded.size() % 16 != 14) {
      padded.push_back(0);
    }
    padded.push_back(static_cast<std::uint8_t>(bits >> 8));
    padded.push_back(static_cast<std::uint8_t>(bits));
  } else {
    while (padded.size() % 16 != 10) {
      padded.push_back(0);
    }
    for (int shift = 24; shift >= 0; shift -= 8) {
      padded.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
    padded.push_back(0);
    padded.push_back(0);
  }
  return padded;
}

OpensslMmo::OpensslMmo()
    : cipher_(EVP_CIPHER_fetch(nullptr, "AES-128-ECB", nullptr)), context_(EVP_CIPHER_CTX_new()) {
  check(cipher_ != nullptr && context_ != nullptr, "EVP allocation");
  check(EVP_EncryptInit_ex(context_, cipher_, nullptr, nullptr, nullptr), "init");
  check(EVP_CIPHER_CTX_set_padding(context_, 0), "padding");
}

OpensslMmo::~OpensslMmo() {
  EVP_CIPHER_CTX_free(context_);
  EVP_CIPHER_free(cipher_);
}

void OpensslMmo::step(std::uint8_t state[16], const std::uint8_t block[16]) {
  std::uint8_t out[16];
  int written = 0;
  check(EVP_EncryptInit_ex(context_, nullptr, nullptr, state, nullptr), "rekey");
  check(EVP_EncryptUpdate(context_, out, &written, block, 16), "update");
  for (int i = 0; i < 16; ++i) {
    state[i] = static_cast<std::uint8_t>(out[i] ^ block[i]);
  }
}

void OpensslMmo::hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[16]) {
  std::uint8_t state[16] = {};
  const std::size_t whole = length - length % 16;
  for (std::size_t offset = 0; offset < whole; offset += 16) {
    step(state, data + offset);
  }
  const std::vector<std::uint8_t> padded = mmoPaddedTail(data + whole, length);
  for (std::size_t offset = 0; offset < padded.size(); offset += 16) {
    step(state, padded.data() + offset);
  }
  std::memcpy(digest, state, 16);
}

std::vector<std::uint8_t> opensslMmoHash(const std::uint8_t* data, std::size_t length) {
  OpensslMmo mmo;
  std::vector<std::uint8_t> digest(16);
  mmo.hash(data, length, digest.data());
  return digest;
}

std::vector<std::uint8_t> opensslSha256(const std::uint8_t* data, std::size_t length) {
  std::vector<std::uint8_t> digest(SHA256_DIGEST_LENGTH);
  static const std::uint8_t empty = 0;
  SHA256(length == 0 ? &empty : data, length, digest.data());
  return digest;
}

std::vector<std::uint8_t> opensslHmacSha256(const std::uint8_t* key, std::size_t keyLength,
                                            const std::uint8_t* data, std::size_t length) {
  static const std::uint8_t empty = 0;
  std::vector<std::uint8_t> mac(32);
  unsigned int macLength = 0;
  const unsigned char* result =
      HMAC(EVP_sha256(), keyLength == 0 ? &empty : key, static_cast<int>(keyLength),
           length == 0 ? &empty : data, length, mac.data(), &macLength);
  check(result != nullptr && macLength == 32, "HMAC");
  return mac;
}

std::vector<std::uint8_t> opensslSha512(const std::uint8_t* data, std::size_t length) {
  std::vector<std::uint8_t> digest(SHA512_DIGEST_LENGTH);
  static const std::uint8_t empty = 0;
  SHA512(length == 0 ? &empty : data, length, digest.data());
  return digest;
}

}  // namespace otawrap::test
