// sect283k1 (crypto suite 2) against OpenSSL in the same binary: field
// multiply, square and invert (BN_GF2m), kG (EC_POINT_mul), ECDSA sign and verify on a
// 16-octet digest (ECDSA_do_sign / ECDSA_do_verify on an EC_KEY, the direct
// counterparts; OpenSSL 3 marks that interface deprecated in favour of EVP).
#define OPENSSL_SUPPRESS_DEPRECATED

#include <benchmark/benchmark.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/obj_mac.h>

#include <array>
#include <cstdint>

#include "ecc/field283.h"
#include "ecc/order283.h"
#include "ecc/scalar_mult283.h"
#include "sign/ecdsa283.h"
#include "support/openssl_sect283k1.h"

namespace {

using otawrap::Affine283;
using otawrap::Field283;
using otawrap::Limbs;

constexpr int kInputs = 64;

BIGNUM* toBn(const Limbs<5>& a) {
  std::uint8_t octets[40];
  otawrap::limbsToOctets(a, sizeof octets, octets);
  return BN_bin2bn(octets, sizeof octets, nullptr);
}

struct Inputs {
  Field283 elements[kInputs];
  Limbs<5> scalars[kInputs];
  BIGNUM* theirElements[kInputs];
  BIGNUM* theirScalars[kInputs];
  BIGNUM* polynomial;
  EC_GROUP* group;
  BN_CTX* ctx;
  // A signing key (test key, not for production), its public point, a digest
  // and a signature of it.
  std::array<std::uint8_t, 36> key{};
  Affine283 publicKey{};
  std::array<std::uint8_t, 16> digest{0x84, 0x50, 0x17, 0x25, 0xE5, 0x2D, 0xBE, 0x9E,
                                      0xEF, 0xC5, 0x4F, 0x30, 0x8E, 0x49, 0x02, 0xE1};
  std::array<std::uint8_t, 36> r{};
  std::array<std::uint8_t, 36> s{};
  EC_KEY* theirKey;
  ECDSA_SIG* theirSignature;

