// Tau-adic arithmetic for sect283k1, where the Frobenius map tau(x, y) =
// (x^2, y^2) satisfies tau^2 = -tau - 2 on every point (a = 0, mu = -1): the
// scalar is reduced modulo delta = -(tau^283 - 1)/(tau - 1), whose norm is n,
// so delta kills every point of order n; the remainder r0 + r1*tau (each part
// about 141 bits) is written in tauNAF digits and evaluated top down in a
// Horner scheme whose step is the Frobenius map, adding one precomputed point
// per window of up to five digit positions.
//
// The window entries, for a window whose lowest digit is +1 (a -1 window uses
// the negated entry):
//   0: 1            1 / 2: 1 +- tau^2       3 / 4: 1 +- tau^3
//   5 / 6: 1 +- tau^4         7 / 8: 1 + tau^2 +- tau^4    9 / 10: 1 - tau^2 +- tau^4
// For public scalars the digits decide which additions happen. For secret
// scalars (kG) the regular expansion below has a fixed number of digits, every
// one nonzero, computed with the same operations for every scalar. Nothing
// here allocates or fails.
#pragma once

#include <array>
#include <cstdint>

#include "ecc/limbs.h"
#include "ecc/order283.h"
#include "ecc/point283.h"

namespace otawrap {

inline constexpr std::size_t kTnaf283Positions = 296;
inline constexpr std::size_t kTau283Entries = 11;

// Digit p (-1, 0 or +1) is the coefficient of tau^p.
using Tnaf283Digits = std::array<std::int8_t, kTnaf283Positions>;

// The constants of the reduction: delta = d0 + d1*tau with d0, d1 > 0 and
// d0^2 - d0*d1 + 2*d1^2 = n, and the rounded fixed-point quotients
// round((d0 - d1) * 2^320 / n) and round(d1 * 2^320 / n).
struct Tau283Constants {
  Limbs<3> d0;
  Limbs<3> d1;
  Limbs<3> scale0;
  Limbs<3> scale1;
};
inline constexpr Tau283Constants kTau283 = {
    {0x34FDEB3298FA3A89, 0xE946A307368782A6, 0x00000000000014E9},
    {0x87F8E327DE5C2F70, 0xC4752086E178BD07, 0x0000000000000D44},
    {0x4F058CAAA8AA7981, 0x8762CF568284055D, 0x0003D29268C1402A},
    {0x2E17B84A099EF543, 0xBC5E83C3FC7193EF, 0x0006A2623A904370},
};

// r0 + r1*tau = k - q*delta for the rounded quotient q of k/delta, as 192-bit
// two's-complement numbers; acts on points of order n as k does. k < 2^283.
void tau283PartialReduce(const Scalar283& k, Limbs<3>& r0, Limbs<3>& r1);

// digits = the tauNAF of the partial reduction of k (no two adjacent digits
// nonzero); returns the number of positions used (at most 290 for k < n).
int tnaf283Recode(const Scalar283& k, Tnaf283Digits& digits);

// table[j] = entry j applied to P (affine), for P of order n.
void tau283TableBuild(const Affine283& P, Affine283 table[kTau283Entries]);

// The regular expansion of a secret scalar: k = sum of a_i tau^(4i), i = 0..71,
// on points of order n, every digit a_i one of +-entry kTau283RegularEntry[s]
// (the window entries above, by their residue 4s + 1 in Z[tau]/tau^5 = Z/32,
// where tau is 26). The partial reduction r, made odd (tau not dividing it) by
// adding delta when r0 is even, stays odd: each step takes the digit a of
// residue r + 16 mod 32, so r - a = tau^4 r' with r' odd, and goes on with r'.
// From |r| <= 2 sqrt(n) (complex absolute value), |r'| <= (|r| + 4)/4 leaves
// |r| < 2.05 after 71 steps: +-1, +-(1 + tau) or +-(1 - tau), each the digit
// of its own residue, which is a_71.
inline constexpr std::size_t kTau283RegularDigits = 72;
inline constexpr std::size_t kTau283RegularSlots = 8;
inline constexpr std::size_t kTau283RegularEntry[kTau283RegularSlots] = {0, 1, 3, 10, 6, 7, 4, 2};

// A digit as slot | 8 * negative: +-entry kTau283RegularEntry[slot].
using Tau283RegularDigits = std::array<std::uint8_t, kTau283RegularDigits>;

// digits = the regular expansion of k, k < n. Constant time in k.
void tau283RegularRecode(const Scalar283& k, Tau283RegularDigits& digits);

// out = k1*P1 + k2*P2 and returns 1, or returns 0 for the point at infinity.
// table1 and table2 hold the entries of P1 and P2 (sect283k1TauTable for G);
// both points of order n; k1, k2 below n.
int tau283MultiplyCombined(const Scalar283& k1, const Affine283* table1, const Scalar283& k2,
                           const Affine283* table2, Affine283& out);

}  // namespace otawrap
