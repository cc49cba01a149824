// Arithmetic modulo the group order and the tauNAF recoding, with OpenSSL
// BIGNUM counterparts where it has the same operation.
#include <benchmark/benchmark.h>
#include <openssl/bn.h>

#include <array>
#include <cstdint>
#include <random>

#include "ecc/modn.h"
#include "ecc/tnaf.h"

namespace {

using otawrap::ModNumber;

constexpr std::size_t kInputs = 16;
constexpr std::uint64_t kSeed = 0x62656E63ull;  // fixed seed for the inputs

// Canonical residues, so both sides work on the same numbers.
std::array<ModNumber, kInputs> residues() {
  std::mt19937_64 engine(kSeed);
  std::array<ModNumber, kInputs> values{};
  for (ModNumber& v : values) {
    for (otawrap::Word& w : v) {
      w = static_cast<otawrap::Word>(engine() >> 48);
    }
    otawrap::modReduceFinal(v);
  }
  return values;
}

struct BnInputs {
  BnInputs() : ctx(BN_CTX_new()), n(toBn(otawrap::groupOrder)), out(BN_new()) {
    for (std::size_t i = 0; i < kInputs; ++i) {
      values[i] = toBn(words[i]);
    }
  }
  static BIGNUM* toBn(const ModNumber& value) {
    unsigned char bytes[22];
    for (int k = 0; k < 11; ++k) {
      bytes[2 * k] = static_cast<unsigned char>(value[k] & 0xFFu);
      bytes[2 * k + 1] = static_cast<unsigned char>(value[k] >> 8);
    }
    return BN_lebin2bn(bytes, 22, nullptr);
  }
  ~BnInputs() {
    for (BIGNUM* v : values) {
      BN_free(v);
    }
    BN_free(out);
    BN_free(n);
    BN_CTX_free(ctx);
  }
  BnInputs(const BnInputs&) = delete;
  BnInputs& operator=(const BnInputs&) = delete;

  std::array<ModNumber, kInputs> words = residues();
  BN_CTX* ctx;
  BIGNUM* n;
  BIGNUM* out;
  std::array<BIGNUM*, kInputs> values{};
};

void modMultiplyOurs(benchmark::State& state) {
  const auto inputs = residues();
  ModNumber out{};
  std::size_t i = 0;
  for (auto _ : state) {
    otawrap::modMultiply(inputs[i], inputs[(i + 1) % kInputs], out);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(modMultiplyOurs)->Name("modMultiply/ours");

void modMultiplyOpenssl(benchmark::State& state) {
  BnInputs bn;
  std::size_t i = 0;
  for (auto _ : state) {
    BN_mod_mul(bn.out, bn.values[i], bn.values[(i + 1) % kInputs], bn.n, bn.ctx);
    benchmark::DoNotOptimize(bn.out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(modMultiplyOpenssl)->Name("modMultiply/openssl");

void modInvertOurs(benchmark::State& state) {
  const auto inputs = residues();
  ModNumber out{};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(otawrap::modInvert(inputs[i], out));
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(modInvertOurs)->Name("modInvert/ours");

void modInvertOpenssl(benchmark::State& state) {
  BnInputs bn;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BN_mod_inverse(bn.out, bn.values[i], bn.n, bn.ctx));
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(modInvertOpenssl)->Name("modInvert/openssl");

void wordsMultiplyOurs(benchmark::State& state) {
  const auto inputs = residues();
  otawrap::WideWords out{};
  std::size_t i = 0;
  for (auto _ : state) {
    otawrap::wordsMultiply(inputs[i], inputs[(i + 1) % kInputs], out);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(wordsMultiplyOurs)->Name("wordsMultiply/ours");

void wordsMultiplyOpenssl(benchmark::State& state) {
  BnInputs bn;
  std::size_t i = 0;
  for (auto _ : state) {
    BN_mul(bn.out, bn.values[i], bn.values[(i + 1) % kInputs], bn.ctx);
    benchmark::DoNotOptimize(bn.out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(wordsMultiplyOpenssl)->Name("wordsMultiply/openssl");

void modReduceWideOurs(benchmark::State& state) {
  const auto inputs = residues();
  std::array<otawrap::WideWords, kInputs> products{};
  for (std::size_t i = 0; i < kInputs; ++i) {
    otawrap::wordsMultiply(inputs[i], inputs[(i + 1) % kInputs], products[i]);
  }
  ModNumber out{};
  std::size_t i = 0;
  for (auto _ : state) {
    otawrap::WideWords scratch = products[i];
    otawrap::modReduceWide(scratch, out);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(modReduceWideOurs)->Name("modReduceWide");

void modReduceFinalOurs(benchmark::State& state) {
  const auto inputs = residues();
  std::size_t i = 0;
  for (auto _ : state) {
    ModNumber x = inputs[i];
    x[10] = 0xFFFF;
    otawrap::modReduceFinal(x);
    benchmark::DoNotOptimize(x);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(modReduceFinalOurs)->Name("modReduceFinal");

void tauNafRecodeOurs(benchmark::State& state) {
  const auto inputs = residues();
  otawrap::TnafDigits digits{};
  std::size_t i = 0;
  for (auto _ : state) {
    otawrap::tauNafRecode(inputs[i], digits);
    benchmark::DoNotOptimize(digits);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(tauNafRecodeOurs)->Name("tauNafRecode");

}  // namespace
