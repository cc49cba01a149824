// Window table of a run-time point: tau powers are free (squared coordinates),
// the sums are projective, and one inversion converts them all.
#include "ecc/point_table.h"

namespace otawrap {

namespace {

// tau^count(P): every coordinate squared count times.
AffinePoint tauPower(const AffinePoint& P, int count) {
  AffinePoint out = P;
  for (int i = 0; i < count; ++i) {
    fieldSquare(out.x, out.x);
    fieldSquare(out.y, out.y);
  }
  return out;
}

ProjectivePoint projectiveOf(const AffinePoint& P) {
  ProjectivePoint out;
  wordsCopy(P.x, out.X);
  wordsCopy(P.y, out.Y);
  wordsSetOne(out.Z.data(), kWordCount);
  return out;
}

}  // namespace

void pointTableBuild(const AffinePoint& Q, AffinePoint table[kPointTableEntries]) {
  constexpr int kSums = kPointTableEntries - 1;
  const AffinePoint tau2 = tauPower(Q, 2);
  const AffinePoint tau3 = tauPower(tau2, 1);
  const AffinePoint tau4 = tauPower(tau3, 1);

  const ProjectivePoint tau4P = projectiveOf(tau4);
  ProjectivePoint tau4MinusTau2;
  ProjectivePoint tau4PlusTau2;
  pointAddMixed(tau4P, tau2, tau4MinusTau2, 1);
  pointAddMixed(tau4P, tau2, tau4PlusTau2, 0);

  // Each sum: a projective start plus or minus Q, landing in table slot index.
  struct Sum {
    ProjectivePoint start;
    int negate;
    int index;  // entry j + 5
  };
  const Sum plan[kSums] = {
      {projectiveOf(tau2), 0, 6},  {projectiveOf(tau2), 1, 4},  // (tau^2 +- 1)Q
      {projectiveOf(tau3), 0, 7},  {projectiveOf(tau3), 1, 3},  // (tau^3 +- 1)Q
      {tau4MinusTau2, 0, 8},       {tau4MinusTau2, 1, 2},       // (tau^4 - tau^2 +- 1)Q
      {tau4P, 0, 9},               {tau4P, 1, 1},               // (tau^4 +- 1)Q
      {tau4PlusTau2, 0, 10},       {tau4PlusTau2, 1, 0},        // (tau^4 + tau^2 +- 1)Q
  };
  ProjectivePoint sums[kSums];
  for (int i = 0; i < kSums; ++i) {
    pointAddMixed(plan[i].start, Q, sums[i], plan[i].negate);
  }

  // Shared inversion: prefix[i] = Z_0 ... Z_i, then walk back.
  FieldElement prefix[kSums];
  prefix[0] = sums[0].Z;
  for (int i = 1; i < kSums; ++i) {
    fieldMultiply(prefix[i - 1], sums[i].Z, prefix[i]);
  }
  FieldElement inverse;
  fieldInvert(prefix[kSums - 1], inverse);  // never zero: every Z is nonzero
  for (int i = kSums - 1; i >= 0; --i) {
    FieldElement zInverse;
    if (i > 0) {
      fieldMultiply(inverse, prefix[i - 1], zInverse);
      fieldMultiply(inverse, sums[i].Z, inverse);
    } else {
      zInverse = inverse;
    }
    AffinePoint& entry = table[plan[i].index];
    fieldMultiply(sums[i].X, zInverse, entry.x);
    fieldSquare(zInverse, zInverse);
    fieldMultiply(sums[i].Y, zInverse, entry.y);
    fieldReduceFinal(entry.x);
    fieldReduceFinal(entry.y);
  }
  table[5] = Q;
  fieldReduceFinal(table[5].x);
  fieldReduceFinal(table[5].y);
}

}  // namespace otawrap
