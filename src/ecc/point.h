// Point arithmetic on the Koblitz curve sect163k1, y^2 + xy = x^3 + x^2 + 1 over
// GF(2^163), with a projective running sum in Lopez-Dahab coordinates.
//
// Coordinates are partially reduced field elements unless stated otherwise. A
// point whose x (or X) coordinate is congruent to 0 is the point at infinity,
// whatever the other coordinates hold. Nothing here allocates or fails.
#pragma once

#include "ecc/field.h"

namespace otawrap {

// (X, Y, Z) standing for the affine point (X/Z, Y/Z^2); 33 words in this order.
struct ProjectivePoint {
  FieldElement X;
  FieldElement Y;
  FieldElement Z;
};

// (x, y); 22 words in this order. (x, y) is the projective point (x, y, 1);
// its negation is (x, x + y).
struct AffinePoint {
  FieldElement x;
  FieldElement y;
};

static_assert(sizeof(ProjectivePoint) == 66, "ProjectivePoint is 33 packed words");
static_assert(sizeof(AffinePoint) == 44, "AffinePoint is 22 packed words");

// R = P + Q, or P - Q when negate is nonzero (mixed Lopez-Dahab addition, a = 1).
// R may be P; R must not overlap Q. Q is only read. Equal summands fall back on
// pointDoubleAffine; opposite summands give R.X = R.Y = 0 with R.Z unchanged.
void pointAddMixed(const ProjectivePoint& P, const AffinePoint& Q, ProjectivePoint& R, int negate);

// R = 2(x, y) (Lopez-Dahab doubling of an affine point, a = b = 1).
// R must not overlap x or y.
void pointDoubleAffine(const FieldElement& x, const FieldElement& y, ProjectivePoint& R);

// P = (X^2, Y^2, Z^2), in place: the Frobenius map.
void pointFrobenius(ProjectivePoint& P);

// out = (X/Z, Y/Z^2), both canonical. X and Y of P are kept; P.Z is used as
// scratch and left as Z^-2. P.Z must be nonzero; (0, 0, Z) gives (0, 0).
void pointToAffine(ProjectivePoint& P, AffinePoint& out);

}  // namespace otawrap
