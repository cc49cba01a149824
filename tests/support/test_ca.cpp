#include "support/test_ca.h"

// The shared OpenSSL owners include the deprecated EC_KEY interface.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/obj_mac.h>

#include <memory>

#include "support/openssl_owned.h"

#include "support/openssl_hash.h"
#include "support/openssl_curve.h"
#include "support/openssl_verify.h"

namespace otawrap::test {

namespace {

Octets21 randomNonzeroScalar(std::mt19937& rng) {
  std::vector<std::uint8_t> raw(21);
  for (;;) {
    for (auto& b : raw) b = static_cast<std::uint8_t>(rng());
    raw[0] &= 0x07;
    const Octets21 k = sslReduceModOrder(raw);
    for (std::uint8_t b : k) {
      if (b != 0) return k;
    }
  }
}

Owned<BIGNUM> bn(const Octets21& v) { return Owned<BIGNUM>(BN_bin2bn(v.data(), 21, nullptr)); }

Octets21 octets(const BIGNUM* v) {
  Octets21 out{};
  BN_bn2binpad(v, out.data(), 21);
  return out;
}

}  // namespace

TestCertificateAuthority::TestCertificateAuthority(std::uint32_t seed) : rng_(seed) {
  privateKey_ = randomNonzeroScalar(rng_);
  publicKey_ = sslPublicKey(privateKey_);
  for (auto& b : issuer_) b = static_cast<std::uint8_t>(rng_());
}

std::vector<std::uint8_t> TestCertificateAuthority::publicKeyCompressed() const {
  return sslPointEncode(publicKey_, true);
}

IssuedCredentials TestCertificateAuthority::issue(const std::array<std::uint8_t, 8>& subject) {
  Owned<EC_GROUP> group(EC_GROUP_new_by_curve_name(NID_sect163k1));
  Owned<BN_CTX> ctx(BN_CTX_new());
  const BIGNUM* n = EC_GROUP_get0_order(group.get());
  for (;;) {
    const Octets21 kU = randomNonzeroScalar(rng_);
    const Octets21 k = randomNonzeroScalar(rng_);
    const AffinePoint P = sslPointAdd(sslPublicKey(kU), sslPublicKey(k));
    if (wordsIsZero(P.x.data(), 11) != 0) continue;  // kU = -k: draw again

    IssuedCredentials out;
    out.subject = subject;
    const std::vector<std::uint8_t> encoded = sslPointEncode(P, true);
    std::copy(encoded.begin(), encoded.end(), out.certificate.begin());
    std::copy(subject.begin(), subject.end(), out.certificate.begin() + 22);
    std::copy(issuer_.begin(), issuer_.end(), out.certificate.begin() + 30);
    for (int i = 0; i < 10; ++i) {
      out.certificate[38 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
    }

    std::uint8_t digest[16];
    OpensslMmo mmo;
    mmo.hash(out.certificate.data(), out.certificate.size(), digest);
    Owned<BIGNUM> e(BN_bin2bn(digest, 16, nullptr));
    Owned<BIGNUM> r(BN_new());
    BN_mod_mul(r.get(), e.get(), bn(k).get(), n, ctx.get());
    BN_mod_add(r.get(), r.get(), bn(privateKey_).get(), n, ctx.get());
    Owned<BIGNUM> d(BN_new());
    BN_mod_mul(d.get(), e.get(), bn(kU).get(), n, ctx.get());
    BN_mod_add(d.get(), d.get(), r.get(), n, ctx.get());
    if (BN_is_zero(d.get())) continue;
    out.privateKey = octets(d.get());
    out.publicKey = sslPublicKey(out.privateKey);
    return out;
  }
}

}  // namespace otawrap::test
