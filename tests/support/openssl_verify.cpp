#include "support/openssl_verify.h"

// ECDSA_do_sign_ex and ECDSA_do_verify on an EC_KEY are the plain textbook
// interfaces wanted as oracles; OpenSSL 3 marks them deprecated.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/err.h>
#include <openssl/obj_mac.h>

#include <memory>

#include "support/openssl_owned.h"

#include "support/openssl_field.h"

namespace otawrap::test {

namespace {

const EC_GROUP* group() {
  thread_local Owned<EC_GROUP> g(EC_GROUP_new_by_curve_name(NID_sect163k1));
  return g.get();
}

BN_CTX* context() {
  thread_local Owned<BN_CTX> ctx(BN_CTX_new());
  return ctx.get();
}

Owned<BIGNUM> bnOfWords(const Words& w) { return Owned<BIGNUM>(wordsToBignum(w.data(), 11).release()); }

Owned<EC_POINT> pointOf(const AffinePoint& P) {
  Owned<EC_POINT> point(EC_POINT_new(group()));
  if (wordsIsZero(P.x.data(), 11) != 0 && wordsIsZero(P.y.data(), 11) != 0) {
    EXPECT_EQ(EC_POINT_set_to_infinity(group(), point.get()), 1);
    return point;
  }
  Owned<BIGNUM> x = bnOfWords(P.x);
  Owned<BIGNUM> y = bnOfWords(P.y);
  EXPECT_EQ(EC_POINT_set_affine_coordinates(group(), point.get(), x.get(), y.get(), context()), 1);
  return point;
}

AffinePoint affineOf(const EC_POINT* point) {
  AffinePoint out{};
  if (EC_POINT_is_at_infinity(group(), point) == 1) {
    return out;
  }
  Owned<BIGNUM> x(BN_new());
  Owned<BIGNUM> y(BN_new());
  EXPECT_EQ(EC_POINT_get_affine_coordinates(group(), point, x.get(), y.get(), context()), 1);
  bignumToWords(x.get(), out.x.data(), 11);
  bignumToWords(y.get(), out.y.data(), 11);
  return out;
}

Octets21 octetsOf(const BIGNUM* value) {
  Octets21 out{};
  EXPECT_EQ(BN_bn2binpad(value, out.data(), static_cast<int>(out.size())), 21);
  return out;
}

}  // namespace

AffinePoint sslMultiplyCombined(const Words& u1, const AffinePoint& Q, const Words& u2) {
  Owned<BIGNUM> a = bnOfWords(u1);
  Owned<BIGNUM> b = bnOfWords(u2);
  Owned<EC_POINT> q = pointOf(Q);
  Owned<EC_POINT> r(EC_POINT_new(group()));
  EXPECT_EQ(EC_POINT_mul(group(), r.get(), a.get(), q.get(), b.get(), context()), 1);
  return affineOf(r.get());
}

AffinePoint sslMultiplyUnreduced(const Words& k, const AffinePoint& P) {
  Owned<BIGNUM> scalar = bnOfWords(k);
  Owned<EC_POINT> p = pointOf(P);
  // Points of order 2n: one group operation at a time keeps OpenSSL's scalar
  // handling out of the question.
  Owned<EC_POINT> acc(EC_POINT_new(group()));
  EXPECT_EQ(EC_POINT_set_to_infinity(group(), acc.get()), 1);
  for (int bit = BN_num_bits(scalar.get()) - 1; bit >= 0; --bit) {
    EXPECT_EQ(EC_POINT_dbl(group(), acc.get(), acc.get(), context()), 1);
    if (BN_is_bit_set(scalar.get(), bit) != 0) {
      EXPECT_EQ(EC_POINT_add(group(), acc.get(), acc.get(), p.get(), context()), 1);
    }
  }
  return affineOf(acc.get());
}

bool sslPointDecode(const std::vector<std::uint8_t>& octets, AffinePoint& out) {
  Owned<EC_POINT> point(EC_POINT_new(group()));
  if (EC_POINT_oct2point(group(), point.get(), octets.data(), octets.size(), context()) != 1) {
    ERR_clear_error();
    return false;
  }
  out = affineOf(point.get());
  return true;
}

std::vector<std::uint8_t> sslPointEncode(const AffinePoint& P, bool compressed) {
  Owned<EC_POINT> point = pointOf(P);
  const point_conversion_form_t form =
      compressed ? POINT_CONVERSION_COMPRESSED : POINT_CONVERSION_UNCOMPRESSED;
  std::vector<std::uint8_t> out(64);
  const std::size_t length =
      EC_POINT_point2oct(group(), point.get(), form, out.data(), out.size(), context());
  out.resize(length);
  return out;
}

bool sslSetCompressed(const FieldElement& x, int yBit, AffinePoint& out) {
  Owned<BIGNUM> bx = bnOfWords(x);
  Owned<EC_POINT> point(EC_POINT_new(group()));
  if (EC_POINT_set_compressed_coordinates(group(), point.get(), bx.get(), yBit, context()) != 1) {
    ERR_clear_error();
    return false;
  }
  out = affineOf(point.get());
  return true;
}

AffinePoint sslPublicKey(const Octets21& privateKey) {
  Owned<BIGNUM> d(BN_bin2bn(privateKey.data(), 21, nullptr));
  BN_nnmod(d.get(), d.get(), EC_GROUP_get0_order(group()), context());
  Owned<EC_POINT> q(EC_POINT_new(group()));
  EXPECT_EQ(EC_POINT_mul(group(), q.get(), d.get(), nullptr, nullptr, context()), 1);
  return affineOf(q.get());
}

void sslEcdsaSign(const std::vector<std::uint8_t>& digest, const Octets21& privateKey,
                  const Octets21& k, Octets21& r, Octets21& s) {
  const BIGNUM* n = EC_GROUP_get0_order(group());
  Owned<BIGNUM> d(BN_bin2bn(privateKey.data(), 21, nullptr));
  BN_nnmod(d.get(), d.get(), n, context());
  Owned<EC_KEY> key(EC_KEY_new());
  EC_KEY_set_group(key.get(), group());
  EC_KEY_set_private_key(key.get(), d.get());
  Owned<BIGNUM> kb(BN_bin2bn(k.data(), 21, nullptr));
  Owned<EC_POINT> kG(EC_POINT_new(group()));
  EC_POINT_mul(group(), kG.get(), kb.get(), nullptr, nullptr, context());
  Owned<BIGNUM> x(BN_new());
  EC_POINT_get_affine_coordinates(group(), kG.get(), x.get(), nullptr, context());
  Owned<BIGNUM> rp(BN_new());
  BN_nnmod(rp.get(), x.get(), n, context());
  Owned<BIGNUM> kinv(BN_mod_inverse(nullptr, kb.get(), n, context()));
  Owned<ECDSA_SIG> sig(ECDSA_do_sign_ex(digest.data(), static_cast<int>(digest.size()),
                                        kinv.get(), rp.get(), key.get()));
  ASSERT_TRUE(sig != nullptr);
  const BIGNUM* rb = nullptr;
  const BIGNUM* sb = nullptr;
  ECDSA_SIG_get0(sig.get(), &rb, &sb);
  r = octetsOf(rb);
  s = octetsOf(sb);
}

void sslEcdsaSignRandomNonce(const std::vector<std::uint8_t>& digest, const Octets21& privateKey,
                             Octets21& r, Octets21& s) {
  Owned<BIGNUM> d(BN_bin2bn(privateKey.data(), 21, nullptr));
  BN_nnmod(d.get(), d.get(), EC_GROUP_get0_order(group()), context());
  Owned<EC_KEY> key(EC_KEY_new());
  EC_KEY_set_group(key.get(), group());
  EC_KEY_set_private_key(key.get(), d.get());
  Owned<ECDSA_SIG> sig(ECDSA_do_sign(digest.data(), static_cast<int>(digest.size()), key.get()));
  ASSERT_TRUE(sig != nullptr);
  const BIGNUM* rb = nullptr;
  const BIGNUM* sb = nullptr;
  ECDSA_SIG_get0(sig.get(), &rb, &sb);
  r = octetsOf(rb);
  s = octetsOf(sb);
}

bool sslEcdsaVerifyPoint(const std::vector<std::uint8_t>& digest, const Octets21& r,
                         const Octets21& s, const AffinePoint& Q) {
  Owned<EC_POINT> q = pointOf(Q);
  Owned<EC_KEY> key(EC_KEY_new());
  EC_KEY_set_group(key.get(), group());
  EC_KEY_set_public_key(key.get(), q.get());
  Owned<ECDSA_SIG> sig(ECDSA_SIG_new());
  ECDSA_SIG_set0(sig.get(), BN_bin2bn(r.data(), 21, nullptr), BN_bin2bn(s.data(), 21, nullptr));
  const int result =
      ECDSA_do_verify(digest.data(), static_cast<int>(digest.size()), sig.get(), key.get());
  ERR_clear_error();
  return result == 1;
}

}  // namespace otawrap::test
