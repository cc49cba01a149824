#include "support/field_reference.h"

#include <cstdio>
#include <utility>

namespace otawrap {

bool operator==(const AffinePoint& a, const AffinePoint& b) { return a.x == b.x && a.y == b.y; }
bool operator!=(const AffinePoint& a, const AffinePoint& b) { return !(a == b); }

void PrintTo(const AffinePoint& p, std::ostream* out) {
  char buffer[8];
  *out << "(x=";
  for (int k = 10; k >= 0; --k) {
    static_cast<void>(std::snprintf(buffer, sizeof buffer, "%04X", p.x[k]));
    *out << buffer;
  }
  *out << ", y=";
  for (int k = 10; k >= 0; --k) {
    static_cast<void>(std::snprintf(buffer, sizeof buffer, "%04X", p.y[k]));
    *out << buffer;
  }
  *out << ")";
}

}  // namespace otawrap

namespace otawrap::test {

namespace {

constexpr int kFieldBits = 163;

int bitAt(const Word* w, int i) { return (w[i / 16] >> (i % 16)) & 1; }
void flipBit(Word* w, int i) { w[i / 16] = static_cast<Word>(w[i / 16] ^ (1u << (i % 16))); }

// Reduces a value of the given bit length modulo f = x^163 + x^7 + x^6 + x^3 + 1.
void reduceBits(Word* w, int bits) {
  for (int d = bits - 1; d >= kFieldBits; --d) {
    if (bitAt(w, d) != 0) {
      flipBit(w, d);
      flipBit(w, d - kFieldBits + 7);
      flipBit(w, d - kFieldBits + 6);
      flipBit(w, d - kFieldBits + 3);
      flipBit(w, d - kFieldBits);
    }
  }
}

// dst ^= src << shift, bits beyond dst's words dropped.
void xorShifted(Word* dst, int dstWords, const Word* src, int srcWords, int shift) {
  for (int i = 0; i < 16 * srcWords; ++i) {
    if (bitAt(src, i) != 0 && i + shift < 16 * dstWords) {
      flipBit(dst, i + shift);
    }
  }
}

// Index of the highest set bit, -1 for zero.
int degree(const Word* w, int words) {
  for (int i = 16 * words - 1; i >= 0; --i) {
    if (bitAt(w, i) != 0) {
      return i;
    }
  }
  return -1;
}

bool isInfinity(const AffinePoint& P) {
  return wordsIsZero(P.x.data(), 11) != 0 && wordsIsZero(P.y.data(), 11) != 0;
}

FieldElement add(const FieldElement& a, const FieldElement& b) {
  FieldElement r;
  for (int k = 0; k < 11; ++k) {
    r[k] = static_cast<Word>(a[k] ^ b[k]);
  }
  return r;
}

FieldElement one() {
  FieldElement r{};
  r[0] = 1;
  return r;
}

}  // namespace

FieldElement slowFieldMultiply(const FieldElement& a, const FieldElement& b) {
  Word wide[24] = {};
  for (int i = 0; i < 176; ++i) {
    if (bitAt(a.data(), i) != 0) {
      xorShifted(wide, 24, b.data(), 11, i);
    }
  }
  reduceBits(wide, 352);
  FieldElement r;
  for (int k = 0; k < 11; ++k) {
    r[k] = wide[k];
  }
  return r;
}

FieldElement slowFieldReduce(const FieldElement& a) {
  FieldElement r = a;
  reduceBits(r.data(), 176);
  return r;
}

FieldElement slowFieldInvert(const FieldElement& a) {
  // Textbook extended Euclid on polynomials: u += x^j v, g1 += x^j g2 with
  // j = deg u - deg v, keeping g1*a = u and g2*a = v (mod f).
  Word u[12] = {};
  Word v[12] = {};
  Word g1[12] = {};
  Word g2[12] = {};
  const FieldElement reduced = slowFieldReduce(a);
  for (int k = 0; k < 11; ++k) {
    u[k] = reduced[k];
  }
  v[0] = 0x00C9;
  v[10] = 0x0008;
  g1[0] = 1;
  while (degree(u, 12) > 0) {
    int j = degree(u, 12) - degree(v, 12);
    if (j < 0) {
      for (int k = 0; k < 12; ++k) {
        std::swap(u[k], v[k]);
        std::swap(g1[k], g2[k]);
      }
      j = -j;
    }
    xorShifted(u, 12, v, 12, j);
    xorShifted(g1, 12, g2, 12, j);
  }
  FieldElement r;
  for (int k = 0; k < 11; ++k) {
    r[k] = g1[k];
  }
  return slowFieldReduce(r);
}

AffinePoint slowPointNegate(const AffinePoint& P) {
  if (isInfinity(P)) {
    return P;
  }
  return AffinePoint{P.x, add(P.x, P.y)};
}

AffinePoint slowPointDouble(const AffinePoint& P) {
  if (isInfinity(P) || wordsIsZero(P.x.data(), 11) != 0) {
    return AffinePoint{};  // infinity, or the point of order 2
  }
  // lambda = x + y/x; x3 = lambda^2 + lambda + a; y3 = x^2 + (lambda + 1) x3.
  const FieldElement lambda = add(P.x, slowFieldMultiply(P.y, slowFieldInvert(P.x)));
  const FieldElement x3 = slowFieldReduce(add(add(slowFieldMultiply(lambda, lambda), lambda), one()));
  const FieldElement y3 = slowFieldReduce(
      add(slowFieldMultiply(P.x, P.x), slowFieldMultiply(add(lambda, one()), x3)));
  return AffinePoint{x3, y3};
}

AffinePoint slowPointAdd(const AffinePoint& P, const AffinePoint& Q) {
  if (isInfinity(P)) {
    return Q;
  }
  if (isInfinity(Q)) {
    return P;
  }
  if (P.x == Q.x) {
    if (P.y == Q.y) {
      return slowPointDouble(P);
    }
    return AffinePoint{};  // Q = -P
  }
  // lambda = (y1 + y2)/(x1 + x2); x3 = lambda^2 + lambda + x1 + x2 + a;
  // y3 = lambda (x1 + x3) + x3 + y1.
  const FieldElement lambda =
      slowFieldMultiply(add(P.y, Q.y), slowFieldInvert(add(P.x, Q.x)));
  const FieldElement x3 = slowFieldReduce(
      add(add(add(slowFieldMultiply(lambda, lambda), lambda), add(P.x, Q.x)), one()));
  const FieldElement y3 =
      slowFieldReduce(add(add(slowFieldMultiply(lambda, add(P.x, x3)), x3), P.y));
  return AffinePoint{x3, y3};
}

AffinePoint slowPointMultiply(const Words& k, const AffinePoint& P) {
  AffinePoint sum{};
  for (int bit = 175; bit >= 0; --bit) {
    sum = slowPointDouble(sum);
    if (bitAt(k.data(), bit) != 0) {
      sum = slowPointAdd(sum, P);
    }
  }
  return sum;
}

bool slowIsOnCurve(const AffinePoint& P) {
  const FieldElement lhs = add(slowFieldMultiply(P.y, P.y), slowFieldMultiply(P.x, P.y));
  const FieldElement x2 = slowFieldMultiply(P.x, P.x);
  const FieldElement rhs = add(add(slowFieldMultiply(x2, P.x), x2), one());
  return slowFieldReduce(lhs) == slowFieldReduce(rhs);
}

Field283 slowField283Multiply(const Field283& a, const Field283& b) {
  Limb wide[10] = {};
  for (int i = 0; i < 283; ++i) {
    if (((a[i / 64] >> (i % 64)) & 1u) != 0) {
      for (int j = 0; j < 283; ++j) {
        if (((b[j / 64] >> (j % 64)) & 1u) != 0) {
          wide[(i + j) / 64] ^= Limb{1} << ((i + j) % 64);
        }
      }
    }
  }
  for (int d = 564; d >= 283; --d) {
    if (((wide[d / 64] >> (d % 64)) & 1u) != 0) {
      for (int e : {283, 12, 7, 5, 0}) {
        const int bit = d - 283 + e;
        wide[bit / 64] ^= Limb{1} << (bit % 64);
      }
    }
  }
  return Field283{wide[0], wide[1], wide[2], wide[3], wide[4]};
}

}  // namespace otawrap::test
