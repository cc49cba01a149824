// GF(2^163) arithmetic: comb multiplication, table squaring, word-wise folding,
// inversion by a fixed chain of squarings and multiplications.
#include "ecc/field.h"

#include "ecc/cpu_features.h"
#include "ecc/field_clmul.h"
#include "ecc/binary_field.h"
#include "ecc/square_maps.h"
#include "ecc/itoh_tsujii.h"

namespace otawrap {

void fieldAdd(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  for (int k = 0; k < kWordCount; ++k) {
    out[k] = static_cast<Word>(a[k] ^ b[k]);
  }
}

namespace {

// Words 4q..4q+3 of a 12-word row held in one 64-bit lane, word 4q lowest.
// Four words are XORed at once this way; the words themselves stay 16-bit.
inline std::uint64_t packLane(Word w0, Word w1, Word w2, Word w3) {
  return static_cast<std::uint64_t>(w0) | (static_cast<std::uint64_t>(w1) << 16) |
         (static_cast<std::uint64_t>(w2) << 32) | (static_cast<std::uint64_t>(w3) << 48);
}

// All ones when bit 16r of the lane is set, else zero.
inline std::uint64_t laneMask(std::uint64_t lane, int r) {
  return 0u - ((lane >> (16 * r)) & 1u);
}

// Folds words 21 down to 11 into words 0..10 using x^176 = x^20 + x^19 + x^16 +
// x^13 (mod f), one word at a time from the top: v = word k+11 goes to word k
// (v << 13), word k+1 (v, v >> 3, v << 3, v << 4) and word k+2 (v >> 12, v >> 13).
// Word j >= 11 only receives from folds k = j-2, j-1, j, all of which run before
// j itself is folded at k = j-11; only words 11 and 12 receive at all (from folds
// 9 and 10), and those two contributions are kept in locals rather than written
// back. The result goes to out after the last fold; out may overlap wide[0..10].
inline void foldWide(Word* wide, FieldElement& out) {
  unsigned into11 = 0;
  unsigned into12 = 0;
  for (int k = 10; k >= 0; --k) {
    unsigned v = wide[k + 11];
    if (k == 0) {
      v ^= into11;
    } else if (k == 1) {
      v ^= into12;
    }
    v &= 0xFFFFu;
    const unsigned low = (v << 13) & 0xFFFFu;
    const unsigned mid = (v ^ (v >> 3) ^ (v << 3) ^ (v << 4)) & 0xFFFFu;
    const unsigned high = (v >> 12) ^ (v >> 13);
    wide[k] = static_cast<Word>(wide[k] ^ low);
    if (k + 1 <= 10) {
      wide[k + 1] = static_cast<Word>(wide[k + 1] ^ mid);
    } else {
      into11 ^= mid;
    }
    if (k + 2 <= 10) {
      wide[k + 2] = static_cast<Word>(wide[k + 2] ^ high);
    } else if (k + 2 == 11) {
      into11 ^= high;
    } else {
      into12 ^= high;
    }
  }
  for (int k = 0; k < 11; ++k) {
    out[k] = wide[k];
  }
}

}  // namespace

// Right-to-left comb: for each bit position j (outer) and each word i of a
// (inner) whose bit j is set, XOR the row b << j into acc at word offset i. The
// row is selected by an all-ones/all-zeros mask instead of a branch, so the time
// does not depend on a. The row (12 words) and acc (22 words, plus 2 spare) are
// held as 64-bit lanes of four words; a row placed at word offset i = 4q + r is
// the row moved up by r words, XORed into lanes q..q+3. The words i are visited
// grouped by r (XOR order does not change the result).
void fieldMultiplyPortable(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  std::uint64_t row0 = packLane(b[0], b[1], b[2], b[3]);
  std::uint64_t row1 = packLane(b[4], b[5], b[6], b[7]);
  std::uint64_t row2 = packLane(b[8], b[9], b[10], 0);
  // a's words, shifted right by j: bit 0 of each word lane is then bit j of the word.
  std::uint64_t a0 = packLane(a[0], a[1], a[2], a[3]);
  std::uint64_t a1 = packLane(a[4], a[5], a[6], a[7]);
  std::uint64_t a2 = packLane(a[8], a[9], a[10], 0);
  std::uint64_t acc0 = 0;
  std::uint64_t acc1 = 0;
  std::uint64_t acc2 = 0;
  std::uint64_t acc3 = 0;
  std::uint64_t acc4 = 0;
  std::uint64_t acc5 = 0;
  for (unsigned j = 0; j < 16; ++j) {
    std::uint64_t m = 0;
    // Offsets i = 0, 4, 8: the row as it stands.
    m = laneMask(a0, 0);
    acc0 ^= row0 & m;
    acc1 ^= row1 & m;
    acc2 ^= row2 & m;
    m = laneMask(a1, 0);
    acc1 ^= row0 & m;
    acc2 ^= row1 & m;
    acc3 ^= row2 & m;
    m = laneMask(a2, 0);
    acc2 ^= row0 & m;
    acc3 ^= row1 & m;
    acc4 ^= row2 & m;
    // Offsets i = 1, 5, 9: the row moved up one word.
    std::uint64_t s0 = row0 << 16;
    std::uint64_t s1 = (row1 << 16) | (row0 >> 48);
    std::uint64_t s2 = (row2 << 16) | (row1 >> 48);
    std::uint64_t s3 = row2 >> 48;
    m = laneMask(a0, 1);
    acc0 ^= s0 & m;
    acc1 ^= s1 & m;
    acc2 ^= s2 & m;
    acc3 ^= s3 & m;
    m = laneMask(a1, 1);
    acc1 ^= s0 & m;
    acc2 ^= s1 & m;
    acc3 ^= s2 & m;
    acc4 ^= s3 & m;
    m = laneMask(a2, 1);
    acc2 ^= s0 & m;
    acc3 ^= s1 & m;
    acc4 ^= s2 & m;
    acc5 ^= s3 & m;
    // Offsets i = 2, 6, 10: moved up two words.
    s0 = row0 << 32;
    s1 = (row1 << 32) | (row0 >> 32);
    s2 = (row2 << 32) | (row1 >> 32);
    s3 = row2 >> 32;
    m = laneMask(a0, 2);
    acc0 ^= s0 & m;
    acc1 ^= s1 & m;
    acc2 ^= s2 & m;
    acc3 ^= s3 & m;
    m = laneMask(a1, 2);
    acc1 ^= s0 & m;
    acc2 ^= s1 & m;
    acc3 ^= s2 & m;
    acc4 ^= s3 & m;
    m = laneMask(a2, 2);
    acc2 ^= s0 & m;
    acc3 ^= s1 & m;
    acc4 ^= s2 & m;
    acc5 ^= s3 & m;
    // Offsets i = 3, 7: moved up three words.
    s0 = row0 << 48;
    s1 = (row1 << 48) | (row0 >> 16);
    s2 = (row2 << 48) | (row1 >> 16);
    s3 = row2 >> 16;
    m = laneMask(a0, 3);
    acc0 ^= s0 & m;
    acc1 ^= s1 & m;
    acc2 ^= s2 & m;
    acc3 ^= s3 & m;
    m = laneMask(a1, 3);
    acc1 ^= s0 & m;
    acc2 ^= s1 & m;
    acc3 ^= s2 & m;
    acc4 ^= s3 & m;
    if (j < 15) {
      a0 >>= 1;
      a1 >>= 1;
      a2 >>= 1;
      // b has at most 176 bits, so nothing leaves the top of the 12-word row.
      row2 = (row2 << 1) | (row1 >> 63);
      row1 = (row1 << 1) | (row0 >> 63);
      row0 <<= 1;
    }
  }
  const std::uint64_t lanes[6] = {acc0, acc1, acc2, acc3, acc4, acc5};
  Word wide[22];
  for (int s = 0; s < 22; ++s) {
    wide[s] = static_cast<Word>(lanes[s / 4] >> (16 * (s % 4)));
  }
  foldWide(wide, out);
}

void fieldMultiply(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  if (cpuFeatures().pclmul) {
    fieldMultiplyClmul(a.data(), b.data(), out.data());
  } else {
    fieldMultiplyPortable(a, b, out);
  }
}

void fieldSquare(const FieldElement& a, FieldElement& out) {
  if (cpuFeatures().pclmul) {
    fieldSquareClmul(a.data(), out.data());
  } else {
    fieldSquarePortable(a, out);
  }
}

void fieldSquarePortable(const FieldElement& a, FieldElement& out) {
  Word wide[22];
  for (int i = 0; i < 11; ++i) {
    const unsigned w = a[i];
    wide[2 * i] = squareSpreadTable[w & 0xFFu];
    wide[2 * i + 1] = squareSpreadTable[w >> 8];
  }
  foldWide(wide, out);
}

void fieldReduceWide(WideWords& wide, FieldElement& out) { foldWide(wide.data(), out); }

// Folds bits 163..175 using x^163 = x^7 + x^6 + x^3 + 1; touches only words 0
// and 1, so one pass leaves degree below 163.
void fieldReduceFinal(FieldElement& a) {
  const unsigned v = static_cast<unsigned>(a[10]) >> 3;
  a[10] = static_cast<Word>(a[10] & 7u);
  a[0] = static_cast<Word>(a[0] ^ ((v ^ (v << 3) ^ (v << 6) ^ (v << 7)) & 0xFFFFu));
  a[1] = static_cast<Word>(a[1] ^ ((v >> 9) ^ (v >> 10)));
}

void fieldSquareTimes(const FieldElement& a, int count, FieldElement& out) {
  if (cpuFeatures().pclmul) {
    fieldSquareTimesClmul(a.data(), count, out.data());
  } else {
    fieldSquareTimesPortable(a, count, out);
  }
}

void fieldSquareTimesPortable(const FieldElement& a, int count, FieldElement& out) {
  out = a;
  for (int i = 0; i < count; ++i) {
    fieldSquarePortable(out, out);
  }
}

namespace {

// The square and multiply of one path, so that both paths run the same chain.
struct FieldPath {
  void (*squareTimes)(const FieldElement&, int, FieldElement&);
  void (*multiply)(const FieldElement&, const FieldElement&, FieldElement&);
};

void squareTimesClmul(const FieldElement& a, int count, FieldElement& out) {
  fieldSquareTimesClmul(a.data(), count, out.data());
}

void multiplyClmul(const FieldElement& a, const FieldElement& b, FieldElement& out) {
  fieldMultiplyClmul(a.data(), b.data(), out.data());
}

// Itoh-Tsujii (ecc/itoh_tsujii.h) along 1, 2, 4, ..., 128, 160, 162: 9
// multiplications and 162 squarings, the runs of 32 and 64 as linear maps; the
// same operations for every a. Zero is reported before the chain (it would
// give zero). Intermediate words differ from a chain of plain squarings, the
// canonical result does not.
constexpr std::array<int, 10> kInversionChain = {1, 2, 4, 8, 16, 32, 64, 128, 160, 162};
static_assert(isInversionChain(kInversionChain) && kInversionChain.back() == 162,
              "the chain reaches m - 1 = 162");

// GF(2^163) as a field of ecc/binary_field.h, for the linear maps of the
// chain's runs of 32 and 64 squarings; elements pass canonical, in three limbs.
using Field163Polynomial = Pentanomial<163, 3, 6, 7>;

// out = a^(2^count) by the map of 2^count (canonical out).
void applyMap(const SquarePowerMap<Field163Polynomial>& map, const FieldElement& a, FieldElement& out) {
  FieldElement canonical = a;
  fieldReduceFinal(canonical);
  Limbs<3> limbs = wordsToLimbs(canonical);
  binaryFieldApplyMap(map, limbs, limbs);
  out = limbsToWords(limbs);
}

int invertWith(const FieldPath& path, const FieldElement& a, FieldElement& out) {
  FieldElement b = a;
  if (fieldIsZero(b) != 0) {
    return kNoInverse;
  }
  const auto squareTimes = [&path](const FieldElement& x, int count, FieldElement& y) {
    if (count == 32) {
      applyMap(kSquare163By32, x, y);
    } else if (count == 64) {
      applyMap(kSquare163By64, x, y);
    } else {
      path.squareTimes(x, count, y);
    }
  };
  itohTsujiiInvert(kInversionChain, b, squareTimes, path.multiply, b);
  fieldReduceFinal(b);
  out = b;
  return 0;
}

}  // namespace

int fieldInvert(const FieldElement& a, FieldElement& out) {
  if (cpuFeatures().pclmul) {
    return invertWith(FieldPath{squareTimesClmul, multiplyClmul}, a, out);
  }
  return fieldInvertPortable(a, out);
}

int fieldInvertPortable(const FieldElement& a, FieldElement& out) {
  return invertWith(FieldPath{fieldSquareTimesPortable, fieldMultiplyPortable}, a, out);
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
