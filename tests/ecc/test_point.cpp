// Curve point operations against OpenSSL's EC_POINT_add and the textbook affine
// group law, including every degenerate case of the mixed addition.
#include <gtest/gtest.h>

#include <random>

#include "ecc/point.h"
#include "support/field_reference.h"
#include "support/openssl_curve.h"

namespace otawrap {
namespace {

using test::slowPointAdd;
using test::slowPointDouble;
using test::slowPointNegate;
using test::sslMultiplyGenerator;
using test::sslPointAdd;

class PointSource {
 public:
  explicit PointSource(std::uint64_t seed) : rng_(seed) {}

  Words scalar() {
    Words k;
    for (Word& w : k) {
      w = static_cast<Word>(rng_());
    }
    k[10] &= 3;
    return k;
  }

  AffinePoint point() { return sslMultiplyGenerator(scalar()); }

  // A nonzero field element, possibly with bits 163..175 set.
  FieldElement element() {
    FieldElement z;
    do {
      for (Word& w : z) {
        w = static_cast<Word>(rng_());
      }
    } while (fieldIsZero(z) != 0);
    if ((rng_() & 1) != 0) {
      z[10] = static_cast<Word>(z[10] | 0xFFF8);  // partially reduced
    }
    return z;
  }

 private:
  std::mt19937_64 rng_;
};

// (x Z, y Z^2, Z): the same point in Lopez-Dahab form with a chosen Z.
ProjectivePoint projective(const AffinePoint& p, const FieldElement& z) {
  ProjectivePoint r;
  r.Z = z;
  fieldMultiply(p.x, z, r.X);
  FieldElement z2;
  fieldSquare(z, z2);
  fieldMultiply(p.y, z2, r.Y);
  return r;
}

AffinePoint affine(ProjectivePoint p) {
  AffinePoint out;
  pointToAffine(p, out);
  return out;
}

// Adds f to a coordinate: same residue, bits 163..175 now partly set.
FieldElement unreduced(const FieldElement& a) {
  FieldElement r;
  fieldAdd(a, fieldPolynomial, r);
  return r;
}

TEST(PointAddMixed, MatchesOpenSslAndTextbookLaw) {
  PointSource source(0x706F696E74ULL);  // "point"
  for (int round = 0; round < 300; ++round) {
    const AffinePoint p = source.point();
    const AffinePoint q = source.point();
    const int negate = round % 2;
    const ProjectivePoint P = projective(p, source.element());
    ProjectivePoint R;
    pointAddMixed(P, q, R, negate);
    const AffinePoint summand = negate != 0 ? slowPointNegate(q) : q;
    const AffinePoint expected = sslPointAdd(p, summand);
    ASSERT_EQ(affine(R), expected) << "round " << round;
    if (round < 40) {
      ASSERT_EQ(expected, slowPointAdd(p, summand));
    }
    // In place: R is P.
    ProjectivePoint inPlace = P;
    pointAddMixed(inPlace, q, inPlace, negate);
    ASSERT_EQ(inPlace.X, R.X);
    ASSERT_EQ(inPlace.Y, R.Y);
    ASSERT_EQ(inPlace.Z, R.Z);
  }
}

TEST(PointAddMixed, AcceptsPartiallyReducedCoordinates) {
  PointSource source(17);
  for (int round = 0; round < 50; ++round) {
    const AffinePoint p = source.point();
    const AffinePoint q = source.point();
    ProjectivePoint P = projective(p, source.element());
    P.X = unreduced(P.X);
    P.Y = unreduced(P.Y);
    ProjectivePoint R;
    pointAddMixed(P, q, R, 0);
    EXPECT_EQ(affine(R), sslPointAdd(p, q));
    // Equal summands are still recognised through partially reduced words.
    pointAddMixed(projective(q, unreduced(source.element())), q, R, 0);
    EXPECT_EQ(affine(R), sslPointAdd(q, q));
  }
}

TEST(PointAddMixed, InfiniteFirstSummandCopiesTheSecond) {
  PointSource source(23);
  const AffinePoint q = source.point();
  ProjectivePoint P;
  P.X = fieldPolynomial;  // congruent to 0, not all zero
  P.Y = source.element();
  P.Z = source.element();
  ProjectivePoint R;
  pointAddMixed(P, q, R, 0);
  EXPECT_EQ(R.X, q.x);
  EXPECT_EQ(R.Y, q.y);
  EXPECT_EQ(R.Z, (FieldElement{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  pointAddMixed(P, q, R, 1);
  EXPECT_EQ(R.X, q.x);
  EXPECT_EQ(R.Y, slowPointNegate(q).y);
  EXPECT_EQ(affine(R), slowPointNegate(q));
}

TEST(PointAddMixed, InfiniteSecondSummandKeepsTheFirstWordForWord) {
  PointSource source(29);
  const ProjectivePoint P = projective(source.point(), source.element());
  AffinePoint q;
  q.x = FieldElement{};
  q.y = source.element();  // whatever y holds
  for (int negate = 0; negate < 2; ++negate) {
    ProjectivePoint R;
    pointAddMixed(P, q, R, negate);
    EXPECT_EQ(R.X, P.X);
    EXPECT_EQ(R.Y, P.Y);
    EXPECT_EQ(R.Z, P.Z);
    ProjectivePoint inPlace = P;
    pointAddMixed(inPlace, q, inPlace, negate);
    EXPECT_EQ(inPlace.X, P.X);
    EXPECT_EQ(inPlace.Y, P.Y);
    EXPECT_EQ(inPlace.Z, P.Z);
  }
}

TEST(PointAddMixed, EqualAndOppositeSummands) {
  PointSource source(31);
  for (int round = 0; round < 20; ++round) {
    const AffinePoint q = source.point();
    const AffinePoint minusQ = slowPointNegate(q);
    const FieldElement z = source.element();
    const AffinePoint twoQ = sslPointAdd(q, q);
    const AffinePoint twoMinusQ = sslPointAdd(minusQ, minusQ);

    // P = Q: doubling.
    ProjectivePoint R;
    pointAddMixed(projective(q, z), q, R, 0);
    EXPECT_EQ(affine(R), twoQ);
    // P = -Q: infinity, with Z untouched.
    const ProjectivePoint opposite = projective(minusQ, z);
    R.Z = source.element();
    const FieldElement zBefore = R.Z;
    pointAddMixed(opposite, q, R, 0);
    EXPECT_EQ(R.X, FieldElement{});
    EXPECT_EQ(R.Y, FieldElement{});
    EXPECT_EQ(R.Z, zBefore);
    EXPECT_EQ(affine(R), AffinePoint{});
    // With negate set, P = Q cancels and P = -Q doubles -Q.
    pointAddMixed(projective(q, z), q, R, 1);
    EXPECT_EQ(R.X, FieldElement{});
    EXPECT_EQ(R.Y, FieldElement{});
    pointAddMixed(opposite, q, R, 1);
    EXPECT_EQ(affine(R), twoMinusQ);
    // The same in place.
    ProjectivePoint inPlace = projective(q, z);
    pointAddMixed(inPlace, q, inPlace, 0);
    EXPECT_EQ(affine(inPlace), twoQ);
  }
}

TEST(PointDoubleAffine, MatchesOpenSslAndTextbookLaw) {
  PointSource source(37);
  for (int round = 0; round < 100; ++round) {
    const AffinePoint q = source.point();
    ProjectivePoint R;
    pointDoubleAffine(q.x, q.y, R);
    const AffinePoint expected = sslPointAdd(q, q);
    ASSERT_EQ(affine(R), expected);
    if (round < 20) {
      ASSERT_EQ(expected, slowPointDouble(q));
    }
    // Partially reduced inputs.
    pointDoubleAffine(unreduced(q.x), unreduced(q.y), R);
    ASSERT_EQ(affine(R), expected);
  }
}

TEST(PointFrobenius, SquaresTheAffineCoordinates) {
  PointSource source(41);
  for (int round = 0; round < 100; ++round) {
    const AffinePoint q = source.point();
    ProjectivePoint P = projective(q, source.element());
    pointFrobenius(P);
    const AffinePoint tauQ = affine(P);
    FieldElement x2;
    FieldElement y2;
    fieldSquare(q.x, x2);
    fieldSquare(q.y, y2);
    fieldReduceFinal(x2);
    fieldReduceFinal(y2);
    EXPECT_EQ(tauQ.x, x2);
    EXPECT_EQ(tauQ.y, y2);
    EXPECT_TRUE(test::sslIsOnCurve(tauQ));
  }
  // Infinity stays infinity.
  ProjectivePoint infinity{};
  infinity.Z[0] = 1;
  pointFrobenius(infinity);
  EXPECT_EQ(infinity.X, FieldElement{});
}

TEST(PointToAffine, CanonicalAndKeepsXY) {
  PointSource source(43);
  for (int round = 0; round < 50; ++round) {
    const AffinePoint q = source.point();
    ProjectivePoint P;
    P.X = unreduced(q.x);
    P.Y = unreduced(q.y);
    wordsSetOne(P.Z.data(), kWordCount);
    const ProjectivePoint before = P;
    AffinePoint out;
    pointToAffine(P, out);
    EXPECT_EQ(out, q);
    EXPECT_EQ(P.X, before.X);
    EXPECT_EQ(P.Y, before.Y);

    // Z is left holding Z^-2.
    const FieldElement z = source.element();
    ProjectivePoint Q = projective(q, z);
    pointToAffine(Q, out);
    EXPECT_EQ(out, q);
    FieldElement check;
    fieldSquare(z, check);
    fieldMultiply(check, Q.Z, check);
    EXPECT_EQ(fieldEqual(check, FieldElement{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 1);
  }
  ProjectivePoint infinity{};
  infinity.Z = source.element();
  AffinePoint out;
  pointToAffine(infinity, out);
  EXPECT_EQ(out, AffinePoint{});
}

}  // namespace
}  // namespace otawrap
