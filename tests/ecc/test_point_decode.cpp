// Public point decoding against OpenSSL (oct2point, point2oct,
// set_compressed_coordinates), the half-trace against the trace from repeated slow
// squaring, and the order check against a double-and-add done by OpenSSL's
// group operations.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ecc/field.h"
#include "ecc/point_decode.h"
#include "ecc/point_decode_internal.h"
#include "support/field_reference.h"
#include "support/openssl_curve.h"
#include "support/openssl_verify.h"

namespace otawrap {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::slowFieldMultiply;

// Random tests draw from std::mt19937_64 with the seed given at each use.
FieldElement randomCanonical(std::mt19937_64& rng) {
  FieldElement a;
  for (auto& w : a) w = static_cast<Word>(rng());
  a[10] &= 7;
  return a;
}

Words randomScalar(std::mt19937_64& rng) {
  Words k;
  for (auto& w : k) w = static_cast<Word>(rng());
  k[10] &= 3;
  return k;
}

FieldElement slowSquare(const FieldElement& a) { return slowFieldMultiply(a, a); }

const AffinePoint kOrderTwoPoint = {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                    {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};

PointDecodeStatus decode(const Bytes& octets, AffinePoint& out) {
  return pointDecode(octets.data(), octets.size(), out);
}

TEST(FieldHalfTrace, SolvesTheQuadraticUpToTheTraceComputedBySlowSquaring) {
  std::mt19937_64 rng(1631);
  for (int round = 0; round < 24; ++round) {
    FieldElement a = randomCanonical(rng);
    if (round == 0) a = FieldElement{1};
    // Tr(a) the slow way: a + a^2 + ... + a^(2^162).
    FieldElement sum = a;
    FieldElement power = a;
    for (int i = 1; i < 163; ++i) {
      power = slowSquare(power);
      for (int w = 0; w < 11; ++w) sum[w] ^= power[w];
    }
    ASSERT_TRUE(sum[0] <= 1 && wordsIsZero(sum.data() + 1, 10) == 1) << "trace is 0 or 1";
    // For this polynomial only x^0 and x^157 have trace 1.
    EXPECT_EQ(sum[0], (a[0] & 1) ^ ((a[9] >> 13) & 1));

    FieldElement h;
    fieldHalfTrace(a, h);
    fieldReduceFinal(h);
    FieldElement check = slowSquare(h);
    for (int w = 0; w < 11; ++w) check[w] ^= h[w] ^ a[w];
    check[0] ^= static_cast<Word>(sum[0]);
    EXPECT_EQ(test::slowFieldReduce(check), FieldElement{}) << "h^2 + h = a + Tr(a)";
  }
}

TEST(PointDecode, DecompressionAgreesWithOpenSslForRandomX) {
  std::mt19937_64 rng(2304);
  int solvable = 0;
  for (int round = 0; round < 300; ++round) {
    const FieldElement x = round < 2 ? FieldElement{} : randomCanonical(rng);
    const int bit = static_cast<int>(round & 1);
    SCOPED_TRACE(round);
    AffinePoint expected{};
    const bool sslOk = test::sslSetCompressed(x, bit, expected);
    FieldElement y{};
    y.fill(0xABCD);
    const int ours = pointDecompress(x, bit, y);
    ASSERT_EQ(ours == 1, sslOk);
    if (sslOk) {
      ++solvable;
      EXPECT_EQ(y, expected.y);
      EXPECT_EQ(test::slowIsOnCurve(AffinePoint{x, y}), true);
    } else {
      FieldElement untouched;
      untouched.fill(0xABCD);
      EXPECT_EQ(y, untouched);
    }
  }
  EXPECT_GT(solvable, 100);
  EXPECT_LT(solvable, 200);
}

TEST(PointDecode, RoundTripsOfMultiplesOfGAgainstOpenSslEncodings) {
  std::mt19937_64 rng(77);
  for (int round = 0; round < 60; ++round) {
    Words k = randomScalar(rng);
    if (round < 3) k = Words{static_cast<Word>(round + 1)};
    const AffinePoint P = test::sslMultiplyGenerator(k);
    for (const bool compressed : {true, false}) {
      SCOPED_TRACE(compressed ? "compressed" : "uncompressed");
      const Bytes ssl = test::sslPointEncode(P, compressed);
      Bytes ours(compressed ? kPointCompressedOctets : kPointUncompressedOctets);
      if (compressed) {
        pointEncodeCompressed(P, ours.data());
      } else {
        pointEncodeUncompressed(P, ours.data());
      }
      EXPECT_EQ(ours, ssl);
      AffinePoint decoded{};
      ASSERT_EQ(decode(ssl, decoded), PointDecodeStatus::ok);
      EXPECT_EQ(decoded, P);
      AffinePoint back{};
      ASSERT_TRUE(test::sslPointDecode(ours, back));
      EXPECT_EQ(back, P);
    }
  }
}

TEST(PointOrder, MultiplesOfGPassPointsOfOrderTwoNAndTwoFail) {
  std::mt19937_64 rng(4096);
  Words n = test::sslGroupOrder();
  for (int round = 0; round < 6; ++round) {
    const AffinePoint P = test::sslMultiplyGenerator(randomScalar(rng));
    const AffinePoint twisted = test::sslPointAdd(P, kOrderTwoPoint);
    ASSERT_TRUE(test::sslIsOnCurve(twisted));
    // The oracle: n*P by OpenSSL's doublings and additions.
    EXPECT_EQ(test::sslMultiplyUnreduced(n, P), AffinePoint{});
    EXPECT_NE(test::sslMultiplyUnreduced(n, twisted), AffinePoint{});
    EXPECT_EQ(pointHasGroupOrder(P), 1);
    EXPECT_EQ(pointHasGroupOrder(twisted), 0);

    AffinePoint out{};
    EXPECT_EQ(decode(test::sslPointEncode(P, false), out), PointDecodeStatus::ok);
    EXPECT_EQ(decode(test::sslPointEncode(twisted, false), out), PointDecodeStatus::wrongOrder);
    EXPECT_EQ(decode(test::sslPointEncode(twisted, true), out), PointDecodeStatus::wrongOrder);
  }
  EXPECT_EQ(pointHasGroupOrder(kOrderTwoPoint), 0);
}

TEST(PointOrder, RandomCurvePointsSplitAsOpenSslSays) {
  std::mt19937_64 rng(555);
  const Words n = test::sslGroupOrder();
  int orderN = 0;
  int other = 0;
  for (int round = 0; round < 24; ++round) {
    AffinePoint P{};
    if (!test::sslSetCompressed(randomCanonical(rng), 0, P)) continue;
    const bool expected = test::sslMultiplyUnreduced(n, P) == AffinePoint{};
    EXPECT_EQ(pointHasGroupOrder(P), expected ? 1 : 0);
    (expected ? orderN : other) += 1;
  }
  EXPECT_GT(orderN, 0);
  EXPECT_GT(other, 0);
}

Bytes withByte(Bytes b, std::size_t at, std::uint8_t value) {
  b[at] = value;
  return b;
}

TEST(PointDecode, RejectsBadEncodingsAndBadPoints) {
  const AffinePoint P = test::sslMultiplyGenerator(Words{12345});
  const Bytes compressed = test::sslPointEncode(P, true);
  const Bytes uncompressed = test::sslPointEncode(P, false);
  Bytes offCurve = uncompressed;
  offCurve[42] ^= 1;
  Bytes noSolution(43);  // 02 || an x whose quadratic has no root
  {
    std::mt19937_64 rng(99);
    AffinePoint unused{};
    FieldElement x;
    do {
      x = randomCanonical(rng);
    } while (test::sslSetCompressed(x, 0, unused));
    pointEncodeUncompressed(AffinePoint{x, FieldElement{}}, noSolution.data());
    noSolution.resize(22);
    noSolution[0] = 0x02;
  }
  Bytes zeroX(22, 0);
  zeroX[0] = 0x02;
  Bytes orderTwo(43, 0);
  orderTwo[0] = 0x04;
  orderTwo[42] = 0x01;
  Bytes hybrid = uncompressed;
  hybrid[0] = 0x06;

  struct Case {
    const char* name;
    Bytes octets;
    PointDecodeStatus status;
  } cases[] = {
      {"empty", Bytes{}, PointDecodeStatus::badLength},
      {"infinity 00", Bytes{0x00}, PointDecodeStatus::badLength},
      {"21 octets", Bytes(compressed.begin(), compressed.end() - 1), PointDecodeStatus::badLength},
      {"23 octets", [&] { Bytes b = compressed; b.push_back(0); return b; }(), PointDecodeStatus::badLength},
      {"42 octets", Bytes(uncompressed.begin(), uncompressed.end() - 1), PointDecodeStatus::badLength},
      {"44 octets", [&] { Bytes b = uncompressed; b.push_back(0); return b; }(), PointDecodeStatus::badLength},
      {"compressed with 04", withByte(compressed, 0, 0x04), PointDecodeStatus::badPrefix},
      {"compressed with 00", withByte(compressed, 0, 0x00), PointDecodeStatus::badPrefix},
      {"uncompressed with 02", withByte(uncompressed, 0, 0x02), PointDecodeStatus::badPrefix},
      {"hybrid 06", hybrid, PointDecodeStatus::badPrefix},
      {"x of 2^163 (compressed)", withByte(compressed, 1, 0x08), PointDecodeStatus::notInField},
      {"x of 2^167 (uncompressed)", withByte(uncompressed, 1, 0x80), PointDecodeStatus::notInField},
      {"y of 2^163", withByte(uncompressed, 22, static_cast<std::uint8_t>(uncompressed[22] | 0x08)),
       PointDecodeStatus::notInField},
      {"y off the curve", offCurve, PointDecodeStatus::notOnCurve},
      {"x without a point", noSolution, PointDecodeStatus::notOnCurve},
      {"x = 0, order 2 (compressed)", zeroX, PointDecodeStatus::wrongOrder},
      {"(0, 1), order 2", orderTwo, PointDecodeStatus::wrongOrder},
      {"(0, 0)", withByte(orderTwo, 42, 0), PointDecodeStatus::notOnCurve},
      {"valid compressed", compressed, PointDecodeStatus::ok},
      {"valid uncompressed", uncompressed, PointDecodeStatus::ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AffinePoint out;
    out.x.fill(0x5A5A);
    out.y.fill(0x5A5A);
    const PointDecodeStatus status = decode(c.octets, out);
    EXPECT_EQ(status, c.status);
    if (status == PointDecodeStatus::ok) {
      EXPECT_EQ(out, P);
    } else {
      EXPECT_EQ(out.x[0], 0x5A5A) << "out is written only on success";
    }
    // OpenSSL refuses what is not a curve point; it accepts hybrid and
    // order-2 encodings, which a public key must not be.
    AffinePoint ssl{};
    if (c.status == PointDecodeStatus::notOnCurve) {
      EXPECT_FALSE(test::sslPointDecode(c.octets, ssl));
    }
  }
}

TEST(PointIsOnCurve, AgreesWithTheSlowEquationAndIgnoresPartialReduction) {
  std::mt19937_64 rng(31);
  for (int round = 0; round < 40; ++round) {
    AffinePoint P{randomCanonical(rng), randomCanonical(rng)};
    if (round % 2 == 0) {
      test::sslSetCompressed(P.x, 1, P);
    }
    const bool expected = test::slowIsOnCurve(P);
    EXPECT_EQ(pointIsOnCurve(P), expected ? 1 : 0);
    AffinePoint loose = P;  // same residues with bits 163..175 set
    for (int w = 0; w < 11; ++w) {
      loose.x[w] ^= fieldPolynomial[w];
      loose.y[w] ^= fieldPolynomial[w];
    }
    EXPECT_EQ(pointIsOnCurve(loose), expected ? 1 : 0);
  }
  EXPECT_EQ(pointIsOnCurve(AffinePoint{}), 0);
  EXPECT_EQ(pointIsOnCurve(kOrderTwoPoint), 1);
}

}  // namespace
}  // namespace otawrap
