// GF(2^163) arithmetic: comb multiplication, table squaring, word-wise folding,
// binary Euclidean inversion.
#include "ecc/field.h"

namespace otawrap {

void fieldAdd(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  for (int k = 0; k < kWordCount; ++k) {
    out[k] = static_cast<Word>(a[k] ^ b[k]);
  }
}

// Right-to-left comb: for each bit position j (outer) and each word i of a
// (inner) whose bit j is set, XOR the row b << j into acc at word offset i. The
// row is selected with an all-ones/all-zeros mask instead of a branch, so the
// running time does not depend on a.
void fieldMultiply(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  WideWords acc{};
  Word row[12];
  for (int t = 0; t < 11; ++t) {
    row[t] = b[t];
  }
  row[11] = 0;
  for (unsigned j = 0; j < 16; ++j) {
    for (int i = 0; i < 11; ++i) {
      const Word mask = static_cast<Word>(0u - ((static_cast<unsigned>(a[i]) >> j) & 1u));
      for (int t = 0; t < 12; ++t) {
        acc[i + t] = static_cast<Word>(acc[i + t] ^ (row[t] & mask));
      }
    }
    if (j < 15) {
      for (int t = 11; t > 0; --t) {
        row[t] = static_cast<Word>((row[t] << 1) | (row[t - 1] >> 15));
      }
      row[0] = static_cast<Word>(row[0] << 1);
    }
  }
  fieldReduceWide(acc, out);
}

void fieldSquare(const FieldElement& a, FieldElement& out) {
  WideWords wide;
  for (int i = 0; i < 11; ++i) {
    wide[2 * i] = squareSpreadTable[a[i] & 0xFFu];
    wide[2 * i + 1] = squareSpreadTable[a[i] >> 8];
  }
  fieldReduceWide(wide, out);
}

// Folds words 21 down to 11 using x^176 = x^20 + x^19 + x^16 + x^13 (mod f).
// Word j >= 11 receives contributions only from folds k = j-2, j-1, j, which
// all run before j itself is folded at k = j-11, so the top-down order is exact.
void fieldReduceWide(WideWords& wide, FieldElement& out) {
  for (int k = 10; k >= 0; --k) {
    const unsigned v = wide[k + 11];
    wide[k] = static_cast<Word>(wide[k] ^ ((v << 13) & 0xFFFFu));
    wide[k + 1] = static_cast<Word>(wide[k + 1] ^ ((v ^ (v >> 3) ^ (v << 3) ^ (v << 4)) & 0xFFFFu));
    wide[k + 2] = static_cast<Word>(wide[k + 2] ^ ((v >> 12) ^ (v >> 13)));
  }
  for (int k = 0; k < 11; ++k) {
    out[k] = wide[k];
  }
}

// Folds bits 163..175 using x^163 = x^7 + x^6 + x^3 + 1; touches only words 0
// and 1, so one pass leaves degree below 163.
void fieldReduceFinal(FieldElement& a) {
  const unsigned v = static_cast<unsigned>(a[10]) >> 3;
  a[10] = static_cast<Word>(a[10] & 7u);
  a[0] = static_cast<Word>(a[0] ^ ((v ^ (v << 3) ^ (v << 6) ^ (v << 7)) & 0xFFFFu));
  a[1] = static_cast<Word>(a[1] ^ ((v >> 9) ^ (v >> 10)));
}

// Binary Euclid with the invariants g1*a = u and g2*a = v (mod f). Only u and g1
// are halved; v starts as f (odd) and stays odd, so u is even after each XOR.
// g1 and g2 keep degree below 163, so the result is canonical.
int fieldInvert(const FieldElement& a, FieldElement& out) {
  FieldElement uStore = a;
  FieldElement vStore = fieldPolynomial;
  FieldElement g1Store{};
  FieldElement g2Store{};
  g1Store[0] = 1;
  FieldElement* u = &uStore;
  FieldElement* v = &vStore;
  FieldElement* g1 = &g1Store;
  FieldElement* g2 = &g2Store;
  if (wordsIsZero(u->data(), kWordCount)) {
    return kNoInverse;
  }
  for (;;) {
    while (((*u)[0] & 1u) == 0) {
      if (((*g1)[0] & 1u) != 0) {
        fieldAdd(*g1, fieldPolynomial, *g1);
      }
      wordsShiftRight1(*u);
      wordsShiftRight1(*g1);
    }
    if (wordsIsOne(u->data(), kWordCount)) {
      out = *g1;
      return 0;
    }
    if (wordsCompare(*v, *u) > 0) {
      FieldElement* swap = u;
      u = v;
      v = swap;
      swap = g1;
      g1 = g2;
      g2 = swap;
    }
    fieldAdd(*u, *v, *u);
    fieldAdd(*g1, *g2, *g1);
    if (wordsIsZero(u->data(), kWordCount)) {
      return kNoInverse;
    }
  }
}

int fieldIsZero(FieldElement& a) {
  fieldReduceFinal(a);
  return wordsIsZero(a.data(), kWordCount);
}

int fieldEqual(const FieldElement& a, const FieldElement& b) {
  FieldElement t;
  fieldAdd(a, b, t);
  return fieldIsZero(t);
}

}  // namespace otawrap
