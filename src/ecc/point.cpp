// Mixed addition, affine doubling, Frobenius map and conversion to affine form.
#include "ecc/point.h"

namespace otawrap {

void pointAddMixed(const ProjectivePoint& P, const AffinePoint& Q, ProjectivePoint& R, int negate) {
  const FieldElement& x2 = Q.x;
  FieldElement y2 = Q.y;
  if (negate != 0) {
    fieldAdd(x2, Q.y, y2);
  }

  // Zero tests rewrite their argument, so they run on copies: P and Q are read-only.
  FieldElement probe = P.X;
  if (fieldIsZero(probe) != 0) {
    R.X = x2;
    R.Y = y2;
    wordsSetOne(R.Z.data(), kWordCount);
    return;
  }
  probe = x2;
  if (fieldIsZero(probe) != 0) {
    if (&R != &P) {
      R = P;
    }
    return;
  }

  FieldElement u;
  FieldElement s;
  FieldElement v;
  fieldMultiply(x2, P.Z, u);
  fieldSquare(P.Z, s);
  fieldMultiply(y2, s, v);

  if (fieldEqual(P.X, u) != 0) {
    if (fieldEqual(P.Y, v) != 0) {
      pointDoubleAffine(x2, y2, R);
    } else {
      wordsSetZero(R.X.data(), kWordCount);
      wordsSetZero(R.Y.data(), kWordCount);
    }
    return;
  }

  FieldElement b;
  FieldElement w;
  FieldElement d;
  FieldElement e;
  FieldElement f;
  FieldElement g;
  FieldElement h;
  fieldAdd(v, P.Y, b);
  fieldAdd(u, P.X, w);
  fieldMultiply(w, P.Z, d);
  fieldSquare(w, w);
  fieldAdd(s, d, e);  // a*Z1^2 + D with a = 1
  fieldMultiply(w, e, e);
  fieldSquare(d, R.Z);  // first write into R; P is not read from here on
  fieldMultiply(b, d, f);
  fieldSquare(b, b);
  fieldAdd(b, e, b);
  fieldAdd(b, f, R.X);  // X3 = B^2 + E + F
  fieldMultiply(x2, R.Z, g);
  fieldAdd(R.X, g, g);
  fieldAdd(f, R.Z, f);
  fieldMultiply(f, g, g);
  fieldSquare(R.Z, h);
  FieldElement k;
  fieldAdd(x2, y2, k);
  fieldMultiply(h, k, k);
  fieldAdd(g, k, R.Y);  // Y3 = (F + Z3)(X3 + x2 Z3) + (x2 + y2) Z3^2
}

void pointDoubleAffine(const FieldElement& x, const FieldElement& y, ProjectivePoint& R) {
  FieldElement t;
  fieldSquare(x, R.Z);
  fieldSquare(R.Z, R.X);
  wordsSetOne(t.data(), kWordCount);  // b = 1
  fieldAdd(R.X, t, R.X);              // X3 = x^4 + b
  fieldAdd(R.Z, t, t);                // a*Z3 + b
  fieldSquare(y, R.Y);
  fieldAdd(t, R.Y, t);
  fieldMultiply(R.X, t, t);
  fieldAdd(R.Z, t, R.Y);  // Y3 = b*Z3 + X3 (a*Z3 + y^2 + b)
}

void pointFrobenius(ProjectivePoint& P) {
  fieldSquare(P.X, P.X);
  fieldSquare(P.Y, P.Y);
  fieldSquare(P.Z, P.Z);
}

void pointToAffine(ProjectivePoint& P, AffinePoint& out) {
  fieldInvert(P.Z, P.Z);  // Z is never zero for points built by these operations
  fieldMultiply(P.X, P.Z, out.x);
  fieldSquare(P.Z, P.Z);
  fieldMultiply(P.Y, P.Z, out.y);
  fieldReduceFinal(out.x);
  fieldReduceFinal(out.y);
}

}  // namespace otawrap
