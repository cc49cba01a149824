// Owning pointers for the OpenSSL objects the test oracles use. EC_KEY is
// deprecated in OpenSSL 3: a file that includes this header defines
// OPENSSL_SUPPRESS_DEPRECATED before its first OpenSSL include.
#pragma once

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/ecdsa.h>

#include <memory>

namespace otawrap::test {

struct OpensslDeleter {
  void operator()(BIGNUM* p) const { BN_free(p); }
  void operator()(BN_CTX* p) const { BN_CTX_free(p); }
  void operator()(EC_GROUP* p) const { EC_GROUP_free(p); }
  void operator()(EC_POINT* p) const { EC_POINT_free(p); }
  void operator()(EC_KEY* p) const { EC_KEY_free(p); }
  void operator()(ECDSA_SIG* p) const { ECDSA_SIG_free(p); }
};

template <typename T>
using Owned = std::unique_ptr<T, OpensslDeleter>;

}  // namespace otawrap::test
