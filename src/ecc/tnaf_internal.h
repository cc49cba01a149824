// The reduction modulo delta behind tauNafRecode and its constants, open to
// the tests. Nothing outside ecc/tnaf.cpp uses them.
#pragma once

#include "ecc/tnaf.h"
#include "ecc/words.h"

namespace otawrap {

// One reduction constant: 11 words followed by a zero word (24 bytes apart).
struct TauConstant {
  Words value;
  Word zero;
};
static_assert(sizeof(TauConstant) == 24, "tau constants are 24 bytes apart");

// delta = d0 + d1*tau with d0 = U_163 and d1 = (1 + 2*U_162 - U_163)/2 for the
// Lucas sequence U_0 = 0, U_1 = 1, U_(j+1) = U_j - 2*U_(j-1); its norm
// d0^2 + d0*d1 + 2*d1^2 is n. The scales are the rounded fixed-point
// reciprocals round(s0 * 2^176 / n) with s0 = d0 + d1, and round(d1 * 2^176 / n).
inline constexpr TauConstant tauConstants[4] = {
    // d0 = 1824026374634505274957943
    {{0xA077, 0x33AC, 0xA82A, 0xAAFB, 0x8240, 0x0001, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000}, 0},
    // d1 = 755360064476226375461594
    {{0x2ADA, 0x4011, 0x7BFC, 0x26B1, 0x9FF4, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000}, 0},
    // round(s0 * 2^176 / n) = 42260667418390227360473676694
    {{0xFB96, 0x72D3, 0x9CEF, 0x4909, 0x346B, 0x888D, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000}, 0},
    // round(d1 * 2^176 / n) = 12375819296378492935562750967
    {{0x6BF7, 0x4AB6, 0x1004, 0x5EFF, 0x09AC, 0x27FD, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000}, 0},
};
inline constexpr const Words& deltaD0 = tauConstants[0].value;
inline constexpr const Words& deltaD1 = tauConstants[1].value;
inline constexpr const Words& lambdaScale0 = tauConstants[2].value;
inline constexpr const Words& lambdaScale1 = tauConstants[3].value;

// For 0 <= k < n: r0 + r1*tau = k - (l0 - l1*tau)*delta, with l0 and l1 the
// rounded quotients k*s0/n and k*d1/n, so r0 + r1*tau acts on points of order n
// as k does. |r0|, |r1| < 2^82. scratch (22 words) receives the intermediate
// products; k must not overlap r0, r1 or scratch.
void tauPartialReduce(const ModNumber& k, Words& r0, Words& r1, WideWords& scratch);

}  // namespace otawrap
