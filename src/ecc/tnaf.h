// Tau-adic non-adjacent form (tauNAF) of a scalar for the Koblitz curve
// sect163k1, where the Frobenius map tau satisfies tau^2 = tau - 2 on every
// point. The scalar is first reduced modulo delta = (tau^163 - 1)/(tau - 1),
// which kills every point of order n, so the expansion needs about 163 digits.
//
// Signed values here are 176-bit two's-complement integers in the 11-word
// layout (bit 175 is the sign); their arithmetic wraps modulo 2^176.
#pragma once

#include "ecc/words.h"

namespace otawrap {

// 176 two-bit digits: the coefficient of tau^p sits in bits 2(p mod 8) and
// 2(p mod 8)+1 of word p/8. Codes: 00 = 0, 01 = +1, 11 = -1 (10 never occurs).
using TnafDigits = std::array<Word, 22>;

// digits = the tauNAF of the partial reduction of k, 0 <= k < n: no two adjacent
// digits nonzero, at most 165 positions used, the rest zero. k must not overlap
// digits.
void tauNafRecode(const ModNumber& k, TnafDigits& digits);

}  // namespace otawrap