  Inputs()
      : polynomial(BN_new()), group(EC_GROUP_new_by_curve_name(NID_sect283k1)), ctx(BN_CTX_new()) {
    otawrap::test::Source283 source(0x6B323833);  // "k283"
    for (int i = 0; i < kInputs; ++i) {
      elements[i] = source.element();
      scalars[i] = source.scalar();
      theirElements[i] = toBn(elements[i]);
      theirScalars[i] = toBn(scalars[i]);
    }
    EC_GROUP_get_curve(group, polynomial, nullptr, nullptr, ctx);
    otawrap::limbsToOctets(scalars[0], key.size(), key.data());
    otawrap::ecdsa283PublicKey(key.data(), publicKey);
    otawrap::ecdsa283Sign(key.data(), digest.data(), r.data(), s.data());
    theirKey = EC_KEY_new_by_curve_name(NID_sect283k1);
    EC_KEY_set_private_key(theirKey, theirScalars[0]);
    EC_POINT* Q = EC_POINT_new(group);
    EC_POINT_mul(group, Q, theirScalars[0], nullptr, nullptr, ctx);
    EC_KEY_set_public_key(theirKey, Q);
    EC_POINT_free(Q);
    theirSignature = ECDSA_SIG_new();
    ECDSA_SIG_set0(theirSignature, BN_bin2bn(r.data(), 36, nullptr), BN_bin2bn(s.data(), 36, nullptr));
  }
  ~Inputs() {
    for (int i = 0; i < kInputs; ++i) {
      BN_free(theirElements[i]);
      BN_free(theirScalars[i]);
    }
    ECDSA_SIG_free(theirSignature);
    EC_KEY_free(theirKey);
    BN_free(polynomial);
    EC_GROUP_free(group);
    BN_CTX_free(ctx);
  }
};

Inputs& inputs() {
  static Inputs in;
  return in;
}

template <void (*Multiply)(const Field283&, const Field283&, Field283&)>
void multiplyOurs(benchmark::State& state) {
  const Inputs& in = inputs();
  Field283 r;
  int i = 0;
  for (auto _ : state) {
    Multiply(in.elements[i], in.elements[(i + 1) % kInputs], r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(multiplyOurs<otawrap::field283Multiply>)->Name("k283FieldMultiply/ours");
BENCHMARK(multiplyOurs<otawrap::field283MultiplyPortable>)->Name("k283FieldMultiply/portable");

void multiplyOpenssl(benchmark::State& state) {
  Inputs& in = inputs();
  BIGNUM* r = BN_new();
  int i = 0;
  for (auto _ : state) {
    BN_GF2m_mod_mul(r, in.theirElements[i], in.theirElements[(i + 1) % kInputs], in.polynomial, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  BN_free(r);
}
BENCHMARK(multiplyOpenssl)->Name("k283FieldMultiply/openssl");

template <void (*Square)(const Field283&, Field283&)>
void squareOurs(benchmark::State& state) {
  const Inputs& in = inputs();
  Field283 r;
  int i = 0;
  for (auto _ : state) {
    Square(in.elements[i], r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(squareOurs<otawrap::field283Square>)->Name("k283FieldSquare/ours");
BENCHMARK(squareOurs<otawrap::field283SquarePortable>)->Name("k283FieldSquare/portable");

void squareOpenssl(benchmark::State& state) {
  Inputs& in = inputs();
  BIGNUM* r = BN_new();
  int i = 0;
  for (auto _ : state) {
    BN_GF2m_mod_sqr(r, in.theirElements[i], in.polynomial, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  BN_free(r);
}
BENCHMARK(squareOpenssl)->Name("k283FieldSquare/openssl");

template <int (*Invert)(const Field283&, Field283&)>
void invertOurs(benchmark::State& state) {
  const Inputs& in = inputs();
  Field283 r;
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Invert(in.elements[i], r));
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(invertOurs<otawrap::field283Invert>)->Name("k283FieldInvert/ours");
BENCHMARK(invertOurs<otawrap::field283InvertPortable>)->Name("k283FieldInvert/portable");

void invertOpenssl(benchmark::State& state) {
  Inputs& in = inputs();
  BIGNUM* r = BN_new();
  int i = 0;
  for (auto _ : state) {
    BN_GF2m_mod_inv(r, in.theirElements[i], in.polynomial, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  BN_free(r);
}
BENCHMARK(invertOpenssl)->Name("k283FieldInvert/openssl");

void baseOurs(benchmark::State& state) {
  const Inputs& in = inputs();
  Affine283 out;
  int i = 0;
  for (auto _ : state) {
    otawrap::sect283k1MultiplyBase(in.scalars[i], out);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kInputs;
  }
}
BENCHMARK(baseOurs)->Name("k283ScalarMultiply/ours")->Unit(benchmark::kMicrosecond);

void baseOpenssl(benchmark::State& state) {
  Inputs& in = inputs();
  EC_POINT* r = EC_POINT_new(in.group);
  int i = 0;
  for (auto _ : state) {
    EC_POINT_mul(in.group, r, in.theirScalars[i], nullptr, nullptr, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kInputs;
  }
  EC_POINT_free(r);
}
BENCHMARK(baseOpenssl)->Name("k283ScalarMultiply/openssl")->Unit(benchmark::kMicrosecond);

void signOurs(benchmark::State& state) {
  const Inputs& in = inputs();
  std::uint8_t r[36];
  std::uint8_t s[36];
  for (auto _ : state) {
    otawrap::ecdsa283Sign(in.key.data(), in.digest.data(), r, s);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(signOurs)->Name("k283EcdsaSign/ours")->Unit(benchmark::kMicrosecond);

void signOpenssl(benchmark::State& state) {
  Inputs& in = inputs();
  for (auto _ : state) {
    ECDSA_SIG* sig = ECDSA_do_sign(in.digest.data(), static_cast<int>(in.digest.size()), in.theirKey);
    benchmark::DoNotOptimize(sig);
    ECDSA_SIG_free(sig);
  }
}
BENCHMARK(signOpenssl)->Name("k283EcdsaSign/openssl")->Unit(benchmark::kMicrosecond);

void verifyOurs(benchmark::State& state) {
  const Inputs& in = inputs();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        otawrap::ecdsa283Verify(in.publicKey, in.digest.data(), in.r.data(), in.s.data()));
  }
}
BENCHMARK(verifyOurs)->Name("k283EcdsaVerify/ours")->Unit(benchmark::kMicrosecond);

void verifyOpenssl(benchmark::State& state) {
  Inputs& in = inputs();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ECDSA_do_verify(in.digest.data(), static_cast<int>(in.digest.size()),
                                             in.theirSignature, in.theirKey));
  }
}
BENCHMARK(verifyOpenssl)->Name("k283EcdsaVerify/openssl")->Unit(benchmark::kMicrosecond);

}  // namespace
