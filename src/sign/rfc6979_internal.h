// The steps of the RFC 6979 nonce, open to the tests: the range check and
// bits2int, for any order and for sect163k1's. Nothing else in the program
// calls them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ecc/modn.h"
#include "sign/rfc6979.h"

namespace otawrap {

// groupOrder written out as 21 big-endian octets.
constexpr std::array<std::uint8_t, 21> groupOrderOctets() {
  std::array<std::uint8_t, 21> octets{};
  for (std::size_t i = 0; i < octets.size(); ++i) {
    const std::size_t j = octets.size() - 1 - i;  // octet j counted from the bottom
    octets[i] = static_cast<std::uint8_t>(groupOrder[j / 2] >> (8 * (j % 2)));
  }
  return octets;
}

// n, the order of the sect163k1 base point, as 21 big-endian octets.
inline constexpr std::array<std::uint8_t, 21> nonceGroupOrder = groupOrderOctets();
// sect163k1's order as the nonce sees it: 163 bits.
inline constexpr NonceOrder kSect163k1NonceOrder{nonceGroupOrder.data(), nonceGroupOrder.size(), 163};

// 1 if the 21-octet big-endian value satisfies 0 < value < n, else 0. Runs
// in time independent of the value.
int nonceIsInRange(const std::uint8_t value[21]);

// k = bits2int(t): the leftmost 163 bits of the 32-octet t, i.e. t >> 93, as
// 21 big-endian octets (below 2^163). kOut may not overlap t.
void nonceBitsToInt(const std::uint8_t t[32], std::uint8_t kOut[21]);

// 1 if the q.length-octet big-endian value satisfies 0 < value < q, else 0;
// time independent of the value.
int nonceIsInRangeOf(const NonceOrder& q, const std::uint8_t* value);

// kOut (q.length octets) = bits2int(t): the leftmost qlen bits of t, which
// holds at least q.length octets. kOut may not overlap t.
void nonceBitsToIntOf(const NonceOrder& q, const std::uint8_t* t, std::uint8_t* kOut);

}  // namespace otawrap
