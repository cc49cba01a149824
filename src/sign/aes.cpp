// Byte-oriented AES-128 encryption with an in-place round key.
//
// The four round steps are written once as inline helpers; the public step
// functions and the block encryption share them, so the encryption loop is
// compiled with every table index and byte position visible as a constant.
#include "sign/aes.h"

#include <cstring>

namespace otawrap {
namespace {

inline void nextRoundKey(std::uint8_t* k, unsigned round) {
  // RotWord then SubWord of the last column, round constant on its first byte.
  const std::uint8_t t0 = static_cast<std::uint8_t>(aesSBox[k[13]] ^ aesRoundConstants[round]);
  const std::uint8_t t1 = aesSBox[k[14]];
  const std::uint8_t t2 = aesSBox[k[15]];
  const std::uint8_t t3 = aesSBox[k[12]];
  k[0] ^= t0;
  k[1] ^= t1;
  k[2] ^= t2;
  k[3] ^= t3;
  for (unsigned i = 4; i < 16; ++i) {
    k[i] ^= k[i - 4];
  }
}

inline void keyAddSubstitute(const std::uint8_t* k, std::uint8_t* s) {
  for (unsigned i = 0; i < 16; ++i) {
    s[i] = aesSBox[s[i] ^ k[i]];
  }
}

inline void shiftRows(std::uint8_t* s) {
  // Row 1 rotates left by one column.
  std::uint8_t t = s[1];
  s[1] = s[5];
  s[5] = s[9];
  s[9] = s[13];
  s[13] = t;
  // Row 2 rotates by two columns.
  t = s[2];
  s[2] = s[10];
  s[10] = t;
  t = s[6];
  s[6] = s[14];
  s[14] = t;
  // Row 3 rotates left by three columns (right by one).
  t = s[15];
  s[15] = s[11];
  s[11] = s[7];
  s[7] = s[3];
  s[3] = t;
}

inline void mixColumns(std::uint8_t* s) {
  for (unsigned j = 0; j < 16; j += 4) {
    const std::uint8_t a0 = s[j];
    const std::uint8_t a1 = s[j + 1];
    const std::uint8_t a2 = s[j + 2];
    const std::uint8_t a3 = s[j + 3];
    s[j] = static_cast<std::uint8_t>(aesTimesTwo[a0] ^ aesTimesThree[a1] ^ a2 ^ a3);
    s[j + 1] = static_cast<std::uint8_t>(aesTimesTwo[a1] ^ aesTimesThree[a2] ^ a3 ^ a0);
    s[j + 2] = static_cast<std::uint8_t>(aesTimesTwo[a2] ^ aesTimesThree[a3] ^ a0 ^ a1);
    s[j + 3] = static_cast<std::uint8_t>(aesTimesTwo[a3] ^ aesTimesThree[a0] ^ a1 ^ a2);
  }
}

}  // namespace

void aesNextRoundKey(std::uint8_t roundKey[16], unsigned round) {
  nextRoundKey(roundKey, round);
}

void aesKeyAddSubstitute(const std::uint8_t roundKey[16], std::uint8_t state[16]) {
  keyAddSubstitute(roundKey, state);
}

void aesShiftRows(std::uint8_t state[16]) {
  shiftRows(state);
}

void aesMixColumns(std::uint8_t state[16]) {
  mixColumns(state);
}

void aesEncryptBlock(const std::uint8_t key[16], std::uint8_t block[16]) {
  // Round key K_r is added in the same pass as the SubBytes that follows it;
  // only K_10 is added on its own after the last ShiftRows.
  std::uint8_t k[16];
  std::uint8_t s[16];
  std::memcpy(k, key, 16);
  std::memcpy(s, block, 16);
  for (unsigned round = 0; round < 9; ++round) {
    keyAddSubstitute(k, s);
    shiftRows(s);
    mixColumns(s);
    nextRoundKey(k, round);
  }
  keyAddSubstitute(k, s);
  shiftRows(s);
  nextRoundKey(k, 9);
  for (unsigned i = 0; i < 16; ++i) {
    s[i] ^= k[i];
  }
  std::memcpy(block, s, 16);
}

}  // namespace otawrap
