// AES-128: constant tables against their defining rules, the round steps
// against textbook definitions, the cipher against FIPS-197 and OpenSSL.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "sign/aes.h"
#include "support/openssl_hash.h"
#include "support/vector_file.h"

namespace otawrap {
namespace {

using test::hexToBytes;

// Bit-by-bit product in GF(2^8) modulo x^8 + x^4 + x^3 + x + 1.
std::uint8_t gfMultiply(std::uint8_t a, std::uint8_t b) {
  unsigned product = 0;
  unsigned shifted = a;
  for (int bit = 0; bit < 8; ++bit) {
    if ((b >> bit) & 1) {
      product ^= shifted;
    }
    shifted <<= 1;
    if (shifted & 0x100) {
      shifted ^= 0x11B;
    }
  }
  return static_cast<std::uint8_t>(product);
}

// Multiplicative inverse by exhaustive search; 0 maps to 0.
std::uint8_t gfInverse(std::uint8_t a) {
  for (unsigned b = 1; b < 256; ++b) {
    if (gfMultiply(a, static_cast<std::uint8_t>(b)) == 1) {
      return static_cast<std::uint8_t>(b);
    }
  }
  return 0;
}

TEST(AesTables, SBoxIsInverseThenAffineMap) {
  for (unsigned x = 0; x < 256; ++x) {
    const unsigned b = gfInverse(static_cast<std::uint8_t>(x));
    unsigned s = 0;
    for (unsigned i = 0; i < 8; ++i) {
      const unsigned bit = ((b >> i) ^ (b >> ((i + 4) % 8)) ^ (b >> ((i + 5) % 8)) ^
                            (b >> ((i + 6) % 8)) ^ (b >> ((i + 7) % 8)) ^ (0x63 >> i)) & 1;
      s |= bit << i;
    }
    EXPECT_EQ(aesSBox[x], s) << "x = " << x;
  }
  // Spot values printed in FIPS-197 Figure 7.
  EXPECT_EQ(aesSBox[0x00], 0x63);
  EXPECT_EQ(aesSBox[0x53], 0xED);
  EXPECT_EQ(aesSBox[0xFF], 0x16);
}

TEST(AesTables, TimesTwoAndTimesThreeAreFieldProducts) {
  for (unsigned x = 0; x < 256; ++x) {
    const std::uint8_t byte = static_cast<std::uint8_t>(x);
    EXPECT_EQ(aesTimesTwo[x], gfMultiply(byte, 2)) << "x = " << x;
    EXPECT_EQ(aesTimesThree[x], gfMultiply(byte, 3)) << "x = " << x;
  }
}

TEST(AesTables, RoundConstantsArePowersOfX) {
  std::uint8_t power = 1;
  for (unsigned r = 0; r < 10; ++r) {
    EXPECT_EQ(aesRoundConstants[r], power) << "r = " << r;
    power = gfMultiply(power, 2);
  }
  for (unsigned r = 10; r < 16; ++r) {
    EXPECT_EQ(aesRoundConstants[r], 0);
  }
}

// FIPS-197 key expansion as written there: 44 words w[i], word-oriented.
std::array<std::array<std::uint8_t, 16>, 11> textbookKeySchedule(const std::uint8_t key[16]) {
  std::uint8_t w[44][4];
  std::memcpy(w, key, 16);
  std::uint8_t rcon = 1;
  for (int i = 4; i < 44; ++i) {
    std::uint8_t temp[4];
    std::memcpy(temp, w[i - 1], 4);
    if (i % 4 == 0) {
      const std::uint8_t rotated[4] = {temp[1], temp[2], temp[3], temp[0]};
      for (int j = 0; j < 4; ++j) {
        temp[j] = aesSBox[rotated[j]];
      }
      temp[0] ^= rcon;
      rcon = gfMultiply(rcon, 2);
    }
    for (int j = 0; j < 4; ++j) {
      w[i][j] = static_cast<std::uint8_t>(w[i - 4][j] ^ temp[j]);
    }
  }
  std::array<std::array<std::uint8_t, 16>, 11> schedule{};
  for (int r = 0; r < 11; ++r) {
    std::memcpy(schedule[r].data(), w[4 * r], 16);
  }
  return schedule;
}

TEST(AesNextRoundKey, FollowsFipsKeyExpansion) {
  // FIPS-197 Appendix A.1: the cipher key, round key 1 and round key 10.
  const auto key = hexToBytes("2B7E151628AED2A6ABF7158809CF4F3C");
  std::uint8_t roundKey[16];
  std::memcpy(roundKey, key.data(), 16);
  aesNextRoundKey(roundKey, 0);
  EXPECT_EQ(test::bytesToHex(roundKey, 16), "A0FAFE1788542CB123A339392A6C7605");
  for (unsigned r = 1; r < 10; ++r) {
    aesNextRoundKey(roundKey, r);
  }
  EXPECT_EQ(test::bytesToHex(roundKey, 16), "D014F9A8C9EE2589E13F0CC8B6630CA6");

  std::mt19937 rng(20240601u);  // fixed seed
  for (int trial = 0; trial < 200; ++trial) {
    std::uint8_t k[16];
    for (auto& b : k) {
      b = static_cast<std::uint8_t>(rng());
    }
    const auto schedule = textbookKeySchedule(k);
    for (unsigned r = 0; r < 10; ++r) {
      aesNextRoundKey(k, r);
      ASSERT_EQ(0, std::memcmp(k, schedule[r + 1].data(), 16)) << "round " << r;
    }
  }
}

TEST(AesRoundSteps, ShiftRowsRotatesRowIByIColumns) {
  std::uint8_t state[16];
  for (int i = 0; i < 16; ++i) {
    state[i] = static_cast<std::uint8_t>(i);
  }
  aesShiftRows(state);
  // s'[r][c] = s[r][(c + r) mod 4], byte index r + 4c.
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(state[r + 4 * c], r + 4 * ((c + r) % 4)) << "row " << r << " column " << c;
    }
  }
}

