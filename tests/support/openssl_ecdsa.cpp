#include "support/openssl_ecdsa.h"

// ECDSA_do_verify on an EC_KEY is the plain textbook verifier we want as the
// oracle; OpenSSL 3 marks that interface deprecated in favour of EVP.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/obj_mac.h>

#include <memory>

#include "support/openssl_owned.h"

namespace otawrap::test {

namespace {

Owned<BIGNUM> bnOf(const std::uint8_t* data, std::size_t length) {
  return Owned<BIGNUM>(BN_bin2bn(data, static_cast<int>(length), nullptr));
}

Octets21 octetsOf(const BIGNUM* value) {
  Octets21 out{};
  EXPECT_EQ(BN_bn2binpad(value, out.data(), static_cast<int>(out.size())), 21);
  return out;
}

Owned<EC_GROUP> curve() { return Owned<EC_GROUP>(EC_GROUP_new_by_curve_name(NID_sect163k1)); }

}  // namespace

bool sslEcdsaVerify(const std::vector<std::uint8_t>& digest, const Octets21& r, const Octets21& s,
                    const Octets21& privateKey) {
  Owned<EC_GROUP> group = curve();
  Owned<BN_CTX> ctx(BN_CTX_new());
  Owned<BIGNUM> d = bnOf(privateKey.data(), privateKey.size());
  BN_nnmod(d.get(), d.get(), EC_GROUP_get0_order(group.get()), ctx.get());
  Owned<EC_POINT> q(EC_POINT_new(group.get()));
  EC_POINT_mul(group.get(), q.get(), d.get(), nullptr, nullptr, ctx.get());
  Owned<EC_KEY> key(EC_KEY_new());
  EC_KEY_set_group(key.get(), group.get());
  EC_KEY_set_public_key(key.get(), q.get());
  Owned<ECDSA_SIG> sig(ECDSA_SIG_new());
  ECDSA_SIG_set0(sig.get(), BN_bin2bn(r.data(), 21, nullptr), BN_bin2bn(s.data(), 21, nullptr));
  return ECDSA_do_verify(digest.data(), static_cast<int>(digest.size()), sig.get(), key.get()) ==
         1;
}

void sslEcdsaSignWithNonce(const std::vector<std::uint8_t>& digest, const Octets21& privateKey,
                           const Octets21& k, Octets21& r, Octets21& s) {
  Owned<EC_GROUP> group = curve();
  Owned<BN_CTX> ctx(BN_CTX_new());
  const BIGNUM* n = EC_GROUP_get0_order(group.get());
  Owned<BIGNUM> kb = bnOf(k.data(), k.size());
  Owned<BIGNUM> d = bnOf(privateKey.data(), privateKey.size());
  Owned<BIGNUM> e = bnOf(digest.data(), digest.size());
  Owned<EC_POINT> point(EC_POINT_new(group.get()));
  EC_POINT_mul(group.get(), point.get(), kb.get(), nullptr, nullptr, ctx.get());
  Owned<BIGNUM> x(BN_new());
  EC_POINT_get_affine_coordinates(group.get(), point.get(), x.get(), nullptr, ctx.get());
  Owned<BIGNUM> rb(BN_new());
  BN_nnmod(rb.get(), x.get(), n, ctx.get());
  Owned<BIGNUM> t(BN_new());
  BN_mod_mul(t.get(), d.get(), rb.get(), n, ctx.get());
  BN_mod_add(t.get(), t.get(), e.get(), n, ctx.get());
  Owned<BIGNUM> kinv(BN_mod_inverse(nullptr, kb.get(), n, ctx.get()));
  Owned<BIGNUM> sb(BN_new());
  BN_mod_mul(sb.get(), t.get(), kinv.get(), n, ctx.get());
  r = octetsOf(rb.get());
  s = octetsOf(sb.get());
}

Octets21 sslNonceFromRandom(const std::array<std::uint8_t, 40>& random40) {
  Owned<EC_GROUP> group = curve();
  Owned<BN_CTX> ctx(BN_CTX_new());
  Owned<BIGNUM> value(BN_lebin2bn(random40.data(), 40, nullptr));
  Owned<BIGNUM> top(BN_new());
  BN_set_word(top.get(), 0xFFFF);
  BN_lshift(top.get(), top.get(), 336);
  BN_add(value.get(), value.get(), top.get());
  BN_nnmod(value.get(), value.get(), EC_GROUP_get0_order(group.get()), ctx.get());
  return octetsOf(value.get());
}

Octets21 sslReduceModOrder(const std::vector<std::uint8_t>& value) {
  Owned<EC_GROUP> group = curve();
  Owned<BN_CTX> ctx(BN_CTX_new());
  Owned<BIGNUM> v = bnOf(value.data(), value.size());
  BN_nnmod(v.get(), v.get(), EC_GROUP_get0_order(group.get()), ctx.get());
  return octetsOf(v.get());
}

}  // namespace otawrap::test
