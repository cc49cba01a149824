#define OPENSSL_SUPPRESS_DEPRECATED
#include "support/openssl_sect283k1.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>
#include <openssl/obj_mac.h>

#include <memory>
#include <stdexcept>

namespace otawrap::test {

namespace {

struct Free {
  void operator()(BIGNUM* p) const { BN_free(p); }
  void operator()(EC_POINT* p) const { EC_POINT_free(p); }
  void operator()(EC_GROUP* p) const { EC_GROUP_free(p); }
  void operator()(BN_CTX* p) const { BN_CTX_free(p); }
  void operator()(EC_KEY* p) const { EC_KEY_free(p); }
  void operator()(ECDSA_SIG* p) const { ECDSA_SIG_free(p); }
};
using Bn = std::unique_ptr<BIGNUM, Free>;
using Point = std::unique_ptr<EC_POINT, Free>;

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(what);
  }
}

const EC_GROUP* group() {
  thread_local std::unique_ptr<EC_GROUP, Free> g(EC_GROUP_new_by_curve_name(NID_sect283k1));
  check(g != nullptr, "EC_GROUP_new_by_curve_name");
  return g.get();
}

BN_CTX* context() {
  thread_local std::unique_ptr<BN_CTX, Free> ctx(BN_CTX_new());
  return ctx.get();
}

Bn toBn(const Limbs<5>& a) {
  std::uint8_t octets[40];
  limbsToOctets(a, sizeof octets, octets);
  return Bn(BN_bin2bn(octets, sizeof octets, nullptr));
}

Limbs<5> fromBn(const BIGNUM* bn) {
  std::uint8_t octets[40];
  check(BN_bn2binpad(bn, octets, sizeof octets) == 40, "bn2binpad");
  Limbs<5> out;
  limbsFromOctets(octets, sizeof octets, out);
  return out;
}

const BIGNUM* polynomial() {
  thread_local Bn p = [] {
    Bn bn(BN_new());
    check(EC_GROUP_get_curve(group(), bn.get(), nullptr, nullptr, context()) == 1, "get_curve");
    return bn;
  }();
  return p.get();
}

Point toPoint(const Affine283& P) {
  Point point(EC_POINT_new(group()));
  if (limbsIsZero(P.x) != 0 && limbsIsZero(P.y) != 0) {
    check(EC_POINT_set_to_infinity(group(), point.get()) == 1, "set_to_infinity");
    return point;
  }
  check(EC_POINT_set_affine_coordinates(group(), point.get(), toBn(P.x).get(), toBn(P.y).get(),
                                        context()) == 1,
        "set_affine_coordinates");
  return point;
}

Affine283 fromPoint(const EC_POINT* point) {
  Affine283 out{};
  if (EC_POINT_is_at_infinity(group(), point) == 1) {
    return out;
  }
  Bn x(BN_new());
  Bn y(BN_new());
  check(EC_POINT_get_affine_coordinates(group(), point, x.get(), y.get(), context()) == 1,
        "get_affine_coordinates");
  out.x = fromBn(x.get());
  out.y = fromBn(y.get());
  return out;
}

std::unique_ptr<EC_KEY, Free> keyWith(const Affine283* publicKey, const Limbs<5>* privateKey) {
  std::unique_ptr<EC_KEY, Free> key(EC_KEY_new_by_curve_name(NID_sect283k1));
  if (privateKey != nullptr) {
    check(EC_KEY_set_private_key(key.get(), toBn(*privateKey).get()) == 1, "set_private_key");
  }
  if (publicKey != nullptr) {
    check(EC_KEY_set_public_key(key.get(), toPoint(*publicKey).get()) == 1, "set_public_key");
  }
  return key;
}

}  // namespace

Field283 sslField283Multiply(const Field283& a, const Field283& b) {
  Bn r(BN_new());
  check(BN_GF2m_mod_mul(r.get(), toBn(a).get(), toBn(b).get(), polynomial(), context()) == 1, "mul");
  return fromBn(r.get());
}

Field283 sslField283Invert(const Field283& a) {
  Bn r(BN_new());
  check(BN_GF2m_mod_inv(r.get(), toBn(a).get(), polynomial(), context()) == 1, "inv");
  return fromBn(r.get());
}

