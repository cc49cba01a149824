// OpenSSL as an independent oracle for GF(2^163) with f = x^163 + x^7 + x^6 + x^3 + 1.
// Test-only: wraps BN_GF2m_mod_* and converts between BIGNUM and 11-word arrays.
#pragma once

#include <openssl/bn.h>

#include <memory>

#include "ecc/words.h"

namespace otawrap::test {

struct BignumFree {
  void operator()(BIGNUM* bn) const { BN_free(bn); }
};
using Bignum = std::unique_ptr<BIGNUM, BignumFree>;

// The 11-word value as a BIGNUM (no reduction).
Bignum wordsToBignum(const Word* words, int count);
// The BIGNUM (at most 16*count bits) as count words.
void bignumToWords(const BIGNUM* bn, Word* words, int count);

// Canonical residues computed by OpenSSL; inputs may be any 176-bit values.
FieldElement sslFieldMultiply(const FieldElement& a, const FieldElement& b);
FieldElement sslFieldSquare(const FieldElement& a);
FieldElement sslFieldReduce(const FieldElement& a);
FieldElement sslFieldReduceWide(const WideWords& a);
// False when OpenSSL finds no inverse.
bool sslFieldInvert(const FieldElement& a, FieldElement& out);

}  // namespace otawrap::test
