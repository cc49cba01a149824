// Hash benchmarks: AES-MMO of a full 512 KiB image buffer against an MMO built
// on OpenSSL's EVP AES-128-ECB (re-keyed with the chaining value for every
// block, same padding), "ours" on the engine chosen at run time (AES-NI where
// present) and "portable" on the byte-oriented cipher; SHA-256 / HMAC-SHA-256
// against OpenSSL for information. Run:
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_BENCH=ON
//   cmake --build build/bench --target otawrap_bench
//   build/bench/bench/otawrap_bench --benchmark_filter='mmoHash|sha256|hmacSha256|rfc6979'
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "ecc/cpu_features.h"
#include "sign/hmac.h"
#include "sign/mmo.h"
#include "sign/rfc6979.h"
#include "sign/sha256.h"

namespace {

// AES-MMO on OpenSSL: the cipher is fetched and the context set up once; every
// block re-keys the context with the chaining value (EVP_EncryptInit_ex) and
// encrypts one block. The tail is padded into a local buffer.
class OpensslMmo {
 public:
  OpensslMmo()
      : cipher_(EVP_CIPHER_fetch(nullptr, "AES-128-ECB", nullptr)), context_(EVP_CIPHER_CTX_new()) {
    EVP_EncryptInit_ex(context_, cipher_, nullptr, nullptr, nullptr);
    EVP_CIPHER_CTX_set_padding(context_, 0);
  }
  ~OpensslMmo() {
    EVP_CIPHER_CTX_free(context_);
    EVP_CIPHER_free(cipher_);
  }
  OpensslMmo(const OpensslMmo&) = delete;
  OpensslMmo& operator=(const OpensslMmo&) = delete;