Affine283 sslMultiplyGenerator283(const Limbs<5>& k) {
  Point r(EC_POINT_new(group()));
  check(EC_POINT_mul(group(), r.get(), toBn(k).get(), nullptr, nullptr, context()) == 1, "mul");
  return fromPoint(r.get());
}

Affine283 sslMultiplyPoint283(const Limbs<5>& k, const Affine283& P) {
  Point r(EC_POINT_new(group()));
  check(EC_POINT_mul(group(), r.get(), nullptr, toPoint(P).get(), toBn(k).get(), context()) == 1,
        "mul");
  return fromPoint(r.get());
}

Affine283 sslPointAdd283(const Affine283& P, const Affine283& Q) {
  Point r(EC_POINT_new(group()));
  check(EC_POINT_add(group(), r.get(), toPoint(P).get(), toPoint(Q).get(), context()) == 1, "add");
  return fromPoint(r.get());
}

bool sslIsOnCurve283(const Affine283& P) {
  Point point(EC_POINT_new(group()));
  // set_affine_coordinates refuses points off the curve.
  return EC_POINT_set_affine_coordinates(group(), point.get(), toBn(P.x).get(), toBn(P.y).get(),
                                         context()) == 1;
}

Limbs<5> sslOrder283() { return fromBn(EC_GROUP_get0_order(group())); }

Affine283 sslGenerator283() { return fromPoint(EC_GROUP_get0_generator(group())); }

Limbs<5> sslModMultiply283(const Limbs<5>& a, const Limbs<5>& b) {
  Bn r(BN_new());
  check(BN_mod_mul(r.get(), toBn(a).get(), toBn(b).get(), EC_GROUP_get0_order(group()), context()) ==
            1,
        "mod_mul");
  return fromBn(r.get());
}

Limbs<5> sslModInvert283(const Limbs<5>& a) {
  Bn r(BN_new());
  check(BN_mod_inverse(r.get(), toBn(a).get(), EC_GROUP_get0_order(group()), context()) != nullptr,
        "mod_inverse");
  return fromBn(r.get());
}

Bytes283 sslSign283(const Limbs<5>& privateKey, const std::uint8_t* digest, std::size_t length) {
  auto key = keyWith(nullptr, &privateKey);
  std::unique_ptr<ECDSA_SIG, Free> sig(ECDSA_do_sign(digest, static_cast<int>(length), key.get()));
  check(sig != nullptr, "ECDSA_do_sign");
  Bytes283 out(72);
  check(BN_bn2binpad(ECDSA_SIG_get0_r(sig.get()), out.data(), 36) == 36, "r");
  check(BN_bn2binpad(ECDSA_SIG_get0_s(sig.get()), out.data() + 36, 36) == 36, "s");
  return out;
}

bool sslVerify283(const Affine283& publicKey, const std::uint8_t* digest, std::size_t length,
                  const std::uint8_t r[36], const std::uint8_t s[36]) {
  auto key = keyWith(&publicKey, nullptr);
  std::unique_ptr<ECDSA_SIG, Free> sig(ECDSA_SIG_new());
  check(ECDSA_SIG_set0(sig.get(), BN_bin2bn(r, 36, nullptr), BN_bin2bn(s, 36, nullptr)) == 1, "set0");
  return ECDSA_do_verify(digest, static_cast<int>(length), sig.get(), key.get()) == 1;
}

void sslGenerateKey283(Limbs<5>& privateKey, Affine283& publicKey) {
  std::unique_ptr<EC_KEY, Free> key(EC_KEY_new_by_curve_name(NID_sect283k1));
  check(EC_KEY_generate_key(key.get()) == 1, "generate_key");
  privateKey = fromBn(EC_KEY_get0_private_key(key.get()));
  publicKey = fromPoint(EC_KEY_get0_public_key(key.get()));
}

std::uint64_t Source283::next() {
  // splitmix64
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
  return z ^ (z >> 31);
}

Field283 Source283::element() {
  Field283 a;
  for (auto& limb : a) {
    limb = next();
  }
  a[4] &= (Limb{1} << 27) - 1u;
  return a;
}

Limbs<5> Source283::scalar() {
  Limbs<5> k;
  do {
    for (auto& limb : k) {
      limb = next();
    }
    k[4] &= (Limb{1} << 25) - 1u;
  } while (limbsLess(k, sect283k1Order) == 0);
  return k;
}

}  // namespace otawrap::test
