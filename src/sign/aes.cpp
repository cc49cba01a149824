// Byte-oriented AES-128 encryption with an in-place round key.
//
// The public step functions work on 16-byte arrays exactly as the steps are
// defined. The block encryption runs the same steps fused per output column
// and fully unrolled, so every byte position, table offset and round constant
// is a compile-time constant. It uses the same four byte tables and advances
// its one 16-byte round key in place.
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

// --- the block encryption -----------------------------------------------------
//
// The state lives in two 16-byte buffers used alternately: each round reads
// the sixteen bytes it substitutes straight from one buffer (ShiftRows is just
// the choice of byte positions) and writes the next state into the other.
// A MixColumns output column is assembled into a column word, a 32-bit value
// whose memory image is the column's four bytes in order, so the round key is
// added and the column stored four bytes at a time.
//
// columnShift(r) is the bit position of row r within a column word; the
// compiler folds it to a constant (8 * r on little-endian machines).

inline unsigned columnShift(unsigned row) {
  const std::uint32_t positions = 0x18100800u;  // value byte j holds 8 * j
  std::uint8_t bytes[4];
  std::memcpy(bytes, &positions, 4);
  return bytes[row];
}

inline std::uint32_t toRow(std::uint32_t byte, unsigned row) {
  return byte << columnShift(row);
}

inline std::uint32_t loadColumn(const std::uint8_t* p) {
  std::uint32_t column;
  std::memcpy(&column, p, 4);
  return column;
}

inline void storeColumn(std::uint32_t column, std::uint8_t* p) {
  std::memcpy(p, &column, 4);
}

// K := next round key (K, Round), in place; its columns are also returned.
// K[i] ^= K[i - 4] for i = 4..15 is done a column at a time (XOR has no
// byte order).
template <unsigned Round>
inline void advanceRoundKey(std::uint8_t* k, std::uint32_t (&columns)[4]) {
  const std::uint32_t word = toRow(aesSBox[k[13]] ^ aesRoundConstants[Round], 0) |
                             toRow(aesSBox[k[14]], 1) | toRow(aesSBox[k[15]], 2) |
                             toRow(aesSBox[k[12]], 3);
  columns[0] = loadColumn(k) ^ word;
  columns[1] = loadColumn(k + 4) ^ columns[0];
  columns[2] = loadColumn(k + 8) ^ columns[1];
  columns[3] = loadColumn(k + 12) ^ columns[2];
  storeColumn(columns[0], k);
  storeColumn(columns[1], k + 4);
  storeColumn(columns[2], k + 8);
  storeColumn(columns[3], k + 12);
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

// Byte `row` of output column c after SubBytes and ShiftRows of state x:
// S(x[row + 4 * ((c + row) mod 4)]).
inline std::uint32_t substitutedShifted(const std::uint8_t* x, unsigned c, unsigned row) {
  return aesSBox[x[row + 4 * ((c + row) & 3)]];
}

// x holds the state with K_Round already added. Writes to y the state after
// SubBytes, ShiftRows, MixColumns and the addition of K_(Round+1).
template <unsigned Round>
inline void middleRound(const std::uint8_t* x, std::uint8_t* y, std::uint8_t* k) {
  std::uint32_t key[4];
  advanceRoundKey<Round>(k, key);
  for (unsigned c = 0; c < 4; ++c) {
    const std::uint32_t column =
        mixColumn(substitutedShifted(x, c, 0), substitutedShifted(x, c, 1),
                  substitutedShifted(x, c, 2), substitutedShifted(x, c, 3));
    storeColumn(column ^ key[c], y + 4 * c);
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
  // The FIPS-197 sequence: AddRoundKey K_0; nine rounds of SubBytes,
  // ShiftRows, MixColumns, AddRoundKey K_r; SubBytes, ShiftRows, AddRoundKey
  // K_10. Each K_r is added together with the MixColumns output before it.
  std::uint8_t k[16];
  std::uint8_t a[16];
  std::uint8_t b[16];
  std::memcpy(k, key, 16);
  for (unsigned c = 0; c < 16; c += 4) {
    storeColumn(loadColumn(block + c) ^ loadColumn(k + c), a + c);
  }
  middleRound<0>(a, b, k);
  middleRound<1>(b, a, k);
  middleRound<2>(a, b, k);
  middleRound<3>(b, a, k);
  middleRound<4>(a, b, k);
  middleRound<5>(b, a, k);
  middleRound<6>(a, b, k);
  middleRound<7>(b, a, k);
  middleRound<8>(a, b, k);
  std::uint32_t lastKey[4];
  advanceRoundKey<9>(k, lastKey);
  for (unsigned c = 0; c < 4; ++c) {
    const std::uint32_t column =
        toRow(substitutedShifted(b, c, 0), 0) | toRow(substitutedShifted(b, c, 1), 1) |
        toRow(substitutedShifted(b, c, 2), 2) | toRow(substitutedShifted(b, c, 3), 3);
    storeColumn(column ^ lastKey[c], block + 4 * c);
  }
}

}  // namespace otawrap