TEST(AesRoundSteps, MixColumnsIsTheCircularMatrixProduct) {
  std::mt19937 rng(7u);  // fixed seed
  for (int trial = 0; trial < 500; ++trial) {
    std::uint8_t state[16];
    for (auto& b : state) {
      b = static_cast<std::uint8_t>(rng());
    }
    std::uint8_t expected[16];
    static const std::uint8_t matrix[4][4] = {{2, 3, 1, 1}, {1, 2, 3, 1}, {1, 1, 2, 3}, {3, 1, 1, 2}};
    for (int c = 0; c < 4; ++c) {
      for (int r = 0; r < 4; ++r) {
        std::uint8_t sum = 0;
        for (int i = 0; i < 4; ++i) {
          sum ^= gfMultiply(matrix[r][i], state[4 * c + i]);
        }
        expected[4 * c + r] = sum;
      }
    }
    aesMixColumns(state);
    ASSERT_EQ(0, std::memcmp(state, expected, 16));
  }
  // The column db 13 53 45 maps to 8e 4d a1 bc.
  std::uint8_t column[16] = {0xDB, 0x13, 0x53, 0x45};
  aesMixColumns(column);
  EXPECT_EQ(test::bytesToHex(column, 4), "8E4DA1BC");
}

TEST(AesEncryptBlock, PublishedExamples) {
  struct Case {
    const char* key;
    const char* plaintext;
    const char* ciphertext;
  } cases[] = {
      // FIPS-197 Appendix C.1.
      {"000102030405060708090A0B0C0D0E0F", "00112233445566778899AABBCCDDEEFF",
       "69C4E0D86A7B0430D8CDB78070B4C55A"},
      // FIPS-197 Appendix B.
      {"2B7E151628AED2A6ABF7158809CF4F3C", "3243F6A8885A308D313198A2E0370734",
       "3925841D02DC09FBDC118597196A0B32"},
  };
  for (const Case& c : cases) {
    const auto key = hexToBytes(c.key);
    auto block = hexToBytes(c.plaintext);
    aesEncryptBlock(key.data(), block.data());
    EXPECT_EQ(test::bytesToHex(block.data(), 16), c.ciphertext);
    EXPECT_EQ(test::bytesToHex(key.data(), 16), c.key) << "key buffer must stay unchanged";
  }
}

TEST(AesEncryptBlock, MatchesOpensslOnRandomKeysAndBlocks) {
  std::mt19937_64 rng(0x5EED0AE5u);  // fixed seed
  for (int trial = 0; trial < 20000; ++trial) {
    std::uint8_t key[16];
    std::uint8_t block[16];
    for (int i = 0; i < 16; ++i) {
      key[i] = static_cast<std::uint8_t>(rng());
      block[i] = static_cast<std::uint8_t>(rng());
    }
    std::uint8_t expected[16];
    test::opensslAesEncrypt(key, block, expected);
    aesEncryptBlock(key, block);
    ASSERT_EQ(0, std::memcmp(block, expected, 16)) << "trial " << trial;
  }
}

// The cipher as the sequence of its four public steps, round key advanced in place.
void encryptByTheSteps(const std::uint8_t key[16], std::uint8_t block[16]) {
  std::uint8_t roundKey[16];
  std::memcpy(roundKey, key, 16);
  for (unsigned round = 0; round < 9; ++round) {
    aesKeyAddSubstitute(roundKey, block);
    aesShiftRows(block);
    aesMixColumns(block);
    aesNextRoundKey(roundKey, round);
  }
  aesKeyAddSubstitute(roundKey, block);
  aesShiftRows(block);
  aesNextRoundKey(roundKey, 9);
  for (int i = 0; i < 16; ++i) {
    block[i] ^= roundKey[i];
  }
}

TEST(AesEncryptBlock, EqualsTheSequenceOfItsSteps) {
  std::mt19937 rng(1970u);  // fixed seed
  for (int trial = 0; trial < 5000; ++trial) {
    std::uint8_t key[16];
    std::uint8_t fast[16];
    for (int i = 0; i < 16; ++i) {
      key[i] = static_cast<std::uint8_t>(rng());
      fast[i] = static_cast<std::uint8_t>(rng());
    }
    std::uint8_t slow[16];
    std::memcpy(slow, fast, 16);
    encryptByTheSteps(key, slow);
    aesEncryptBlock(key, fast);
    ASSERT_EQ(0, std::memcmp(fast, slow, 16)) << "trial " << trial;
  }
}

TEST(AesEncryptBlock, KeyMayBeTheBlockItself) {
  std::uint8_t buffer[16];
  for (int i = 0; i < 16; ++i) {
    buffer[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 29));
  }
  std::uint8_t expected[16];
  test::opensslAesEncrypt(buffer, buffer, expected);
  aesEncryptBlock(buffer, buffer);
  EXPECT_EQ(0, std::memcmp(buffer, expected, 16));
}

}  // namespace
}  // namespace otawrap
