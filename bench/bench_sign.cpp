// Signing: our deterministic ECDSA (nonce derivation included) against
// OpenSSL's ECDSA_do_sign on sect163k1, and a whole signed conversion of a
// ~500 KiB raw file split into its stages.
// ECDSA_do_sign on an EC_KEY is the direct counterpart of our signer; OpenSSL 3
// marks that interface deprecated in favour of EVP.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <benchmark/benchmark.h>
#include <openssl/bn.h>
#include <openssl/obj_mac.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/convert_run.h"
#include "ota/signed_file.h"
#include "sign/ecdsa.h"
#include "sign/mmo.h"
#include "support/raw_file_generator.h"

namespace {

// Test key, not for production.
constexpr std::array<std::uint8_t, 21> kKey = {0x02, 0xFD, 0x49, 0xA3, 0x03, 0x1B, 0x14,
                                               0x36, 0xB6, 0x67, 0x79, 0x75, 0x54, 0x5D,
                                               0xD5, 0x07, 0x3B, 0x6A, 0x51, 0xC7, 0xC0};
constexpr std::array<std::uint8_t, 16> kDigest = {0x84, 0x50, 0x17, 0x25, 0xE5, 0x2D,
                                                  0xBE, 0x9E, 0xEF, 0xC5, 0x4F, 0x30,
                                                  0x8E, 0x49, 0x02, 0xE1};

void signOurs(benchmark::State& state) {
  std::uint8_t r[21];
  std::uint8_t s[21];
  for (auto _ : state) {
    otawrap::ecdsaSignDeterministic(kKey.data(), kDigest.data(), r, s);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(signOurs)->Name("ecdsaSign/ours")->Unit(benchmark::kMicrosecond);

void signOpenSsl(benchmark::State& state) {
  EC_KEY* key = EC_KEY_new_by_curve_name(NID_sect163k1);
  BIGNUM* d = BN_bin2bn(kKey.data(), static_cast<int>(kKey.size()), nullptr);
  EC_KEY_set_private_key(key, d);
  for (auto _ : state) {
    ECDSA_SIG* sig = ECDSA_do_sign(kDigest.data(), static_cast<int>(kDigest.size()), key);
    benchmark::DoNotOptimize(sig);
    ECDSA_SIG_free(sig);
  }
  BN_free(d);
  EC_KEY_free(key);
}
BENCHMARK(signOpenSsl)->Name("ecdsaSign/openssl")->Unit(benchmark::kMicrosecond);

const std::vector<std::uint8_t>& rawFile() {
  static const std::vector<std::uint8_t> bytes = [] {
    otawrap::test::RawGeneratorOptions options;
    options.seed = 500;
    options.dataBytes = 470 * 1024;
    options.trailingRecords = false;
    return otawrap::test::rawFileBytes(otawrap::test::generateRawFile(options));
  }();
  return bytes;
}

// The whole signed build in memory: read, assemble, CRC, hash, sign.
void convertSigned(benchmark::State& state) {
  const auto& raw = rawFile();
  otawrap::RunSettings settings;
  settings.file.credentialsPath = "(key in memory)";
  for (auto _ : state) {
    auto context = std::make_unique<otawrap::RunContext>();
    otawrap::otaHeaderDefaults(context->header);
    std::copy(kKey.begin(), kKey.end(), context->credentials.privateKey.begin());
    otawrap::MemorySource source(raw.data(), raw.size());
    otawrap::Problem problem{otawrap::Failure::usage, "", "", 0};
    if (!otawrap::runBuildFile(settings, *context, &source, problem)) {
      state.SkipWithError("signed conversion failed");
      break;
    }
    benchmark::DoNotOptimize(context->image.data());
  }
}
BENCHMARK(convertSigned)->Name("convert/signed-memory")->Unit(benchmark::kMicrosecond);

// The hash alone over a file of the same size, for the time split.
void hashFileSizedBuffer(benchmark::State& state) {
  std::vector<std::uint8_t> buffer(rawFile().size(), 0x5A);
  std::uint8_t digest[16];
  for (auto _ : state) {
    otawrap::mmoHash(buffer.data(), static_cast<std::uint32_t>(buffer.size()), digest);
    benchmark::DoNotOptimize(digest);
  }
}
BENCHMARK(hashFileSizedBuffer)->Name("convert/signed-hash-share")->Unit(benchmark::kMicrosecond);

}  // namespace
