// Residues modulo n in and out of Montgomery form.
#include "ecc/order283.h"

namespace otawrap {

namespace {

const Scalar283 kOne = {1, 0, 0, 0, 0};

// x (below 2n) to its canonical residue.
void reduceOnce(Scalar283& x) { limbsReduceOnce(x, sect283k1Order); }

}  // namespace

// x < 2^320 = R: x * (R^2 mod n) < nR, so x*R mod n comes out below 2n, and
// leaving Montgomery form gives at most n.
void scalar283FromOctets(const std::uint8_t* octets, std::size_t length, Scalar283& out) {
  Scalar283 x;
  limbsFromOctets(octets, length, x);
  montgomeryMultiply(kOrder283Montgomery, x, kOrder283Montgomery.rSquared, x);
  montgomeryMultiply(kOrder283Montgomery, x, kOne, x);
  reduceOnce(x);
  out = x;
}

void scalar283Add(const Scalar283& a, const Scalar283& b, Scalar283& out) {
  limbsAdd(a, b, out);  // below 2n < 2^320: no carry out
  reduceOnce(out);
}

// (a b R^-1) (R^2) R^-1 = a b, below 2n.
void scalar283Multiply(const Scalar283& a, const Scalar283& b, Scalar283& out) {
  Scalar283 t;
  montgomeryMultiply(kOrder283Montgomery, a, b, t);
  montgomeryMultiply(kOrder283Montgomery, t, kOrder283Montgomery.rSquared, out);
  reduceOnce(out);
}

int scalar283Invert(const Scalar283& a, Scalar283& out) {
  if (limbsIsZero(a) != 0) {
    return kScalar283NoInverse;
  }
  Scalar283 t;
  montgomeryMultiply(kOrder283Montgomery, a, kOrder283Montgomery.rSquared, t);
  montgomeryInvert(kOrder283Montgomery, t, t);
  montgomeryMultiply(kOrder283Montgomery, t, kOne, t);
  reduceOnce(t);
  out = t;
  return 0;
}

int scalar283InRange(const Scalar283& a) {
  return (limbsIsZero(a) == 0 && limbsLess(a, sect283k1Order) != 0) ? 1 : 0;
}

}  // namespace otawrap
