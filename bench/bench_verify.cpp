// ECDSA verification against OpenSSL's ECDSA_do_verify on sect163k1 with a
// prepared key (EC_KEY with its public point set, signature already parsed);
// u1*G + u2*Q by two cursors in one Frobenius chain against EC_POINT_mul with
// both scalars and against two separate multiplications; public-key decoding.
// Keys, digests and nonces come from a fixed-seed generator; the same
// signatures are verified by both sides.

// ECDSA_do_verify on an EC_KEY is the textbook verifier OpenSSL 3 still ships.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <benchmark/benchmark.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/obj_mac.h>

#include <random>

#include "ecc/base_point_table.h"
#include "ecc/modn.h"
#include "ecc/multi_scalar.h"
#include "ecc/point_decode.h"
#include "ecc/point_table.h"
#include "ecc/scalar_mult.h"
#include "sign/ecdsa.h"
#include "sign/ecdsa_verify.h"

namespace {

using otawrap::AffinePoint;
using otawrap::ModNumber;

constexpr int kCases = 16;

struct VerifyCase {
  std::uint8_t privateKey[21];
  std::uint8_t digest[16];
  std::uint8_t r[21];
  std::uint8_t s[21];
  std::uint8_t compressedKey[22];
  AffinePoint publicKey;
  ModNumber u1;
  ModNumber u2;
  EC_KEY* key;
  ECDSA_SIG* signature;
  EC_POINT* point;
  BIGNUM* u1Bn;
  BIGNUM* u2Bn;
};

BIGNUM* bignumOf(const ModNumber& value) {
  unsigned char bytes[22];
  for (int k = 0; k < 11; ++k) {
    bytes[2 * k] = static_cast<unsigned char>(value[k] & 0xFF);
    bytes[2 * k + 1] = static_cast<unsigned char>(value[k] >> 8);
  }
  return BN_lebin2bn(bytes, 22, nullptr);
}

struct VerifyInputs {
  VerifyCase cases[kCases]{};
  EC_GROUP* group;
  BN_CTX* ctx;

