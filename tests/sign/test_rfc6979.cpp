// Deterministic nonce: the known answers of the sect163k1 vector file, an
// independent RFC 6979 implementation on OpenSSL's HMAC and BIGNUM, the
// range comparator and bits2int against BIGNUM, and the secure wipe.
#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/obj_mac.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "sign/rfc6979.h"
#include "sign/rfc6979_internal.h"
#include "sign/secure_wipe.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::bytesToHex;
using test::hexToBytes;
using Bytes = std::vector<std::uint8_t>;

struct BnFree {
  void operator()(BIGNUM* bn) const { BN_free(bn); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;

Bn bnFromBytes(const Bytes& bytes) {
  return Bn(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

Bytes bnToBytes(const BIGNUM* value, int length) {
  Bytes out(static_cast<std::size_t>(length));
  EXPECT_EQ(BN_bn2binpad(value, out.data(), length), length);
  return out;
}

// The group order of sect163k1 as OpenSSL has it.
Bn opensslOrder() {
  EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sect163k1);
  EXPECT_NE(group, nullptr);
  Bn order(BN_dup(EC_GROUP_get0_order(group)));
  EC_GROUP_free(group);
  return order;
}

Bytes hmac(const Bytes& key, const Bytes& data) {
  Bytes mac(32);
  unsigned int length = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), data.data(), data.size(), mac.data(),
       &length);
  return mac;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// RFC 6979 section 3.2 written out generically from the text: any q, any
// input length, T grown until it has qlen bits. Reports how many candidates
// it had to draw.
struct OracleNonce {
  Bytes k;
  int candidates = 0;
};

OracleNonce oracleNonce(const BIGNUM* q, const Bytes& x, const Bytes& h1) {
  const int qlen = BN_num_bits(q);
  const int rlen = (qlen + 7) / 8;
  const auto bits2int = [&](const Bytes& bits) {
    Bn value = bnFromBytes(bits);
    const int blen = 8 * static_cast<int>(bits.size());
    if (blen > qlen) {
      BN_rshift(value.get(), value.get(), blen - qlen);
    }
    return value;
  };
  const auto int2octets = [&](const BIGNUM* value) { return bnToBytes(value, rlen); };
  const auto bits2octets = [&](const Bytes& bits) {
    Bn z1 = bits2int(bits);
    if (BN_cmp(z1.get(), q) >= 0) {
      BN_sub(z1.get(), z1.get(), q);
    }
    return int2octets(z1.get());
  };

  Bn xValue = bnFromBytes(x);
  Bytes v(32, 0x01);
  Bytes key(32, 0x00);
  key = hmac(key, concat({v, {0x00}, int2octets(xValue.get()), bits2octets(h1)}));
  v = hmac(key, v);
  key = hmac(key, concat({v, {0x01}, int2octets(xValue.get()), bits2octets(h1)}));
  v = hmac(key, v);
  OracleNonce result;
  for (;;) {
    Bytes t;
    while (8 * static_cast<int>(t.size()) < qlen) {
      v = hmac(key, v);
      t.insert(t.end(), v.begin(), v.end());
    }
    ++result.candidates;
    Bn k = bits2int(t);
    if (!BN_is_zero(k.get()) && BN_cmp(k.get(), q) < 0) {
      result.k = int2octets(k.get());
      return result;
    }
    key = hmac(key, concat({v, {0x00}}));
    v = hmac(key, v);
  }
}

Bytes ourNonce(const Bytes& x, const Bytes& digest) {
  Bytes k(21);
  rfc6979Nonce(x.data(), digest.data(), k.data());
  return k;
}

TEST(NonceGroupOrder, IsTheOrderOpensslUsesForSect163k1) {
  const Bn order = opensslOrder();
  const Bytes ours(nonceGroupOrder.begin(), nonceGroupOrder.end());
  EXPECT_EQ(bytesToHex(ours.data(), 21), bytesToHex(bnToBytes(order.get(), 21).data(), 21));
  EXPECT_EQ(BN_num_bits(order.get()), 163);
}

TEST(Rfc6979Nonce, KnownAnswersFromTheVectorFile) {
  const auto records = test::readVectorFile(test::vectorPath("ecdsa-sect163k1-rfc6979.txt"));
  ASSERT_GE(records.size(), 8u);
  const Bn order = opensslOrder();
  int retried = 0;
  for (const auto& record : records) {
    const Bytes d = hexToBytes(record.at("d"));
    const Bytes digest = hexToBytes(record.at("digest"));
    ASSERT_EQ(d.size(), 21u);
    ASSERT_EQ(digest.size(), 16u);
    const Bytes k = ourNonce(d, digest);
    EXPECT_EQ(bytesToHex(k.data(), 21), record.at("k")) << "d = " << record.at("d");
    const OracleNonce oracle = oracleNonce(order.get(), d, digest);
    EXPECT_EQ(bytesToHex(oracle.k.data(), 21), record.at("k")) << "oracle, d = " << record.at("d");
    retried += oracle.candidates > 1 ? 1 : 0;
  }
  // Some known answers come from a second candidate (the first was >= n).
  EXPECT_GE(retried, 1);
  RecordProperty("vectors needing a second candidate", retried);
}

TEST(Rfc6979Nonce, RandomKeysAndDigestsMatchTheOracleIncludingRetries) {
  const Bn order = opensslOrder();
  std::mt19937_64 rng(6979u);  // fixed seed
  BN_CTX* context = BN_CTX_new();
  int firstCandidate = 0;
  int retried = 0;
  for (int trial = 0; trial < 300; ++trial) {
    Bytes raw(21);
    Bytes digest(16);
    for (auto& b : raw) {
      b = static_cast<std::uint8_t>(rng());
    }
    for (auto& b : digest) {
      b = static_cast<std::uint8_t>(rng());
    }
    // x in [1, n - 1].
    Bn x = bnFromBytes(raw);
    BN_nnmod(x.get(), x.get(), order.get(), context);
    if (BN_is_zero(x.get())) {
      BN_one(x.get());
    }
    const Bytes xBytes = bnToBytes(x.get(), 21);
    const OracleNonce oracle = oracleNonce(order.get(), xBytes, digest);
    const Bytes k = ourNonce(xBytes, digest);
    ASSERT_EQ(bytesToHex(k.data(), 21), bytesToHex(oracle.k.data(), 21)) << "trial " << trial;
    (oracle.candidates == 1 ? firstCandidate : retried) += 1;
  }
  BN_CTX_free(context);
  // About half of all first candidates are >= n (n is just above 2^162), so
  // both paths are taken many times.
  EXPECT_GT(firstCandidate, 50);
  EXPECT_GT(retried, 50);
}

// sect283k1 (qlen 281, two HMAC outputs per candidate) through the order
// parameter, against the oracle on OpenSSL's order of that curve.
TEST(Rfc6979Nonce, Sect283k1KeysMatchTheOracle) {
  EC_GROUP* group = EC_GROUP_new_by_curve_name(NID_sect283k1);
  ASSERT_NE(group, nullptr);
  const Bn order(BN_dup(EC_GROUP_get0_order(group)));
  EC_GROUP_free(group);
  const Bytes orderBytes = bnToBytes(order.get(), 36);
  const NonceOrder q{orderBytes.data(), 36, 281};
  std::mt19937_64 rng(283u);
  for (int trial = 0; trial < 60; ++trial) {
    Bytes x(36);
    Bytes digest(16);
    for (auto& b : x) b = static_cast<std::uint8_t>(rng());
    for (auto& b : digest) b = static_cast<std::uint8_t>(rng());
    x[0] &= 0x01;
    x[1] &= trial % 2 == 0 ? 0xFF : 0x00;
    Bytes k(36);
    rfc6979NonceFor(q, x.data(), digest.data(), k.data());
    ASSERT_EQ(bytesToHex(k.data(), 36), bytesToHex(oracleNonce(order.get(), x, digest).k.data(), 36))
        << "trial " << trial;
  }
  Bytes nMinusOne = orderBytes;
  nMinusOne[35] -= 1;
  EXPECT_EQ(nonceIsInRangeOf(q, nMinusOne.data()), 1);
  EXPECT_EQ(nonceIsInRangeOf(q, orderBytes.data()), 0);
  EXPECT_EQ(nonceIsInRangeOf(q, Bytes(36, 0).data()), 0);
}

TEST(Rfc6979Nonce, ExtremeKeysAndDigests) {
  const Bn order = opensslOrder();
  Bytes nMinusOne(nonceGroupOrder.begin(), nonceGroupOrder.end());
  nMinusOne[20] -= 1;
  Bytes one(21, 0);
  one[20] = 1;
  const Bytes digests[] = {Bytes(16, 0x00), Bytes(16, 0xFF)};
  for (const Bytes& x : {one, nMinusOne}) {
    for (const Bytes& digest : digests) {
      const Bytes k = ourNonce(x, digest);
      const OracleNonce oracle = oracleNonce(order.get(), x, digest);
      EXPECT_EQ(bytesToHex(k.data(), 21), bytesToHex(oracle.k.data(), 21));
    }
  }
}

TEST(NonceIsInRange, BoundaryValues) {
  const Bytes n(nonceGroupOrder.begin(), nonceGroupOrder.end());
  const auto with = [&](std::initializer_list<std::pair<int, int>> deltas) {
    Bytes value = n;
    for (const auto& [index, delta] : deltas) {
      value[static_cast<std::size_t>(index)] =
          static_cast<std::uint8_t>(value[static_cast<std::size_t>(index)] + delta);
    }
    return value;
  };
  Bytes zero(21, 0);
  Bytes one(21, 0);
  one[20] = 1;
  Bytes highOnly(21, 0);
  highOnly[0] = 0x04;  // 2^162 < n
  Bytes allOnes(21, 0xFF);
  allOnes[0] = 0x07;  // 2^163 - 1, the largest candidate
  struct Case {
    Bytes value;
    int expected;
  } const cases[] = {
      {zero, 0},
      {one, 1},
      {with({{20, -1}}), 1},  // n - 1
      {n, 0},
      {with({{20, +1}}), 0},  // n + 1
      {with({{10, -1}}), 1},  // differs in the middle, below
      {with({{10, +1}}), 0},  // differs in the middle, above
      {with({{0, -1}}), 1},   // 0x03..., below
      {highOnly, 1},
      {allOnes, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(nonceIsInRange(c.value.data()), c.expected) << bytesToHex(c.value.data(), 21);
  }
}

TEST(NonceIsInRange, AgreesWithBignumNearTheOrder) {
  const Bn order = opensslOrder();
  std::mt19937 rng(163u);  // fixed seed
  for (int trial = 0; trial < 20000; ++trial) {
    // Values sharing a prefix of random length with n, then random octets.
    Bytes value(nonceGroupOrder.begin(), nonceGroupOrder.end());
    const std::size_t keep = rng() % 22;
    for (std::size_t i = keep; i < 21; ++i) {
      value[i] = static_cast<std::uint8_t>(rng());
    }
    value[0] &= 0x07;  // candidates are below 2^163
    const Bn bn = bnFromBytes(value);
    const int expected = (!BN_is_zero(bn.get()) && BN_cmp(bn.get(), order.get()) < 0) ? 1 : 0;
    ASSERT_EQ(nonceIsInRange(value.data()), expected) << bytesToHex(value.data(), 21);
  }
}

TEST(NonceBitsToInt, TakesTheLeftmost163Bits) {
  std::mt19937 rng(93u);  // fixed seed
  for (int trial = 0; trial < 2000; ++trial) {
    Bytes t(32);
    for (auto& b : t) {
      b = static_cast<std::uint8_t>(rng());
    }
    if (trial == 0) {
      std::fill(t.begin(), t.end(), 0xFF);
    }
    Bn expected = bnFromBytes(t);
    BN_rshift(expected.get(), expected.get(), 256 - 163);
    Bytes k(21);
    nonceBitsToInt(t.data(), k.data());
    ASSERT_EQ(bytesToHex(k.data(), 21), bytesToHex(bnToBytes(expected.get(), 21).data(), 21));
  }
}

TEST(SecureWipe, ZeroesExactlyTheGivenRange) {
  std::uint8_t buffer[48];
  std::memset(buffer, 0xA5, sizeof buffer);
  secureWipe(buffer + 8, 32);
  for (int i = 0; i < 48; ++i) {
    EXPECT_EQ(buffer[i], (i >= 8 && i < 40) ? 0x00 : 0xA5) << "byte " << i;
  }
  secureWipe(buffer, 0);
  EXPECT_EQ(buffer[0], 0xA5);
}

}  // namespace
}  // namespace otawrap
