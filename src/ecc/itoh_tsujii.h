// Itoh-Tsujii inversion in GF(2^m) along an addition chain for m - 1, shared by
// the fields of sect163k1 and sect283k1.
//
// With b_k = a^(2^k - 1), b_(i+j) = b_i^(2^j) * b_j, so a chain 1 = c_0 < c_1 <
// ... < c_L = m - 1 in which every step c_t - c_(t-1) is an earlier member
// gives b_(m-1), and a^-1 = a^(2^m - 2) = b_(m-1)^2 for a != 0. The work is
// fixed by the chain, not by a. Nothing here allocates or fails.
#pragma once

#include <array>
#include <cstddef>

namespace otawrap {

// out = b_(chain[L-1])^2 = a^-1 for nonzero a (zero gives zero). squareTimes(x,
// count, out) and multiply(x, y, out) are the field's own; every product is
// multiply(square run, earlier member), in chain order. Each step of the chain
// must be an earlier member (checked where the chain is defined).
template <typename Element, std::size_t L, typename SquareTimes, typename Multiply>
void itohTsujiiInvert(const std::array<int, L>& chain, const Element& a, SquareTimes squareTimes,
                      Multiply multiply, Element& out) {
  Element members[L];
  members[0] = a;
  Element t;
  for (std::size_t s = 1; s < L; ++s) {
    const int step = chain[s] - chain[s - 1];
    std::size_t j = 0;
    while (chain[j] != step) {
      ++j;
    }
    squareTimes(members[s - 1], step, t);
    multiply(t, members[j], members[s]);
  }
  squareTimes(members[L - 1], 1, out);
}

// 1 if chain starts at 1, rises, and every step is an earlier member.
template <std::size_t L>
constexpr bool isInversionChain(const std::array<int, L>& chain) {
  if (chain[0] != 1) {
    return false;
  }
  for (std::size_t s = 1; s < L; ++s) {
    bool found = false;
    for (std::size_t j = 0; j < s; ++j) {
      found = found || chain[j] == chain[s] - chain[s - 1];
    }
    if (!found || chain[s] <= chain[s - 1]) {
      return false;
    }
  }
  return true;
}

}  // namespace otawrap
