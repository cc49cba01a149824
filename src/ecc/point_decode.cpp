// Decompression by the half-trace, curve and order checks, encodings.
#include "ecc/point_decode.h"
#include "ecc/point_decode_internal.h"

#include "ecc/modn.h"

namespace otawrap {

namespace {

constexpr std::uint16_t kCoordinateOctets = 21;

// Lopez-Dahab doubling in place, a = b = 1:
// Z3 = X^2 Z^2, X3 = X^4 + Z^4, Y3 = Z^4 Z3 + X3 (Z3 + Y^2 + Z^4).
// The point at infinity (X = 0) and the point of order 2 (x = 0, which has
// X = 0 as well) both double to infinity, written as X = Y = 0, Z unchanged.
void pointDoubleInPlace(ProjectivePoint& P) {
  FieldElement probe = P.X;
  if (fieldIsZero(probe) != 0) {
    wordsSetZero(P.X.data(), kWordCount);
    wordsSetZero(P.Y.data(), kWordCount);
    return;
  }
  FieldElement x2;
  FieldElement z2;
  FieldElement z4;
  fieldSquare(P.X, x2);
  fieldSquare(P.Z, z2);
  fieldSquare(z2, z4);
  fieldMultiply(x2, z2, P.Z);  // Z3
  fieldSquare(x2, P.X);
  fieldAdd(P.X, z4, P.X);  // X3
  FieldElement t;
  fieldSquare(P.Y, t);
  fieldAdd(t, P.Z, t);
  fieldAdd(t, z4, t);
  fieldMultiply(P.X, t, t);
  fieldMultiply(z4, P.Z, P.Y);
  fieldAdd(P.Y, t, P.Y);  // Y3
}

// The big-endian coordinate octets as a field element; 0 when it is 2^163 or
// more.
int coordinateRead(const std::uint8_t* octets, FieldElement& out) {
  if (octets[0] > 0x07) {
    return 0;
  }
  octetsToWords(kCoordinateOctets, octets, kWordCount, out.data());
  return 1;
}

void coordinateWrite(const FieldElement& value, std::uint8_t* out) {
  FieldElement canonical = value;
  fieldReduceFinal(canonical);
  wordsToOctets(1, kWordCount, canonical.data(), kCoordinateOctets, out);
}

}  // namespace

int pointDecompress(const FieldElement& x, int parity, FieldElement& y) {
  FieldElement probe = x;
  if (fieldIsZero(probe) != 0) {
    wordsSetOne(y.data(), kWordCount);  // y = sqrt(b) = 1
    return 1;
  }
  // With z = y/x: z^2 + z = x + 1 + 1/x^2 = beta.
  FieldElement beta;
  fieldInvert(x, beta);
  fieldSquare(beta, beta);
  FieldElement one;
  wordsSetOne(one.data(), kWordCount);
  fieldAdd(beta, one, beta);
  fieldAdd(beta, x, beta);
  FieldElement z;
  fieldHalfTrace(beta, z);
  fieldReduceFinal(z);
  FieldElement check;
  fieldSquare(z, check);
  fieldAdd(check, z, check);
  if (fieldEqual(check, beta) == 0) {
    return 0;  // Tr(beta) = 1
  }
  if ((z[0] & 1u) != static_cast<unsigned>(parity)) {
    z[0] ^= 1u;
  }
  fieldMultiply(x, z, y);
  fieldReduceFinal(y);
  return 1;
}

void fieldHalfTrace(const FieldElement& a, FieldElement& out) {
  FieldElement sum = a;
  FieldElement power = a;
  for (int i = 1; i <= 81; ++i) {
    fieldSquare(power, power);
    fieldSquare(power, power);
    fieldAdd(sum, power, sum);
  }
  wordsCopy(sum, out);
}

int pointIsOnCurve(const AffinePoint& P) {
  FieldElement left;
  FieldElement t;
  fieldSquare(P.y, left);
  fieldMultiply(P.x, P.y, t);
  fieldAdd(left, t, left);  // y^2 + xy
  FieldElement right;
  fieldSquare(P.x, t);
  fieldMultiply(t, P.x, right);
  fieldAdd(right, t, right);
  FieldElement one;
  wordsSetOne(one.data(), kWordCount);
  fieldAdd(right, one, right);  // x^3 + x^2 + 1
  return fieldEqual(left, right);
}

int pointHasGroupOrder(const AffinePoint& P) {
  FieldElement probe = P.x;
  if (fieldIsZero(probe) != 0) {
    return 0;  // (0, 1), the point of order 2
  }
  // n*P = O exactly when (n - 1)*P = -P. Comparing with -P keeps the point of
  // order 2, which n*P is for P of order 2n, apart from infinity: both have
  // X = 0 here. No partial product (n - 1 read from the top) is infinity or
  // of order 2 for P of order n or 2n.
  ProjectivePoint sum;
  wordsCopy(P.x, sum.X);
  wordsCopy(P.y, sum.Y);
  wordsSetOne(sum.Z.data(), kWordCount);
  for (int bit = 161; bit >= 1; --bit) {  // bit 162 is the start, bit 0 of n - 1 is 0
    pointDoubleInPlace(sum);
    if (((groupOrder[static_cast<std::size_t>(bit / 16)] >> (bit % 16)) & 1u) != 0) {
      pointAddMixed(sum, P, sum, 0);
    }
  }
  pointDoubleInPlace(sum);
  // -P = (x, x + y): X = x Z and Y = (x + y) Z^2.
  FieldElement t;
  fieldMultiply(P.x, sum.Z, t);
  if (fieldEqual(sum.X, t) == 0) {
    return 0;
  }
  FieldElement z2;
  fieldSquare(sum.Z, z2);
  fieldAdd(P.x, P.y, t);
  fieldMultiply(t, z2, t);
  return fieldEqual(sum.Y, t);
}

PointDecodeStatus pointDecode(const std::uint8_t* octets, std::size_t length, AffinePoint& out) {
  AffinePoint point;
  if (length == kPointCompressedOctets) {
    if (octets[0] != 0x02 && octets[0] != 0x03) {
      return PointDecodeStatus::badPrefix;
    }
    if (coordinateRead(octets + 1, point.x) == 0) {
      return PointDecodeStatus::notInField;
    }
    if (pointDecompress(point.x, octets[0] & 1, point.y) == 0) {
      return PointDecodeStatus::notOnCurve;
    }
  } else if (length == kPointUncompressedOctets) {
    if (octets[0] != 0x04) {
      return PointDecodeStatus::badPrefix;
    }
    if (coordinateRead(octets + 1, point.x) == 0 ||
        coordinateRead(octets + 1 + kCoordinateOctets, point.y) == 0) {
      return PointDecodeStatus::notInField;
    }
  } else {
    return PointDecodeStatus::badLength;
  }
  if (pointIsOnCurve(point) == 0) {
    return PointDecodeStatus::notOnCurve;
  }
  if (pointHasGroupOrder(point) == 0) {
    return PointDecodeStatus::wrongOrder;
  }
  out = point;
  return PointDecodeStatus::ok;
}

void pointEncodeCompressed(const AffinePoint& P, std::uint8_t out[kPointCompressedOctets]) {
  FieldElement x = P.x;
  fieldReduceFinal(x);
  int parity = 0;
  if (wordsIsZero(x.data(), kWordCount) == 0) {
    FieldElement z;
    fieldInvert(x, z);
    fieldMultiply(P.y, z, z);
    fieldReduceFinal(z);
    parity = z[0] & 1;
  }
  out[0] = static_cast<std::uint8_t>(0x02 | parity);
  coordinateWrite(x, out + 1);
}

void pointEncodeUncompressed(const AffinePoint& P, std::uint8_t out[kPointUncompressedOctets]) {
  out[0] = 0x04;
  coordinateWrite(P.x, out + 1);
  coordinateWrite(P.y, out + 1 + kCoordinateOctets);
}

}  // namespace otawrap