  void hash(const std::uint8_t* data, std::size_t length, std::uint8_t digest[16]) {
    std::uint8_t state[16] = {};
    const std::size_t whole = length - length % 16;
    for (std::size_t offset = 0; offset < whole; offset += 16) {
      step(state, data + offset);
    }
    // tail || 0x80 || zeros || bit length (16-bit, or 32-bit and two zero octets).
    std::uint8_t padded[32] = {};
    const std::size_t tail = length % 16;
    const std::uint32_t bits = static_cast<std::uint32_t>(length * 8);
    std::memcpy(padded, data + whole, tail);
    padded[tail] = 0x80;
    std::size_t end;
    if (bits < 0x10000) {
      end = tail < 14 ? 16 : 32;
      padded[end - 2] = static_cast<std::uint8_t>(bits >> 8);
      padded[end - 1] = static_cast<std::uint8_t>(bits);
    } else {
      end = tail < 10 ? 16 : 32;
      for (int i = 0; i < 4; ++i) {
        padded[end - 6 + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
      }
    }
    for (std::size_t offset = 0; offset < end; offset += 16) {
      step(state, padded + offset);
    }
    std::memcpy(digest, state, 16);
  }

 private:
  void step(std::uint8_t state[16], const std::uint8_t* block) {
    std::uint8_t out[16];
    int written = 0;
    EVP_EncryptInit_ex(context_, nullptr, nullptr, state, nullptr);
    EVP_EncryptUpdate(context_, out, &written, block, 16);
    for (int i = 0; i < 16; ++i) {
      state[i] = static_cast<std::uint8_t>(out[i] ^ block[i]);
    }
  }

  EVP_CIPHER* cipher_;
  EVP_CIPHER_CTX* context_;
};

const std::vector<std::uint8_t>& message512KiB() {
  static const std::vector<std::uint8_t> message = [] {
    std::vector<std::uint8_t> bytes(512 * 1024);
    std::mt19937 rng(512u);  // fixed seed
    for (auto& b : bytes) {
      b = static_cast<std::uint8_t>(rng());
    }
    return bytes;
  }();
  return message;
}

void mmoHashOurs(benchmark::State& state) {
  const auto& message = message512KiB();
  std::uint8_t digest[16];
  for (auto _ : state) {
    otawrap::mmoHash(message.data(), static_cast<std::uint32_t>(message.size()), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(mmoHashOurs)->Name("mmoHash512KiB/ours")->Unit(benchmark::kMicrosecond);

// The byte-oriented compression, whatever the processor offers.
void mmoHashPortable(benchmark::State& state) {
  const auto& message = message512KiB();
  std::uint8_t digest[16];
  for (auto _ : state) {
    otawrap::mmoHashWith(otawrap::MmoEngine::portable, message.data(),
                         static_cast<std::uint32_t>(message.size()), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(mmoHashPortable)->Name("mmoHash512KiB/portable")->Unit(benchmark::kMicrosecond);

// Each AES-NI key schedule, whichever the processor's vendor selects by default.
void mmoHashEngine(benchmark::State& state, otawrap::MmoEngine engine) {
  if (!otawrap::cpuFeatures().aes) {
    state.SkipWithError("no AES-NI here");
    return;
  }
  const auto& message = message512KiB();
  std::uint8_t digest[16];
  for (auto _ : state) {
    otawrap::mmoHashWith(engine, message.data(), static_cast<std::uint32_t>(message.size()), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK_CAPTURE(mmoHashEngine, shuffle, otawrap::MmoEngine::aesni)
    ->Name("mmoHash512KiB/engine-shuffle")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(mmoHashEngine, keygenassist, otawrap::MmoEngine::aesniKeygenAssist)
    ->Name("mmoHash512KiB/engine-keygenassist")
    ->Unit(benchmark::kMicrosecond);

void mmoHashOpenssl(benchmark::State& state) {
  const auto& message = message512KiB();
  OpensslMmo mmo;
  std::uint8_t digest[16];
  std::uint8_t ours[16];
  mmo.hash(message.data(), message.size(), digest);
  otawrap::mmoHash(message.data(), static_cast<std::uint32_t>(message.size()), ours);
  if (std::memcmp(digest, ours, 16) != 0) {
    state.SkipWithError("OpenSSL-based MMO disagrees with mmoHash");
    return;
  }
  for (auto _ : state) {
    mmo.hash(message.data(), message.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(mmoHashOpenssl)->Name("mmoHash512KiB/openssl")->Unit(benchmark::kMicrosecond);

void sha256Ours(benchmark::State& state) {
  const auto& message = message512KiB();
  std::uint8_t digest[32];
  for (auto _ : state) {
    otawrap::sha256Hash(message.data(), message.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(sha256Ours)->Name("sha256Hash512KiB/ours")->Unit(benchmark::kMicrosecond);

void sha256Openssl(benchmark::State& state) {
  const auto& message = message512KiB();
  std::uint8_t digest[32];
  for (auto _ : state) {
    SHA256(message.data(), message.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * message.size()));
}
BENCHMARK(sha256Openssl)->Name("sha256Hash512KiB/openssl")->Unit(benchmark::kMicrosecond);

void hmacShortOurs(benchmark::State& state) {
  const std::uint8_t key[32] = {1, 2, 3};
  const std::uint8_t data[33] = {4, 5, 6};
  std::uint8_t mac[32];
  for (auto _ : state) {
    otawrap::hmacSha256(key, sizeof key, data, sizeof data, mac);
    benchmark::DoNotOptimize(mac);
  }
}
BENCHMARK(hmacShortOurs)->Name("hmacSha256Short/ours");

void hmacShortOpenssl(benchmark::State& state) {
  const std::uint8_t key[32] = {1, 2, 3};
  const std::uint8_t data[33] = {4, 5, 6};
  std::uint8_t mac[32];
  unsigned int length = 0;
  for (auto _ : state) {
    HMAC(EVP_sha256(), key, sizeof key, data, sizeof data, mac, &length);
    benchmark::DoNotOptimize(mac);
  }
}
BENCHMARK(hmacShortOpenssl)->Name("hmacSha256Short/openssl");

void rfc6979NonceOurs(benchmark::State& state) {
  const std::uint8_t key[21] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD};
  const std::uint8_t digest[16] = {0xBA, 0xD7, 0x8E, 0x72};
  std::uint8_t k[21];
  for (auto _ : state) {
    otawrap::rfc6979Nonce(key, digest, k);
    benchmark::DoNotOptimize(k);
  }
}
BENCHMARK(rfc6979NonceOurs)->Name("rfc6979Nonce");

}  // namespace
