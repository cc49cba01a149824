#include "support/openssl_field.h"

#include <openssl/err.h>

#include <stdexcept>

namespace otawrap::test {

namespace {

// Exponents of f, highest first, terminated by -1 (OpenSSL's polynomial form).
const int kPolynomial[] = {163, 7, 6, 3, 0, -1};

struct CtxFree {
  void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};

BN_CTX* context() {
  thread_local std::unique_ptr<BN_CTX, CtxFree> ctx(BN_CTX_new());
  return ctx.get();
}

void check(int ok, const char* what) {
  if (ok != 1) {
    throw std::runtime_error(what);
  }
}

}  // namespace

Bignum wordsToBignum(const Word* words, int count) {
  unsigned char bytes[64];
  for (int k = 0; k < count; ++k) {
    bytes[2 * k] = static_cast<unsigned char>(words[k] & 0xFF);
    bytes[2 * k + 1] = static_cast<unsigned char>(words[k] >> 8);
  }
  Bignum bn(BN_lebin2bn(bytes, 2 * count, nullptr));
  if (!bn) {
    throw std::runtime_error("BN_lebin2bn");
  }
  return bn;
}

void bignumToWords(const BIGNUM* bn, Word* words, int count) {
  unsigned char bytes[64];
  check(BN_bn2lebinpad(bn, bytes, 2 * count) == 2 * count ? 1 : 0, "BN_bn2lebinpad");
  for (int k = 0; k < count; ++k) {
    words[k] = static_cast<Word>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
  }
}

FieldElement sslFieldMultiply(const FieldElement& a, const FieldElement& b) {
  Bignum x = wordsToBignum(a.data(), 11);
  Bignum y = wordsToBignum(b.data(), 11);
  Bignum r(BN_new());
  check(BN_GF2m_mod_mul_arr(r.get(), x.get(), y.get(), kPolynomial, context()), "mul");
  FieldElement out;
  bignumToWords(r.get(), out.data(), 11);
  return out;
}

FieldElement sslFieldSquare(const FieldElement& a) {
  Bignum x = wordsToBignum(a.data(), 11);
  Bignum r(BN_new());
  check(BN_GF2m_mod_sqr_arr(r.get(), x.get(), kPolynomial, context()), "sqr");
  FieldElement out;
  bignumToWords(r.get(), out.data(), 11);
  return out;
}

FieldElement sslFieldReduce(const FieldElement& a) {
  Bignum x = wordsToBignum(a.data(), 11);
  Bignum r(BN_new());
  check(BN_GF2m_mod_arr(r.get(), x.get(), kPolynomial), "mod");
  FieldElement out;
  bignumToWords(r.get(), out.data(), 11);
  return out;
}

FieldElement sslFieldReduceWide(const WideWords& a) {
  Bignum x = wordsToBignum(a.data(), 22);
  Bignum r(BN_new());
  check(BN_GF2m_mod_arr(r.get(), x.get(), kPolynomial), "mod");
  FieldElement out;
  bignumToWords(r.get(), out.data(), 11);
  return out;
}

bool sslFieldInvert(const FieldElement& a, FieldElement& out) {
  Bignum x = wordsToBignum(a.data(), 11);
  Bignum p(BN_new());
  check(BN_GF2m_arr2poly(kPolynomial, p.get()), "arr2poly");
  Bignum r(BN_new());
  if (BN_GF2m_mod_inv(r.get(), x.get(), p.get(), context()) != 1) {
    ERR_clear_error();
    return false;
  }
  bignumToWords(r.get(), out.data(), 11);
  return true;
}

}  // namespace otawrap::test
