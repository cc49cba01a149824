// OpenSSL BIGNUM helpers for the arithmetic tests: owning pointers, conversion
// between BIGNUMs and little-endian 16-bit word arrays, and a seeded source of
// random word arrays that favours carry-heavy patterns.
#pragma once

#include <openssl/bn.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "ecc/words.h"

namespace otawrap::test {

struct BnDeleter {
  void operator()(BIGNUM* bn) const { BN_free(bn); }
};
struct BnCtxDeleter {
  void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};
using BnPtr = std::unique_ptr<BIGNUM, BnDeleter>;
using BnCtxPtr = std::unique_ptr<BN_CTX, BnCtxDeleter>;

BnPtr bnNew();
BnCtxPtr bnCtxNew();
BnPtr bnFromHex(const char* hex);
BnPtr bnFromDec(const char* dec);
BnPtr bnFromWord(unsigned long value);
BnPtr bnCopy(const BIGNUM* bn);

// Unsigned value of count little-endian 16-bit words.
BnPtr bnFromWords(const Word* words, std::size_t count);
template <std::size_t N>
BnPtr bnFromWords(const std::array<Word, N>& words) {
  return bnFromWords(words.data(), N);
}
// Value of 11 words read as a 176-bit two's-complement integer.
BnPtr bnFromSignedWords(const Words& words);

// Writes a non-negative bn into count words; false if negative or too wide.
bool wordsFromBn(const BIGNUM* bn, Word* words, std::size_t count);
// The 11-word form of 0 <= bn < 2^176 (fails the current test otherwise).
Words wordsOf(const BIGNUM* bn);
// The 11-word two's-complement form of -2^175 <= bn < 2^175.
Words signedWordsOf(const BIGNUM* bn);

std::string bnToHex(const BIGNUM* bn);
std::string bnToDec(const BIGNUM* bn);
// a == b as integers.
bool bnEqual(const BIGNUM* a, const BIGNUM* b);

// Deterministic random words. Each word is, with equal chance, uniform, 0,
// 0xFFFF, 1, 0x8000 or 0x7FFF when patterned is set, so carry and borrow chains
// of every length appear often; otherwise every word is uniform.
class WordSource {
 public:
  explicit WordSource(std::uint64_t seed) : engine_(seed) {}
  Word word();
  Word patternedWord();
  Words words(bool patterned);
  WideWords wideWords(bool patterned);
  // A uniform value below 2^bits (bits <= 176) in 11 words.
  Words wordsBelowPowerOfTwo(unsigned bits);
  std::uint64_t next() { return engine_(); }

 private:
  std::mt19937_64 engine_;
};

}  // namespace otawrap::test
