#include "support/openssl_bignum.h"

#include <gtest/gtest.h>
#include <openssl/crypto.h>

#include <vector>

namespace otawrap::test {

BnPtr bnNew() { return BnPtr(BN_new()); }

BnCtxPtr bnCtxNew() { return BnCtxPtr(BN_CTX_new()); }

BnPtr bnFromHex(const char* hex) {
  BIGNUM* bn = nullptr;
  BN_hex2bn(&bn, hex);
  return BnPtr(bn);
}

BnPtr bnFromDec(const char* dec) {
  BIGNUM* bn = nullptr;
  BN_dec2bn(&bn, dec);
  return BnPtr(bn);
}

BnPtr bnFromWord(unsigned long value) {
  BnPtr bn = bnNew();
  BN_set_word(bn.get(), value);
  return bn;
}

BnPtr bnCopy(const BIGNUM* bn) { return BnPtr(BN_dup(bn)); }

BnPtr bnFromWords(const Word* words, std::size_t count) {
  std::vector<unsigned char> bytes(2 * count);
  for (std::size_t k = 0; k < count; ++k) {
    bytes[2 * k] = static_cast<unsigned char>(words[k] & 0xFFu);
    bytes[2 * k + 1] = static_cast<unsigned char>(words[k] >> 8);
  }
  return BnPtr(BN_lebin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

BnPtr bnFromSignedWords(const Words& words) {
  BnPtr bn = bnFromWords(words);
  if ((words[10] & 0x8000u) != 0) {
    BnPtr wrap = bnNew();
    BN_set_bit(wrap.get(), 176);
    BN_sub(bn.get(), bn.get(), wrap.get());
  }
  return bn;
}

bool wordsFromBn(const BIGNUM* bn, Word* words, std::size_t count) {
  if (BN_is_negative(bn) || BN_num_bytes(bn) > static_cast<int>(2 * count)) {
    return false;
  }
  std::vector<unsigned char> bytes(2 * count);
  if (BN_bn2lebinpad(bn, bytes.data(), static_cast<int>(bytes.size())) < 0) {
    return false;
  }
  for (std::size_t k = 0; k < count; ++k) {
    words[k] = static_cast<Word>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
  }
  return true;
}

Words wordsOf(const BIGNUM* bn) {
  Words w{};
  EXPECT_TRUE(wordsFromBn(bn, w.data(), w.size())) << "does not fit 11 words: " << bnToHex(bn);
  return w;
}

Words signedWordsOf(const BIGNUM* bn) {
  BnPtr value = bnCopy(bn);
  if (BN_is_negative(value.get())) {
    BnPtr wrap = bnNew();
    BN_set_bit(wrap.get(), 176);
    BN_add(value.get(), value.get(), wrap.get());
  }
  return wordsOf(value.get());
}

std::string bnToHex(const BIGNUM* bn) {
  char* text = BN_bn2hex(bn);
  std::string result = text != nullptr ? text : "?";
  OPENSSL_free(text);
  return result;
}

std::string bnToDec(const BIGNUM* bn) {
  char* text = BN_bn2dec(bn);
  std::string result = text != nullptr ? text : "?";
  OPENSSL_free(text);
  return result;
}

bool bnEqual(const BIGNUM* a, const BIGNUM* b) { return BN_cmp(a, b) == 0; }

Word WordSource::word() { return static_cast<Word>(engine_() >> 48); }

Word WordSource::patternedWord() {
  switch (engine_() % 6) {
    case 0:
      return 0;
    case 1:
      return 0xFFFF;
    case 2:
      return 1;
    case 3:
      return 0x8000;
    case 4:
      return 0x7FFF;
    default:
      return word();
  }
}

Words WordSource::words(bool patterned) {
  Words w;
  for (Word& x : w) {
    x = patterned ? patternedWord() : word();
  }
  return w;
}

WideWords WordSource::wideWords(bool patterned) {
  WideWords w;
  for (Word& x : w) {
    x = patterned ? patternedWord() : word();
  }
  return w;
}

Words WordSource::wordsBelowPowerOfTwo(unsigned bits) {
  Words w = words(false);
  for (unsigned k = 0; k < w.size(); ++k) {
    const unsigned low = 16 * k;
    if (low >= bits) {
      w[k] = 0;
    } else if (bits - low < 16) {
      w[k] = static_cast<Word>(w[k] & ((1u << (bits - low)) - 1u));
    }
  }
  return w;
}

}  // namespace otawrap::test
