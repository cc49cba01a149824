// Lopez-Dahab point formulas on a Koblitz curve y^2 + xy = x^3 + a x^2 + 1
// (a = 0 or 1) over a binary field given as a parameter struct: Element, add,
// multiply, square, and the constant a. (X, Y, Z) stands for the affine point
// (X/Z, Y/Z^2); Z = 0 is the point at infinity. Coordinates are whatever form
// the field keeps. Nothing here allocates or fails.
#pragma once

#include <cstddef>

namespace otawrap {

template <typename Field>
struct LdPoint {
  typename Field::Element X;
  typename Field::Element Y;
  typename Field::Element Z;
};

template <typename Field>
struct AffinePointOf {
  typename Field::Element x;
  typename Field::Element y;
};

// P in Lopez-Dahab coordinates: (x, y, 1).
template <typename Field>
LdPoint<Field> ldFromAffine(const AffinePointOf<Field>& P) {
  LdPoint<Field> R{P.x, P.y, {}};
  Field::setOne(R.Z);
  return R;
}

// R = 2P: Z3 = X^2 Z^2, X3 = X^4 + Z^4, Y3 = Z^4 Z3 + X3 (a Z3 + Y^2 + Z^4)
// (b = 1). Infinity and the point of order two (X = 0) give Z3 = 0. R may be P.
template <typename Field>
void ldDouble(const LdPoint<Field>& P, LdPoint<Field>& R) {
  typename Field::Element x2, z2, z4, t, z3;
  Field::square(P.X, x2);
  Field::square(P.Z, z2);
  Field::square(z2, z4);
  Field::multiply(x2, z2, z3);
  Field::square(P.Y, t);
  Field::add(t, z4, t);
  if (Field::a != 0) {
    Field::add(t, z3, t);
  }
  Field::square(x2, x2);
  Field::add(x2, z4, R.X);  // X3
  Field::multiply(R.X, t, t);
  Field::multiply(z4, z3, z4);
  Field::add(z4, t, R.Y);
  R.Z = z3;
}

// R = P + Q for affine Q (mixed Lopez-Dahab addition, 8M + 5S):
// A = y2 Z1^2 + Y1, B = x2 Z1 + X1, C = Z1 B, D = B^2 (C + a Z1^2), Z3 = C^2,
// E = A C, X3 = A^2 + D + E, F = X3 + x2 Z3, G = (x2 + y2) Z3^2,
// Y3 = (E + Z3) F + G. The exceptional sums branch: P at infinity gives Q,
// P = Q doubles, P = -Q gives infinity. These never happen in the scalar
// multiplications for a scalar below the order except with negligible chance.
// R may be P.
template <typename Field>
void ldAddMixed(const LdPoint<Field>& P, const AffinePointOf<Field>& Q, LdPoint<Field>& R) {
  using Element = typename Field::Element;
  if (Field::isZero(P.Z) != 0) {
    R.X = Q.x;
    R.Y = Q.y;
    Field::setOne(R.Z);
    return;
  }
  Element z1s, a, b, c, d, e;
  Field::square(P.Z, z1s);
  Field::multiply(Q.y, z1s, a);
  Field::add(a, P.Y, a);
  Field::multiply(Q.x, P.Z, b);
  Field::add(b, P.X, b);
  if (Field::isZero(b) != 0) {
    if (Field::isZero(a) != 0) {
      LdPoint<Field> q{Q.x, Q.y, {}};
      Field::setOne(q.Z);
      ldDouble(q, R);
    } else {
      Field::setOne(R.X);
      Field::setZero(R.Y);
      Field::setZero(R.Z);
    }
    return;
  }
  Field::multiply(P.Z, b, c);
  Field::square(b, d);
  if (Field::a != 0) {
    Element t;
    Field::add(c, z1s, t);
    Field::multiply(d, t, d);
  } else {
    Field::multiply(d, c, d);
  }
  Element z3, x3, f, g;
  Field::square(c, z3);
  Field::multiply(a, c, e);
  Field::square(a, x3);
  Field::add(x3, d, x3);
  Field::add(x3, e, x3);
  Field::multiply(Q.x, z3, f);
  Field::add(f, x3, f);
  Field::add(Q.x, Q.y, g);
  Field::square(z3, d);
  Field::multiply(g, d, g);
  Field::add(e, z3, e);
  Field::multiply(e, f, e);
  Field::add(e, g, R.Y);
  R.X = x3;
  R.Z = z3;
}

// out = (X/Z, Y/Z^2) for Z != 0.
template <typename Field>
void ldToAffine(const LdPoint<Field>& P, AffinePointOf<Field>& out) {
  typename Field::Element zi, zi2;
  Field::invert(P.Z, zi);
  Field::square(zi, zi2);
  Field::multiply(P.X, zi, out.x);
  Field::multiply(P.Y, zi2, out.y);
}

// out[j] = the affine form of in[j] for count points, none at infinity, with
// one shared inversion: prefix products of the Z coordinates, one inverse,
// then back down. 1 <= count <= 16.
template <typename Field>
void ldBatchToAffine(const LdPoint<Field>* in, AffinePointOf<Field>* out, std::size_t count) {
  using Element = typename Field::Element;
  Element prefix[16];
  prefix[0] = in[0].Z;
  for (std::size_t j = 1; j < count; ++j) {
    Field::multiply(prefix[j - 1], in[j].Z, prefix[j]);
  }
  Element inverse;
  Field::invert(prefix[count - 1], inverse);
  for (std::size_t j = count; j-- > 0;) {
    Element zi;
    if (j > 0) {
      Field::multiply(inverse, prefix[j - 1], zi);
      Field::multiply(inverse, in[j].Z, inverse);
    } else {
      zi = inverse;
    }
    Element zi2;
    Field::square(zi, zi2);
    Field::multiply(in[j].X, zi, out[j].x);
    Field::multiply(in[j].Y, zi2, out[j].y);
  }
}

// The same point negated when mask is all ones: y becomes x + y. Constant time.
template <typename Field>
void affineConditionalNegate(AffinePointOf<Field>& P, typename Field::Limb mask) {
  for (std::size_t k = 0; k < P.y.size(); ++k) {
    P.y[k] ^= P.x[k] & mask;
  }
}

// -P = (x, x + y).
template <typename Field>
AffinePointOf<Field> affineNegated(const AffinePointOf<Field>& P) {
  AffinePointOf<Field> N = P;
  affineConditionalNegate(N, ~typename Field::Limb{0});
  return N;
}

}  // namespace otawrap
