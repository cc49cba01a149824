// Partial reduction modulo delta, tauNAF digits and the tau-adic windows.
#include "ecc/tnaf283.h"

namespace otawrap {

namespace {

using Signed192 = Limbs<3>;

// out = a * b mod 2^192 (the low three limbs, right for two's complement too).
Signed192 multiplyLow(const Signed192& a, const Signed192& b) {
  Signed192 out{};
  for (std::size_t i = 0; i < 3; ++i) {
    Limb carry = 0;
    for (std::size_t j = 0; i + j < 3; ++j) {
      out[i + j] = limbMultiplyAdd(a[i], b[j], out[i + j], carry, carry);
    }
  }
  return out;
}

// round(k * scale / 2^320): the top three limbs of the eight-limb product
// plus bit 319.
Signed192 roundedQuotient(const Scalar283& k, const Limbs<3>& scale) {
  Limb product[8] = {};
  for (std::size_t i = 0; i < 5; ++i) {
    Limb carry = 0;
    for (std::size_t j = 0; j < 3; ++j) {
      product[i + j] = limbMultiplyAdd(k[i], scale[j], product[i + j], carry, carry);
    }
    product[i + 3] = carry;
  }
  Signed192 q{product[5], product[6], product[7]};
  limbsAdd(q, Signed192{product[4] >> 63, 0, 0}, q);
  return q;
}

Signed192 subtract(const Signed192& a, const Signed192& b) {
  Signed192 out;
  limbsSub(a, b, out);
  return out;
}

Signed192 addTo(const Signed192& a, const Signed192& b) {
  Signed192 out;
  limbsAdd(a, b, out);
  return out;
}

// The entry index of a window read as e = sum of d_j 2^j (lowest digit +1),
// for e = -19, -17, ..., 21; -1 where no entry has that value.
constexpr std::int8_t kEntryOfValue[21] = {10, -1, 6, -1, 8, -1, 4, -1, 2, -1, 0,
                                           -1, 1,  -1, 3, -1, 9, -1, 5, -1, 7};

// The window marks of one scalar: mark[p] = +-(entry + 1) where a window's
// lowest nonzero digit sits at p, else 0. Windows are taken from the top:
// the highest nonzero digit and the next four positions below it, ending at
// the lowest nonzero digit among them.
void markWindows(const Tnaf283Digits& digits, int length, int* mark) {
  for (int p = length - 1; p >= 0;) {
    if (digits[static_cast<std::size_t>(p)] == 0) {
      --p;
      continue;
    }
    int low = p;
    for (int j = p - 1; j >= 0 && j >= p - 4; --j) {
      if (digits[static_cast<std::size_t>(j)] != 0) {
        low = j;
      }
    }
    const int sign = digits[static_cast<std::size_t>(low)] < 0 ? -1 : 1;  // digits are 0 or +-1
    int e = 0;
    for (int j = p; j >= low; --j) {
      e = 2 * e + sign * digits[static_cast<std::size_t>(j)];
    }
    mark[low] = sign * (kEntryOfValue[(e + 19) / 2] + 1);
    p = low - 1;
  }
}

// The value a + b tau of the digit of each slot: entry kTau283RegularEntry[s].
constexpr std::int64_t kRegularValue[kTau283RegularSlots][2] = {
    {1, 0}, {-1, -1}, {3, -1}, {1, -2}, {-1, -3}, {1, 2}, {-1, 1}, {3, 1}};

Signed192 signExtended(Limb v) {
  const Limb high = 0u - (v >> 63);
  return Signed192{v, high, high};
}

// a / 16 for a multiple of 16 (an arithmetic shift).
Signed192 divideBy16(const Signed192& a) {
  const Limb sign = 0u - (a[2] >> 63);
  return Signed192{(a[0] >> 4) | (a[1] << 60), (a[1] >> 4) | (a[2] << 60), (a[2] >> 4) | (sign << 60)};
}

// The digit of the odd residue v (mod 32) as slot | 8 * negative, and its value
// a + b tau: v = 1 mod 4 is the entry of residue v, v = 3 mod 4 the negated
// entry of residue -v. Every slot is read under a mask.
std::uint8_t regularDigit(unsigned v, Signed192& a, Signed192& b) {
  const unsigned negative = (v >> 1) & 1u;
  const unsigned slot = (((v ^ (0u - negative)) + negative) & 31u) >> 2;
  Limb a0 = 0;
  Limb b0 = 0;
  for (unsigned s = 0; s < kTau283RegularSlots; ++s) {
    const Limb mask = 0u - ((static_cast<Limb>(s ^ slot) - 1u) >> 63);
    a0 |= static_cast<Limb>(kRegularValue[s][0]) & mask;
    b0 |= static_cast<Limb>(kRegularValue[s][1]) & mask;
  }
  const Limb flip = 0u - static_cast<Limb>(negative);
  a = signExtended((a0 ^ flip) - flip);
  b = signExtended((b0 ^ flip) - flip);
  return static_cast<std::uint8_t>(slot | (negative << 3));
}

// r0 + r1 tau mod tau^5, as an integer mod 32.
unsigned residue32(const Signed192& r0, const Signed192& r1) {
  return static_cast<unsigned>(r0[0] + 26u * r1[0]) & 31u;
}

Affine283 frobenius(const Affine283& P, int times) {
  Affine283 out;
  field283SquareTimes(P.x, times, out.x);
  field283SquareTimes(P.y, times, out.y);
  return out;
}

}  // namespace

void tau283PartialReduce(const Scalar283& k, Limbs<3>& r0, Limbs<3>& r1) {
  // q = q0 - t*tau with q0 = round(k (d0 - d1)/n), t = round(k d1/n):
  // r0 = k - q0 d0 - 2 t d1, r1 = t (d0 - d1) - q0 d1.
  const Signed192 q0 = roundedQuotient(k, kTau283.scale0);
  const Signed192 t = roundedQuotient(k, kTau283.scale1);
  const Signed192 low{k[0], k[1], k[2]};
  const Signed192 td1 = multiplyLow(t, kTau283.d1);
  r0 = subtract(subtract(subtract(low, multiplyLow(q0, kTau283.d0)), td1), td1);
  r1 = subtract(multiplyLow(t, subtract(kTau283.d0, kTau283.d1)), multiplyLow(q0, kTau283.d1));
}

int tnaf283Recode(const Scalar283& k, Tnaf283Digits& digits) {
  Signed192 r0;
  Signed192 r1;
  tau283PartialReduce(k, r0, r1);
  digits.fill(0);
  int length = 0;
  const Signed192 one{1, 0, 0};
  while ((limbsIsZero(r0) == 0 || limbsIsZero(r1) == 0) &&
         length < static_cast<int>(kTnaf283Positions)) {
    if ((r0[0] & 1u) != 0) {
      // u = 2 - ((r0 - 2 r1) mod 4) is +1 or -1 and makes the next digit zero.
      const unsigned code = static_cast<unsigned>(2u - r0[0] + 2u * r1[0]) & 3u;
      if (code == 1) {
        digits[static_cast<std::size_t>(length)] = 1;
        r0 = subtract(r0, one);
      } else {
        digits[static_cast<std::size_t>(length)] = -1;
        r0 = addTo(r0, one);
      }
    }
    ++length;
    // (r0 + r1 tau)/tau = (r1 - r0/2) - (r0/2) tau, r0 even.
    Signed192 half = r0;
    half[0] = (half[0] >> 1) | (half[1] << 63);
    half[1] = (half[1] >> 1) | (half[2] << 63);
    half[2] = static_cast<Limb>(static_cast<Limb>(half[2] >> 1) | (half[2] & (Limb{1} << 63)));
    r0 = subtract(r1, half);
    r1 = subtract(Signed192{}, half);
  }
  return length;
}

void tau283RegularRecode(const Scalar283& k, Tau283RegularDigits& digits) {
  Signed192 r0;
  Signed192 r1;
  tau283PartialReduce(k, r0, r1);
  const Limb even = (r0[0] & 1u) - 1u;
  r0 = addTo(r0, Signed192{kTau283.d0[0] & even, kTau283.d0[1] & even, kTau283.d0[2] & even});
  r1 = addTo(r1, Signed192{kTau283.d1[0] & even, kTau283.d1[1] & even, kTau283.d1[2] & even});
  Signed192 a;
  Signed192 b;
  for (std::size_t i = 0; i + 1 < kTau283RegularDigits; ++i) {
    digits[i] = regularDigit((residue32(r0, r1) + 16u) & 31u, a, b);
    r0 = subtract(r0, a);
    r1 = subtract(r1, b);
    // r / tau^4 = r (tau-bar)^4 / 16 with (tau-bar)^4 = -1 - 3 tau:
    // ((6 r1 - r0) + (2 r1 - 3 r0) tau) / 16.
    const Signed192 next0 = subtract(multiplyLow(r1, Signed192{6, 0, 0}), r0);
    const Signed192 next1 =
        subtract(multiplyLow(r1, Signed192{2, 0, 0}), multiplyLow(r0, Signed192{3, 0, 0}));
    r0 = divideBy16(next0);
    r1 = divideBy16(next1);
  }
  digits[kTau283RegularDigits - 1] = regularDigit(residue32(r0, r1), a, b);
}

void tau283TableBuild(const Affine283& P, Affine283 table[kTau283Entries]) {
  const Affine283 t2 = frobenius(P, 2);
  const Affine283 t3 = frobenius(t2, 1);
  const Affine283 t4 = frobenius(t3, 1);
  const Ld283 base = ldFromAffine(P);
  Ld283 sums[kTau283Entries - 1];
  ldAddMixed(base, t2, sums[0]);
  ldAddMixed(base, affineNegated(t2), sums[1]);
  ldAddMixed(base, t3, sums[2]);
  ldAddMixed(base, affineNegated(t3), sums[3]);
  ldAddMixed(base, t4, sums[4]);
  ldAddMixed(base, affineNegated(t4), sums[5]);
  ldAddMixed(sums[0], t4, sums[6]);
  ldAddMixed(sums[0], affineNegated(t4), sums[7]);
  ldAddMixed(sums[1], t4, sums[8]);
  ldAddMixed(sums[1], affineNegated(t4), sums[9]);
  table[0] = P;
  ldBatchToAffine(sums, table + 1, kTau283Entries - 1);
}

int tau283MultiplyCombined(const Scalar283& k1, const Affine283* table1, const Scalar283& k2,
                           const Affine283* table2, Affine283& out) {
  Tnaf283Digits digits;
  int marks[2][kTnaf283Positions] = {};
  const int length1 = tnaf283Recode(k1, digits);
  markWindows(digits, length1, marks[0]);
  const int length2 = tnaf283Recode(k2, digits);
  markWindows(digits, length2, marks[1]);
  const Affine283* tables[2] = {table1, table2};

  Ld283 acc{Field283{1, 0, 0, 0, 0}, Field283{}, Field283{}};  // infinity
  bool holdsPoint = false;
  for (int p = (length1 > length2 ? length1 : length2) - 1; p >= 0; --p) {
    if (holdsPoint) {
      field283Square(acc.X, acc.X);
      field283Square(acc.Y, acc.Y);
      field283Square(acc.Z, acc.Z);
    }
    for (int s = 0; s < 2; ++s) {
      const int mark = marks[s][p];
      if (mark != 0) {
        const Affine283& entry = tables[s][(mark > 0 ? mark : -mark) - 1];
        ldAddMixed(acc, mark > 0 ? entry : affineNegated(entry), acc);
        holdsPoint = limbsIsZero(acc.Z) == 0;
      }
    }
  }
  if (!holdsPoint) {
    return 0;
  }
  ldToAffine(acc, out);
  return 1;
}

}  // namespace otawrap
