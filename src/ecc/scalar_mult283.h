// Scalar multiplication on sect283k1. kG, where the scalar is secret, by the
// regular tau-adic expansion of ecc/tnaf283.h: 72 nonzero digits, evaluated
// top down in a Horner scheme whose step is tau^4 (four squarings of each
// coordinate), adding one entry of G's tau table per digit, chosen by
// scanning all eight the digits use; the sequence of operations does not
// depend on the scalar. k1*G + k2*P, on public scalars, by the tau-adic
// windows of ecc/tnaf283.h.
//
// kP (the order check) writes an odd k below 2^283 as k = sum of d_i 16^i,
// i = 0..70, with d_i odd in [-15, 15] for i < 70 and d_70 in {1, 3, 5, 7}:
// d_i + 16 is the five bits of k from bit 4i up with bit 4i set; it doubles
// four times between windows and indexes its own table of odd multiples
// directly (public values only). Nothing here allocates or fails.
#pragma once

#include "ecc/order283.h"
#include "ecc/point283.h"

namespace otawrap {

// out = k*G and returns 1 for 1 <= k <= n - 1 (canonical coordinates);
// returns 0 for k = 0 (out untouched). Constant time in k, apart from the
// exceptional sums of ldAddMixed.
int sect283k1MultiplyBase(const Scalar283& k, Affine283& out);

// out = k*P and returns 1, or returns 0 (out untouched) for the point at
// infinity, by the four-bit windows with four doublings between them. P
// finite; k odd below 2^283 (n itself for the order check: the tau-adic
// reduction would turn n into 0), or any k below n for P of order n. Public
// values only: the digits index the table.
int sect283k1MultiplyPoint(const Scalar283& k, const Affine283& P, Affine283& out);

// out = k1*G + k2*P and returns 1, or returns 0 for infinity. k1, k2 below n;
// P of order n. Public values only (tau-adic windows, one Frobenius chain).
int sect283k1MultiplyCombined(const Scalar283& k1, const Scalar283& k2, const Affine283& P,
                              Affine283& out);

}  // namespace otawrap
