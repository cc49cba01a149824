#include "support/openssl_curve.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/obj_mac.h>

#include <memory>
#include <stdexcept>

#include "support/openssl_field.h"

namespace otawrap::test {

namespace {

struct GroupFree {
  void operator()(EC_GROUP* g) const { EC_GROUP_free(g); }
};
struct PointFree {
  void operator()(EC_POINT* p) const { EC_POINT_free(p); }
};
struct CtxFree {
  void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};
using Point = std::unique_ptr<EC_POINT, PointFree>;

void check(int ok, const char* what) {
  if (ok != 1) {
    throw std::runtime_error(what);
  }
}

const EC_GROUP* group() {
  thread_local std::unique_ptr<EC_GROUP, GroupFree> g(EC_GROUP_new_by_curve_name(NID_sect163k1));
  if (!g) {
    throw std::runtime_error("EC_GROUP_new_by_curve_name");
  }
  return g.get();
}

BN_CTX* context() {
  thread_local std::unique_ptr<BN_CTX, CtxFree> ctx(BN_CTX_new());
  return ctx.get();
}

Point toPoint(const AffinePoint& P) {
  Point point(EC_POINT_new(group()));
  if (wordsIsZero(P.x.data(), 11) != 0 && wordsIsZero(P.y.data(), 11) != 0) {
    check(EC_POINT_set_to_infinity(group(), point.get()), "set_to_infinity");
    return point;
  }
  Bignum x = wordsToBignum(P.x.data(), 11);
  Bignum y = wordsToBignum(P.y.data(), 11);
  check(EC_POINT_set_affine_coordinates(group(), point.get(), x.get(), y.get(), context()),
        "set_affine_coordinates");
  return point;
}

AffinePoint fromPoint(const EC_POINT* point) {
  AffinePoint out{};
  if (EC_POINT_is_at_infinity(group(), point) == 1) {
    return out;
  }
  Bignum x(BN_new());
  Bignum y(BN_new());
  check(EC_POINT_get_affine_coordinates(group(), point, x.get(), y.get(), context()),
        "get_affine_coordinates");
  bignumToWords(x.get(), out.x.data(), 11);
  bignumToWords(y.get(), out.y.data(), 11);
  return out;
}

Bignum signedModOrder(long value) {
  Bignum bn(BN_new());
  check(BN_set_word(bn.get(), static_cast<BN_ULONG>(value < 0 ? -value : value)), "set_word");
  BN_set_negative(bn.get(), value < 0 ? 1 : 0);
  check(BN_nnmod(bn.get(), bn.get(), EC_GROUP_get0_order(group()), context()), "nnmod");
  return bn;
}

}  // namespace

AffinePoint sslMultiplyGenerator(const Words& k) {
  Bignum scalar = wordsToBignum(k.data(), 11);
  check(BN_nnmod(scalar.get(), scalar.get(), EC_GROUP_get0_order(group()), context()), "nnmod");
  Point r(EC_POINT_new(group()));
  check(EC_POINT_mul(group(), r.get(), scalar.get(), nullptr, nullptr, context()), "mul");
  return fromPoint(r.get());
}

AffinePoint sslMultiplyPoint(const Words& k, const AffinePoint& P) {
  Bignum scalar = wordsToBignum(k.data(), 11);
  check(BN_nnmod(scalar.get(), scalar.get(), EC_GROUP_get0_order(group()), context()), "nnmod");
  Point p = toPoint(P);
  Point r(EC_POINT_new(group()));
  check(EC_POINT_mul(group(), r.get(), nullptr, p.get(), scalar.get(), context()), "mul");
  return fromPoint(r.get());
}

AffinePoint sslPointAdd(const AffinePoint& P, const AffinePoint& Q) {
  Point p = toPoint(P);
  Point q = toPoint(Q);
  Point r(EC_POINT_new(group()));
  check(EC_POINT_add(group(), r.get(), p.get(), q.get(), context()), "add");
  return fromPoint(r.get());
}

AffinePoint sslTauCombination(long a, long b) {
  const AffinePoint g = sslGenerator();
  const AffinePoint tauG{sslFieldSquare(g.x), sslFieldSquare(g.y)};
  Bignum ba = signedModOrder(a);
  Bignum bb = signedModOrder(b);
  Point t = toPoint(tauG);
  Point r(EC_POINT_new(group()));
  check(EC_POINT_mul(group(), r.get(), ba.get(), t.get(), bb.get(), context()), "mul");
  return fromPoint(r.get());
}

bool sslIsOnCurve(const AffinePoint& P) {
  Point point(EC_POINT_new(group()));
  Bignum x = wordsToBignum(P.x.data(), 11);
  Bignum y = wordsToBignum(P.y.data(), 11);
  // OpenSSL refuses to set coordinates that are off the curve.
  if (EC_POINT_set_affine_coordinates(group(), point.get(), x.get(), y.get(), context()) != 1) {
    ERR_clear_error();
    return false;
  }
  return EC_POINT_is_on_curve(group(), point.get(), context()) == 1;
}

AffinePoint sslGenerator() { return fromPoint(EC_GROUP_get0_generator(group())); }

Words sslGroupOrder() {
  Words n;
  bignumToWords(EC_GROUP_get0_order(group()), n.data(), 11);
  return n;
}

}  // namespace otawrap::test
