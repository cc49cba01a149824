// Arithmetic modulo n, the order of the base point of sect163k1.
//
// A ModNumber is loose when it is any value below 2^176 with the right residue,
// canonical when it lies in [0, n). modAdd, modSub, modMultiply and
// modReduceWide take loose inputs and give loose results (often above n);
// modReduceFinal and modInvert give the canonical residue. Nothing here
// allocates or fails, except modInvert on a multiple of n.
#pragma once

#include "ecc/words.h"

namespace otawrap {

// n (SEC 2, sect163k1): 0x04 0000000000000000 00020108A2E0CC0D 99F8A5EF.
inline constexpr ModNumber groupOrder = {0xA5EF, 0x99F8, 0xCC0D, 0xA2E0, 0x0108, 0x0002,
                                         0x0000, 0x0000, 0x0000, 0x0000, 0x0004};
// n - 2^162 (82 bits); 2^162 = -orderTail (mod n).
inline constexpr ModNumber orderTail = {0xA5EF, 0x99F8, 0xCC0D, 0xA2E0, 0x0108, 0x0002,
                                        0x0000, 0x0000, 0x0000, 0x0000, 0x0000};
// (-2^176) mod n = 2^14 * orderTail (96 bits).
inline constexpr ModNumber orderWrapNeg = {0xC000, 0x297B, 0x667E, 0x3303, 0x28B8, 0x8042,
                                           0x0000, 0x0000, 0x0000, 0x0000, 0x0000};
// 2^176 mod n = n - orderWrapNeg (162 bits).
inline constexpr ModNumber orderWrap = {0xE5EF, 0x707C, 0x658F, 0x6FDD, 0xD850, 0x7FBF,
                                        0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x0003};

// A residue below n (163 bits) as big-endian octets: keys, nonces, r and s.
inline constexpr std::uint16_t kScalarOctets = 21;

// Status of modInvert when the input is a multiple of n (shared with the field).
inline constexpr int kModNoInverse = 0xFB01;

// out = a + b (mod n), loose. out may alias a or b.
void modAdd(const ModNumber& a, const ModNumber& b, ModNumber& out);
// out = a - b (mod n), loose. out may alias a or b.
void modSub(const ModNumber& a, const ModNumber& b, ModNumber& out);
// out = a * b (mod n), loose. out may alias a or b.
void modMultiply(const ModNumber& a, const ModNumber& b, ModNumber& out);
// out = wide (mod n), loose. wide is used as scratch and left changed; out may
// be the low 11 words of wide.
void modReduceWide(WideWords& wide, ModNumber& out);
// x = x mod n in place: the canonical residue, for any x below 2^176.
void modReduceFinal(ModNumber& x);
// out = a^-1 (mod n), canonical; returns 0. When a = 0 (mod n) returns
// kModNoInverse and leaves out untouched. out may alias a. Fermat's a^(n-2) on
// a Montgomery multiplication: apart from the zero test, the same operations
// for every a.
int modInvert(const ModNumber& a, ModNumber& out);

}  // namespace otawrap
