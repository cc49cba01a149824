// sect163k1 arithmetic against OpenSSL: field multiply, square and invert
// against BN_GF2m_mod_mul/_sqr/_inv with the same polynomial, and kG against
// EC_POINT_mul of the generator. Inputs come from a fixed-seed generator.
// "ours" runs the path chosen at run time (PCLMULQDQ where present), "portable"
// the comb and the table squaring.
#include <benchmark/benchmark.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

#include <random>

#include "ecc/base_point_table.h"
#include "ecc/field.h"
#include "ecc/modn.h"
#include "ecc/scalar_mult.h"

namespace {

using otawrap::FieldElement;
using otawrap::Word;

const int kPolynomial[] = {163, 7, 6, 3, 0, -1};
constexpr int kInputs = 64;  // cycled through so no single value is special

FieldElement randomElement(std::mt19937_64& rng) {
  FieldElement a;
  for (Word& w : a) {
    w = static_cast<Word>(rng());
  }
  a[10] &= 7;
  return a;
}

struct FieldInputs {
  FieldElement ours[kInputs];
  BIGNUM* theirs[kInputs];
  BN_CTX* ctx;
  BIGNUM* polynomial;

  FieldInputs() : ctx(BN_CTX_new()), polynomial(BN_new()) {
    std::mt19937_64 rng(0x62656E6368ULL);  // "bench"
    BN_GF2m_arr2poly(kPolynomial, polynomial);
    for (int i = 0; i < kInputs; ++i) {
      // cppcheck-suppress containerOutOfBounds ; ours has kInputs elements, each of 11 words
      ours[i] = randomElement(rng);
      // cppcheck-suppress containerOutOfBounds ; as above
      const FieldElement& element = ours[i];
      unsigned char bytes[22];
      for (int k = 0; k < 11; ++k) {
        bytes[2 * k] = static_cast<unsigned char>(element[k] & 0xFF);
        bytes[2 * k + 1] = static_cast<unsigned char>(element[k] >> 8);
      }
      theirs[i] = BN_lebin2bn(bytes, 22, nullptr);
    }
  }
  ~FieldInputs() {
    for (BIGNUM* bn : theirs) {
      BN_free(bn);
    }
    BN_free(polynomial);
    BN_CTX_free(ctx);
  }
};

FieldInputs& fieldInputs() {
  static FieldInputs inputs;
  return inputs;
}

void fieldMultiplyOurs(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  FieldElement r;
  int i = 0;
  for (auto _ : state) {
    otawrap::fieldMultiply(in.ours[i], in.ours[(i + 1) % kInputs], r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(fieldMultiplyOurs)->Name("fieldMultiply/ours");

void fieldMultiplyPortable(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  FieldElement r;
  int i = 0;
  for (auto _ : state) {
    otawrap::fieldMultiplyPortable(in.ours[i], in.ours[(i + 1) % kInputs], r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(fieldMultiplyPortable)->Name("fieldMultiply/portable");

void fieldMultiplyOpenssl(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  BIGNUM* r = BN_new();
  int i = 0;
  for (auto _ : state) {
    BN_GF2m_mod_mul_arr(r, in.theirs[i], in.theirs[(i + 1) % kInputs], kPolynomial, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  BN_free(r);
}
BENCHMARK(fieldMultiplyOpenssl)->Name("fieldMultiply/openssl");

void fieldSquareOurs(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  FieldElement r;
  int i = 0;
  for (auto _ : state) {
    otawrap::fieldSquare(in.ours[i], r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(fieldSquareOurs)->Name("fieldSquare/ours");

void fieldSquarePortable(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  FieldElement r;
  int i = 0;
  for (auto _ : state) {
    otawrap::fieldSquarePortable(in.ours[i], r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(fieldSquarePortable)->Name("fieldSquare/portable");

void fieldSquareOpenssl(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  BIGNUM* r = BN_new();
  int i = 0;
  for (auto _ : state) {
    BN_GF2m_mod_sqr_arr(r, in.theirs[i], kPolynomial, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  BN_free(r);
}
BENCHMARK(fieldSquareOpenssl)->Name("fieldSquare/openssl");

void fieldInvertOurs(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  FieldElement r;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(otawrap::fieldInvert(in.ours[i], r));
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(fieldInvertOurs)->Name("fieldInvert/ours");

void fieldInvertOpenssl(benchmark::State& state) {
  FieldInputs& in = fieldInputs();
  BIGNUM* r = BN_new();
  int i = 0;
  for (auto _ : state) {
    BN_GF2m_mod_inv(r, in.theirs[i], in.polynomial, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  BN_free(r);
}
BENCHMARK(fieldInvertOpenssl)->Name("fieldInvert/openssl");

struct ScalarInputs {
  otawrap::ModNumber ours[kInputs];
  BIGNUM* theirs[kInputs];
  EC_GROUP* group;
  BN_CTX* ctx;

  ScalarInputs() : group(EC_GROUP_new_by_curve_name(NID_sect163k1)), ctx(BN_CTX_new()) {
    std::mt19937_64 rng(0x73636D756CULL);  // "scmul"
    for (int i = 0; i < kInputs; ++i) {
      for (Word& w : ours[i]) {
        w = static_cast<Word>(rng());
      }
      otawrap::modReduceFinal(ours[i]);
      unsigned char bytes[22];
      for (int k = 0; k < 11; ++k) {
        bytes[2 * k] = static_cast<unsigned char>(ours[i][k] & 0xFF);
        bytes[2 * k + 1] = static_cast<unsigned char>(ours[i][k] >> 8);
      }
      theirs[i] = BN_lebin2bn(bytes, 22, nullptr);
    }
  }
  ~ScalarInputs() {
    for (BIGNUM* bn : theirs) {
      BN_free(bn);
    }
    BN_CTX_free(ctx);
    EC_GROUP_free(group);
  }
};

ScalarInputs& scalarInputs() {
  static ScalarInputs inputs;
  return inputs;
}

void scalarMultiplyOurs(benchmark::State& state) {
  const ScalarInputs& in = scalarInputs();
  otawrap::AffinePoint out;
  int i = 0;
  for (auto _ : state) {
    otawrap::ModNumber k = in.ours[i];
    otawrap::scalarMultiply(out, k, 5, otawrap::basePointEntry0, nullptr);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(scalarMultiplyOurs)->Name("scalarMultiply/ours")->Unit(benchmark::kMicrosecond);

// The generator multiple; OpenSSL's ladder already ends in affine form (Z = 1).
void scalarMultiplyOpenssl(benchmark::State& state) {
  ScalarInputs& in = scalarInputs();
  EC_POINT* r = EC_POINT_new(in.group);
  int i = 0;
  for (auto _ : state) {
    EC_POINT_mul(in.group, r, in.theirs[i], nullptr, nullptr, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  EC_POINT_free(r);
}
BENCHMARK(scalarMultiplyOpenssl)->Name("scalarMultiply/openssl")->Unit(benchmark::kMicrosecond);

}  // namespace
