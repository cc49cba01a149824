// Points of the Koblitz curve sect283k1, y^2 + xy = x^3 + 1 over GF(2^283)
// (SEC 2 section 3.4.1): the field as a parameter of ecc/koblitz_point.h, the
// curve's constants, and the point encodings (SEC 1, 2.3.3 and 2.3.4).
//
// A public point is accepted only when it is finite, on the curve and of order
// n; with cofactor 4 this rejects the point (0, 1) of order 2 and every point
// of order 2n or 4n. Nothing here allocates or fails beyond its status.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecc/field283.h"
#include "ecc/koblitz_point.h"

namespace otawrap {

// GF(2^283) as the point formulas see it; a = 0.
struct Sect283k1Field {
  using Element = Field283;
  using Limb = otawrap::Limb;
  static constexpr int a = 0;
  static void add(const Element& x, const Element& y, Element& out) { field283Add(x, y, out); }
  static void multiply(const Element& x, const Element& y, Element& out) {
    field283Multiply(x, y, out);
  }
  static void square(const Element& x, Element& out) { field283Square(x, out); }
  static void invert(const Element& x, Element& out) { field283Invert(x, out); }
  static int isZero(const Element& x) { return limbsIsZero(x); }
  static void setZero(Element& x) { x = Element{}; }
  static void setOne(Element& x) { x = Element{1, 0, 0, 0, 0}; }
};

using Affine283 = AffinePointOf<Sect283k1Field>;
using Ld283 = LdPoint<Sect283k1Field>;

// G (SEC 2).
inline constexpr Affine283 sect283k1Generator = {
    {0xB0C2AC2458492836, 0x23C1567A16876913, 0x62F188E553CD265F, 0x78CA44883F1A3B81,
     0x000000000503213F},
    {0x4E34116177DD2259, 0xE8184698E4596236, 0x07E5426FE87E45C0, 0x0F1C9E318D90F95D,
     0x0000000001CCDA38}};

// n (SEC 2), 281 bits: 0x01FFFFFF FFFFFFFF FFFFFFFF FFFFFFFF FFFFE9AE 2ED07577
// 265DFF7F 94451E06 1E163C61.
inline constexpr Limbs<5> sect283k1Order = {0x94451E061E163C61, 0x2ED07577265DFF7F,
                                            0xFFFFFFFFFFFFE9AE, 0xFFFFFFFFFFFFFFFF,
                                            0x0000000001FFFFFF};

inline constexpr std::size_t kPoint283CompressedOctets = 37;
inline constexpr std::size_t kPoint283UncompressedOctets = 73;
// A residue below n as big-endian octets: keys, nonces, r and s.
inline constexpr std::size_t kScalar283Octets = 36;

enum class Point283Status {
  ok,
  badLength,   // neither 37 nor 73 octets
  badPrefix,   // first octet not 02/03 (37 octets) or 04 (73 octets)
  notInField,  // a coordinate of 2^283 or more
  notOnCurve,  // x = 0, no y for this x, or (x, y) off the curve
  wrongOrder,  // on the curve but n*P is not the point at infinity
};

// Decodes octets (compressed or uncompressed) into out and checks the point as
// described above. out is written only when the status is ok.
Point283Status point283Decode(const std::uint8_t* octets, std::size_t length, Affine283& out);
// Encodings of a finite point with x != 0 (every point of order n).
void point283EncodeCompressed(const Affine283& P, std::uint8_t out[kPoint283CompressedOctets]);
void point283EncodeUncompressed(const Affine283& P, std::uint8_t out[kPoint283UncompressedOctets]);
// 1 if P satisfies the curve equation, else 0.
int point283IsOnCurve(const Affine283& P);

}  // namespace otawrap
