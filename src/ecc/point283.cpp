// Decoding, checking and encoding points of sect283k1.
#include "ecc/point283.h"

#include "ecc/scalar_mult283.h"

namespace otawrap {

namespace {

constexpr std::size_t kCoordinateOctets = kScalar283Octets;

// a = the big-endian coordinate; 0 if it is 2^283 or more.
int readCoordinate(const std::uint8_t* octets, Field283& a) {
  limbsFromOctets(octets, kCoordinateOctets, a);
  return field283IsCanonical(a);
}

}  // namespace

int point283IsOnCurve(const Affine283& P) {
  // y^2 + xy = x^3 + 1
  Field283 left;
  Field283 t;
  field283Square(P.y, left);
  field283Multiply(P.x, P.y, t);
  field283Add(left, t, left);
  Field283 right;
  field283Square(P.x, t);
  field283Multiply(t, P.x, right);
  right[0] ^= 1u;
  return field283Equal(left, right);
}

Point283Status point283Decode(const std::uint8_t* octets, std::size_t length, Affine283& out) {
  Affine283 P;
  if (length == kPoint283CompressedOctets) {
    if (octets[0] != 0x02 && octets[0] != 0x03) {
      return Point283Status::badPrefix;
    }
    if (readCoordinate(octets + 1, P.x) == 0) {
      return Point283Status::notInField;
    }
    if (limbsIsZero(P.x) != 0) {
      return Point283Status::notOnCurve;
    }
    // y = x z with z^2 + z = x + 1/x^2; z's bit 0 is the encoded bit of y/x.
    Field283 beta;
    field283Invert(P.x, beta);
    field283Square(beta, beta);
    field283Add(beta, P.x, beta);
    Field283 z;
    if (field283SolveQuadratic(beta, z) == 0) {
      return Point283Status::notOnCurve;
    }
    z[0] ^= (z[0] ^ static_cast<Limb>(octets[0] & 1u)) & 1u;
    field283Multiply(P.x, z, P.y);
  } else if (length == kPoint283UncompressedOctets) {
    if (octets[0] != 0x04) {
      return Point283Status::badPrefix;
    }
    if (readCoordinate(octets + 1, P.x) == 0 ||
        readCoordinate(octets + 1 + kCoordinateOctets, P.y) == 0) {
      return Point283Status::notInField;
    }
    if (limbsIsZero(P.x) != 0 || point283IsOnCurve(P) == 0) {
      return Point283Status::notOnCurve;
    }
  } else {
    return Point283Status::badLength;
  }
  Affine283 multiple;
  if (sect283k1MultiplyPoint(sect283k1Order, P, multiple) != 0) {
    return Point283Status::wrongOrder;
  }
  out = P;
  return Point283Status::ok;
}

void point283EncodeCompressed(const Affine283& P, std::uint8_t out[kPoint283CompressedOctets]) {
  Field283 z;
  field283Invert(P.x, z);
  field283Multiply(P.y, z, z);
  out[0] = static_cast<std::uint8_t>(0x02 | (z[0] & 1u));
  limbsToOctets(P.x, kCoordinateOctets, out + 1);
}

void point283EncodeUncompressed(const Affine283& P, std::uint8_t out[kPoint283UncompressedOctets]) {
  out[0] = 0x04;
  limbsToOctets(P.x, kCoordinateOctets, out + 1);
  limbsToOctets(P.y, kCoordinateOctets, out + 1 + kCoordinateOctets);
}

}  // namespace otawrap
