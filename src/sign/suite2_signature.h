// The 80-octet signature sub-element of crypto suite 2 (tag 0x0005), laid out
// by analogy with suite 1's 0x0001, as no public text lays it out:
//   octets  0..7   signer IEEE address (least significant first, as 0x0001 stores it)
//   octets  8..43  r, big-endian
//   octets 44..79  s, big-endian
// This header is the one place that knows the layout.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "ecc/point283.h"

namespace otawrap {

inline constexpr std::size_t kSuite2SignerOctets = 8;
inline constexpr std::size_t kSuite2ScalarOctets = kScalar283Octets;
inline constexpr std::size_t kSuite2SignatureOctets = kSuite2SignerOctets + 2 * kSuite2ScalarOctets;
inline constexpr std::size_t kSuite2SignerOffset = 0;
inline constexpr std::size_t kSuite2ROffset = kSuite2SignerOffset + kSuite2SignerOctets;
inline constexpr std::size_t kSuite2SOffset = kSuite2ROffset + kSuite2ScalarOctets;

struct Suite2Signature {
  std::array<std::uint8_t, kSuite2SignerOctets> signer;
  std::array<std::uint8_t, kSuite2ScalarOctets> r;
  std::array<std::uint8_t, kSuite2ScalarOctets> s;
};

inline void suite2SignatureEncode(const Suite2Signature& signature,
                                  std::uint8_t out[kSuite2SignatureOctets]) {
  out = std::copy(signature.signer.begin(), signature.signer.end(), out);
  out = std::copy(signature.r.begin(), signature.r.end(), out);
  std::copy(signature.s.begin(), signature.s.end(), out);
}

inline Suite2Signature suite2SignatureDecode(const std::uint8_t octets[kSuite2SignatureOctets]) {
  Suite2Signature signature;
  std::copy_n(octets + kSuite2SignerOffset, kSuite2SignerOctets, signature.signer.begin());
  std::copy_n(octets + kSuite2ROffset, kSuite2ScalarOctets, signature.r.begin());
  std::copy_n(octets + kSuite2SOffset, kSuite2ScalarOctets, signature.s.begin());
  return signature;
}

}  // namespace otawrap
