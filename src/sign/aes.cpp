// Byte-oriented AES-128 encryption with an in-place round key.
//
// The public step functions work on 16-byte arrays exactly as the steps are
// defined. The block encryption runs the same steps, in the same order, fused
// per column on 32-bit column words and fully unrolled, so every byte
// position, table offset and round constant is a compile-time constant. It
// uses the same four byte tables and advances one round key in place.
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


// --- the cipher proper, on column words -----------------------------------
//
// A column word holds one state column: its four bytes in their memory order,
// so loading or storing a column is a plain 4-byte copy. columnShift(r) is the
// bit position of row r inside a column word; the compiler folds it to a
// constant (8 * r on little-endian machines).

inline unsigned columnShift(unsigned row) {
  const std::uint32_t positions = 0x18100800u;  // value byte j holds 8 * j
  std::uint8_t bytes[4];
  std::memcpy(bytes, &positions, 4);
  return bytes[row];
}

inline std::uint32_t loadColumn(const std::uint8_t* p) {
  std::uint32_t column;
  std::memcpy(&column, p, 4);
  return column;
}

inline void storeColumn(std::uint32_t column, std::uint8_t* p) {
  std::memcpy(p, &column, 4);
}

inline std::uint32_t rowByte(std::uint32_t column, unsigned row) {
  return (column >> columnShift(row)) & 0xFFu;
}

inline std::uint32_t toRow(std::uint32_t byte, unsigned row) {
  return byte << columnShift(row);
}

// Advances the round key, held as four column words, from K_r to K_(r+1).
template <unsigned Round>
inline void nextRoundKeyColumns(std::uint32_t (&k)[4]) {
  const std::uint32_t last = k[3];
  const std::uint32_t word = toRow(aesSBox[rowByte(last, 1)] ^ aesRoundConstants[Round], 0) |
                             toRow(aesSBox[rowByte(last, 2)], 1) |
                             toRow(aesSBox[rowByte(last, 3)], 2) |
                             toRow(aesSBox[rowByte(last, 0)], 3);
  k[0] ^= word;
  k[1] ^= k[0];
  k[2] ^= k[1];
  k[3] ^= k[2];
}

// MixColumns of one column with bytes a0..a3, as a column word.
inline std::uint32_t mixColumn(std::uint32_t a0, std::uint32_t a1, std::uint32_t a2,
                               std::uint32_t a3) {
  const std::uint32_t b0 = aesTimesTwo[a0] ^ aesTimesThree[a1] ^ a2 ^ a3;
  const std::uint32_t b1 = aesTimesTwo[a1] ^ aesTimesThree[a2] ^ a3 ^ a0;
  const std::uint32_t b2 = aesTimesTwo[a2] ^ aesTimesThree[a3] ^ a0 ^ a1;
  const std::uint32_t b3 = aesTimesTwo[a3] ^ aesTimesThree[a0] ^ a1 ^ a2;
  return toRow(b0, 0) | toRow(b1, 1) | toRow(b2, 2) | toRow(b3, 3);
}

// Column c of SubBytes after ShiftRows: row r comes from column c + r of the
// key-added state, passed as xc, xc1, xc2, xc3.
inline std::uint32_t substituteShifted(std::uint32_t xc, std::uint32_t xc1, std::uint32_t xc2,
                                       std::uint32_t xc3) {
  return toRow(aesSBox[rowByte(xc, 0)], 0) | toRow(aesSBox[rowByte(xc1, 1)], 1) |
         toRow(aesSBox[rowByte(xc2, 2)], 2) | toRow(aesSBox[rowByte(xc3, 3)], 3);
}

// Rounds 0..8: key add and substitute, shift rows, mix columns, next round key.
template <unsigned Round>
inline void fullRound(std::uint32_t (&s)[4], std::uint32_t (&k)[4]) {
  const std::uint32_t x0 = s[0] ^ k[0];
  const std::uint32_t x1 = s[1] ^ k[1];
  const std::uint32_t x2 = s[2] ^ k[2];
  const std::uint32_t x3 = s[3] ^ k[3];
  nextRoundKeyColumns<Round>(k);
  s[0] = mixColumn(aesSBox[rowByte(x0, 0)], aesSBox[rowByte(x1, 1)], aesSBox[rowByte(x2, 2)],
                   aesSBox[rowByte(x3, 3)]);
  s[1] = mixColumn(aesSBox[rowByte(x1, 0)], aesSBox[rowByte(x2, 1)], aesSBox[rowByte(x3, 2)],
                   aesSBox[rowByte(x0, 3)]);
  s[2] = mixColumn(aesSBox[rowByte(x2, 0)], aesSBox[rowByte(x3, 1)], aesSBox[rowByte(x0, 2)],
                   aesSBox[rowByte(x1, 3)]);
  s[3] = mixColumn(aesSBox[rowByte(x3, 0)], aesSBox[rowByte(x0, 1)], aesSBox[rowByte(x1, 2)],
                   aesSBox[rowByte(x2, 3)]);
}

// Round 9: key add and substitute, shift rows, next round key, add K_10.
inline void lastRound(std::uint32_t (&s)[4], std::uint32_t (&k)[4]) {
  const std::uint32_t x0 = s[0] ^ k[0];
  const std::uint32_t x1 = s[1] ^ k[1];
  const std::uint32_t x2 = s[2] ^ k[2];
  const std::uint32_t x3 = s[3] ^ k[3];
  nextRoundKeyColumns<9>(k);
  s[0] = substituteShifted(x0, x1, x2, x3) ^ k[0];
  s[1] = substituteShifted(x1, x2, x3, x0) ^ k[1];
  s[2] = substituteShifted(x2, x3, x0, x1) ^ k[2];
  s[3] = substituteShifted(x3, x0, x1, x2) ^ k[3];
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
  // Each round key K_r, r = 0..9, is added in the same pass as the SubBytes
  // that follows it; only K_10 is added on its own after the last ShiftRows.
  std::uint32_t k[4] = {loadColumn(key), loadColumn(key + 4), loadColumn(key + 8),
                        loadColumn(key + 12)};
  std::uint32_t s[4] = {loadColumn(block), loadColumn(block + 4), loadColumn(block + 8),
                        loadColumn(block + 12)};
  fullRound<0>(s, k);
  fullRound<1>(s, k);
  fullRound<2>(s, k);
  fullRound<3>(s, k);
  fullRound<4>(s, k);
  fullRound<5>(s, k);
  fullRound<6>(s, k);
  fullRound<7>(s, k);
  fullRound<8>(s, k);
  lastRound(s, k);
  storeColumn(s[0], block);
  storeColumn(s[1], block + 4);
  storeColumn(s[2], block + 8);
  storeColumn(s[3], block + 12);
}

}  // namespace otawrap
