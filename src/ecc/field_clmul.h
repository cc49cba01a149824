// GF(2^163) multiplication and squaring on the processor's carry-less multiply
// (PCLMULQDQ).
//
// Word for word the results of the portable fieldMultiply and fieldSquare on
// every 176-bit input, partially reduced inputs included; the caller checks
// cpuFeatures().pclmul first (the instruction faults without it). Builds for
// other processors, or with OTAWRAP_PORTABLE_ONLY, compile the portable
// routines under these names instead. Arrays are 11 words as in FieldElement;
// out may alias a or b.
#pragma once

#include <cstdint>

namespace otawrap {

// out = a*b mod f, partially reduced exactly as fieldMultiplyPortable leaves it.
void fieldMultiplyClmul(const std::uint16_t a[11], const std::uint16_t b[11], std::uint16_t out[11]);

// out = a^2 mod f, partially reduced exactly as fieldSquarePortable leaves it.
void fieldSquareClmul(const std::uint16_t a[11], std::uint16_t out[11]);

// out = a^(2^count) mod f: the words of count fieldSquareClmul calls in a row
// (a copied when count is 0). count >= 0.
void fieldSquareTimesClmul(const std::uint16_t a[11], int count, std::uint16_t out[11]);

}  // namespace otawrap
