// GF(2^283) on the portable kernels of ecc/binary_field.h or the carry-less
// ones, and the routines built on multiply and square.
#include "ecc/field283.h"

#include "ecc/cpu_features.h"
#include "ecc/field283_clmul.h"
#include "ecc/itoh_tsujii.h"

namespace otawrap {

namespace {

constexpr std::array<int, 12> kInversionChain = {1, 2, 4, 8, 16, 32, 64, 128, 256, 272, 280, 282};
static_assert(isInversionChain(kInversionChain) && kInversionChain.back() == 282,
              "the chain reaches m - 1 = 282");

void squareTimesPortable(const Field283& a, int count, Field283& out) {
  out = a;
  for (int i = 0; i < count; ++i) {
    field283SquarePortable(out, out);
  }
}

}  // namespace

void field283Add(const Field283& a, const Field283& b, Field283& out) {
  for (std::size_t k = 0; k < out.size(); ++k) {
    out[k] = a[k] ^ b[k];
  }
}

void field283MultiplyPortable(const Field283& a, const Field283& b, Field283& out) {
  binaryFieldMultiplyPortable<Field283Polynomial>(a, b, out);
}

void field283SquarePortable(const Field283& a, Field283& out) {
  binaryFieldSquarePortable<Field283Polynomial>(a, out);
}

void field283Multiply(const Field283& a, const Field283& b, Field283& out) {
  if (cpuFeatures().pclmul) {
    field283MultiplyClmul(a, b, out);
  } else {
    field283MultiplyPortable(a, b, out);
  }
}

void field283Square(const Field283& a, Field283& out) {
  if (cpuFeatures().pclmul) {
    field283SquareClmul(a, out);
  } else {
    field283SquarePortable(a, out);
  }
}

void field283SquareTimes(const Field283& a, int count, Field283& out) {
  if (cpuFeatures().pclmul) {
    field283SquareTimesClmul(a, count, out);
  } else {
    squareTimesPortable(a, count, out);
  }
}

int field283Invert(const Field283& a, Field283& out) {
  if (!cpuFeatures().pclmul) {
    return field283InvertPortable(a, out);
  }
  if (limbsIsZero(a) != 0) {
    return kField283NoInverse;
  }
  itohTsujiiInvert(kInversionChain, a, field283SquareTimesClmul, field283MultiplyClmul, out);
  return 0;
}

int field283InvertPortable(const Field283& a, Field283& out) {
  if (limbsIsZero(a) != 0) {
    return kField283NoInverse;
  }
  itohTsujiiInvert(kInversionChain, a, squareTimesPortable, field283MultiplyPortable, out);
  return 0;
}

// Half-trace: for odd m, H(beta) = sum of beta^(4^i), i = 0..(m-1)/2, solves
// z^2 + z = beta whenever the trace of beta is zero.
int field283SolveQuadratic(const Field283& beta, Field283& z) {
  Field283 h = beta;
  for (unsigned i = 0; i < (Field283Polynomial::degree - 1) / 2; ++i) {
    field283SquareTimes(h, 2, h);
    field283Add(h, beta, h);
  }
  z = h;
  Field283 check;
  field283Square(h, check);
  field283Add(check, h, check);
  return field283Equal(check, beta);
}

int field283Equal(const Field283& a, const Field283& b) {
  Limb any = 0;
  for (std::size_t k = 0; k < a.size(); ++k) {
    any |= a[k] ^ b[k];
  }
  return any == 0 ? 1 : 0;
}

int field283IsCanonical(const Field283& a) {
  return (a[4] >> (Field283Polynomial::degree % 64)) == 0 ? 1 : 0;
}

}  // namespace otawrap
