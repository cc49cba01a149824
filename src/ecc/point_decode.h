// Public points of sect163k1 from octet strings: decompression, curve and
// order checks, and the encodings (SEC 1, 2.3.3 and 2.3.4 for binary curves).
//
// A public key is accepted only when it is a finite point on the curve whose
// order is the group order n; with cofactor 2 this rejects the point (0, 1) of
// order 2 and every point of order 2n. Nothing here allocates or fails beyond
// the status it returns.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ecc/point.h"

namespace otawrap {

// Compressed form: 02 or 03 (parity of y/x) followed by x in 21 octets.
inline constexpr std::size_t kPointCompressedOctets = 22;
// Uncompressed form: 04 followed by x and y in 21 octets each.
inline constexpr std::size_t kPointUncompressedOctets = 43;

enum class PointDecodeStatus {
  ok,
  badLength,     // neither 22 nor 43 octets (a lone 00, infinity, is refused here)
  badPrefix,     // first octet not 02/03 (22 octets) or 04 (43 octets)
  notInField,    // a coordinate of 2^163 or more
  notOnCurve,    // no y for this x, or (x, y) off the curve
  wrongOrder,    // on the curve but n*P is not the point at infinity
};

// Decodes octets[0..length-1] (compressed or uncompressed) into out, with
// canonical coordinates, and checks the point as described above. out is
// written only when the status is ok.
PointDecodeStatus pointDecode(const std::uint8_t* octets, std::size_t length, AffinePoint& out);

// Encodings of a finite point P: 22 octets compressed, 43 octets uncompressed.
// P's coordinates may be partially reduced.
void pointEncodeCompressed(const AffinePoint& P, std::uint8_t out[kPointCompressedOctets]);
void pointEncodeUncompressed(const AffinePoint& P, std::uint8_t out[kPointUncompressedOctets]);

}  // namespace otawrap