  VerifyInputs() : group(EC_GROUP_new_by_curve_name(NID_sect163k1)), ctx(BN_CTX_new()) {
    std::mt19937_64 rng(0x766572696679ULL);  // "verify"
    for (VerifyCase& c : cases) {
      for (auto& b : c.privateKey) b = static_cast<std::uint8_t>(rng());
      c.privateKey[0] &= 0x03;
      c.privateKey[20] |= 1;
      for (auto& b : c.digest) b = static_cast<std::uint8_t>(rng());
      otawrap::ecdsaSignDeterministic(c.privateKey, c.digest, c.r, c.s);
      otawrap::ecdsaPublicKey(c.privateKey, c.publicKey);
      otawrap::pointEncodeCompressed(c.publicKey, c.compressedKey);

      c.point = EC_POINT_new(group);
      EC_POINT_oct2point(group, c.point, c.compressedKey, sizeof c.compressedKey, ctx);
      c.key = EC_KEY_new();
      EC_KEY_set_group(c.key, group);
      EC_KEY_set_public_key(c.key, c.point);
      c.signature = ECDSA_SIG_new();
      ECDSA_SIG_set0(c.signature, BN_bin2bn(c.r, 21, nullptr), BN_bin2bn(c.s, 21, nullptr));

      for (auto* u : {&c.u1, &c.u2}) {
        for (auto& w : *u) w = static_cast<otawrap::Word>(rng());
        otawrap::modReduceFinal(*u);
      }
      c.u1Bn = bignumOf(c.u1);
      c.u2Bn = bignumOf(c.u2);
    }
  }
  ~VerifyInputs() {
    for (VerifyCase& c : cases) {
      ECDSA_SIG_free(c.signature);
      EC_KEY_free(c.key);
      EC_POINT_free(c.point);
      BN_free(c.u1Bn);
      BN_free(c.u2Bn);
    }
    BN_CTX_free(ctx);
    EC_GROUP_free(group);
  }
};

VerifyInputs& inputs() {
  static VerifyInputs in;
  return in;
}

void ecdsaVerifyOurs(benchmark::State& state) {
  const VerifyInputs& in = inputs();
  int i = 0;
  for (auto _ : state) {
    const VerifyCase& c = in.cases[i];
    const int ok = otawrap::ecdsaVerify(c.publicKey, c.digest, c.r, c.s);
    if (ok != 1) state.SkipWithError("signature rejected");
    benchmark::DoNotOptimize(ok);
    i = (i + 1) % kCases;
  }
}
BENCHMARK(ecdsaVerifyOurs)->Name("ecdsaVerify/ours")->Unit(benchmark::kMicrosecond);

void ecdsaVerifyOpenssl(benchmark::State& state) {
  const VerifyInputs& in = inputs();
  int i = 0;
  for (auto _ : state) {
    const VerifyCase& c = in.cases[i];
    const int ok = ECDSA_do_verify(c.digest, 16, c.signature, c.key);
    if (ok != 1) state.SkipWithError("signature rejected");
    benchmark::DoNotOptimize(ok);
    i = (i + 1) % kCases;
  }
}
BENCHMARK(ecdsaVerifyOpenssl)->Name("ecdsaVerify/openssl")->Unit(benchmark::kMicrosecond);

// u1*G + u2*Q, the Q table built inside the timing as verification does.
void combinedMultiplyOurs(benchmark::State& state) {
  const VerifyInputs& in = inputs();
  AffinePoint out;
  AffinePoint table[otawrap::kPointTableEntries];
  int i = 0;
  for (auto _ : state) {
    const VerifyCase& c = in.cases[i];
    ModNumber u1 = c.u1;
    ModNumber u2 = c.u2;
    otawrap::pointTableBuild(c.publicKey, table);
    otawrap::scalarMultiplyCombined(out, u1, otawrap::basePointEntry0, u2, &table[5]);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kCases;
  }
}
BENCHMARK(combinedMultiplyOurs)->Name("combinedMultiply/ours")->Unit(benchmark::kMicrosecond);

void combinedMultiplyOpenssl(benchmark::State& state) {
  VerifyInputs& in = inputs();
  EC_POINT* r = EC_POINT_new(in.group);
  int i = 0;
  for (auto _ : state) {
    const VerifyCase& c = in.cases[i];
    EC_POINT_mul(in.group, r, c.u1Bn, c.point, c.u2Bn, in.ctx);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kCases;
  }
  EC_POINT_free(r);
}
BENCHMARK(combinedMultiplyOpenssl)->Name("combinedMultiply/openssl")->Unit(benchmark::kMicrosecond);

// The same sum as two separate multiplications (u1*G with the stored table,
// u2*Q with a one-cursor walk over the built table) and one addition.
void combinedMultiplySeparate(benchmark::State& state) {
  const VerifyInputs& in = inputs();
  AffinePoint first;
  AffinePoint second;
  AffinePoint table[otawrap::kPointTableEntries];
  int i = 0;
  for (auto _ : state) {
    const VerifyCase& c = in.cases[i];
    ModNumber u1 = c.u1;
    otawrap::scalarMultiply(first, u1, 5, otawrap::basePointEntry0, nullptr);
    otawrap::pointTableBuild(c.publicKey, table);
    ModNumber u2 = c.u2;
    otawrap::scalarMultiply(second, u2, 5, &table[5], nullptr);
    otawrap::ProjectivePoint sum{first.x, first.y, otawrap::FieldElement{1}};
    otawrap::pointAddMixed(sum, second, sum, 0);
    otawrap::pointToAffine(sum, first);
    benchmark::DoNotOptimize(first);
    i = (i + 1) % kCases;
  }
}
BENCHMARK(combinedMultiplySeparate)->Name("combinedMultiplySeparate")->Unit(benchmark::kMicrosecond);

void pointTableBuildOurs(benchmark::State& state) {
  VerifyInputs& in = inputs();
  AffinePoint table[otawrap::kPointTableEntries];
  int i = 0;
  for (auto _ : state) {
    otawrap::pointTableBuild(in.cases[i].publicKey, table);
    benchmark::DoNotOptimize(table);
    i = (i + 1) % kCases;
  }
}
BENCHMARK(pointTableBuildOurs)->Name("pointTableBuild")->Unit(benchmark::kMicrosecond);

// Decompression plus the curve and order checks a public key goes through.
void publicKeyDecodeOurs(benchmark::State& state) {
  VerifyInputs& in = inputs();
  AffinePoint out;
  int i = 0;
  for (auto _ : state) {
    const auto status = otawrap::pointDecode(in.cases[i].compressedKey, 22, out);
    benchmark::DoNotOptimize(status);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kCases;
  }
}
BENCHMARK(publicKeyDecodeOurs)->Name("publicKeyDecode")->Unit(benchmark::kMicrosecond);

}  // namespace
