// Differential target: the word-oriented field and mod-n arithmetic against
// the slow references, on two arbitrary 176-bit operands (loose and partially
// reduced forms included). Aliased outputs are checked as well, and the
// carry-less multiply must leave the portable comb's words exactly. The next
// 72 bytes are two GF(2^283) elements, checked the same way.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "ecc/cpu_features.h"
#include "ecc/field.h"
#include "ecc/field283.h"
#include "ecc/field283_clmul.h"
#include "ecc/field_clmul.h"
#include "ecc/modn.h"
#include "support/field_reference.h"
#include "support/fuzz_check.h"
#include "support/reference_arithmetic.h"

namespace {

using otawrap::Words;
using otawrap::fuzz::fuzzCheck;

// Operand from 22 input bytes (missing bytes are zero), least significant first.
Words operandFrom(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  Words w{};
  for (std::size_t i = 0; i < 22; ++i) {
    const std::uint8_t byte = offset + i < size ? data[offset + i] : 0;
    w[i / 2] = static_cast<otawrap::Word>(w[i / 2] | (byte << (8 * (i % 2))));
  }
  return w;
}

bool isCanonicalField(const Words& a) { return a[10] <= 7; }

bool isZero(const Words& a) {
  return std::all_of(a.begin(), a.end(), [](otawrap::Word w) { return w == 0; });
}

Words oneWords() {
  Words one{};
  one[0] = 1;
  return one;
}

void checkField(const Words& a, const Words& b) {
  using namespace otawrap;
  const Words product = fuzz::referenceFieldMultiply(a, b);

  FieldElement out{};
  fieldMultiply(a, b, out);
  fuzzCheck(fuzz::referenceFieldReduce(out) == product, "fieldMultiply");
  FieldElement aliased = a;
  fieldMultiply(aliased, b, aliased);
  fuzzCheck(aliased == out, "fieldMultiply with out aliasing a");

  FieldElement canonical = out;
  fieldReduceFinal(canonical);
  fuzzCheck(canonical == product, "fieldReduceFinal");

  FieldElement portable{};
  fieldMultiplyPortable(a, b, portable);
  fuzzCheck(fuzz::referenceFieldReduce(portable) == product, "fieldMultiplyPortable");
  fieldSquarePortable(a, portable);
  fuzzCheck(fuzz::referenceFieldReduce(portable) == fuzz::referenceFieldMultiply(a, a),
            "fieldSquarePortable");
  if (cpuFeatures().pclmul) {
    FieldElement clmul{};
    fieldMultiplyClmul(a.data(), b.data(), clmul.data());
    fieldMultiplyPortable(a, b, portable);
    fuzzCheck(clmul == portable, "fieldMultiplyClmul leaves the portable words");
    fieldSquareClmul(a.data(), clmul.data());
    fieldSquarePortable(a, portable);
    fuzzCheck(clmul == portable, "fieldSquareClmul leaves the portable words");
  }

  const Words square = fuzz::referenceFieldMultiply(a, a);
  fieldSquare(a, out);
  fuzzCheck(fuzz::referenceFieldReduce(out) == square, "fieldSquare");
  aliased = a;
  fieldSquare(aliased, aliased);
  fuzzCheck(aliased == out, "fieldSquare in place");

  const Words sentinel = b;
  FieldElement inverse = sentinel;
  const int status = fieldInvert(a, inverse);
  if (isZero(fuzz::referenceFieldReduce(a))) {
    fuzzCheck(status == kNoInverse, "fieldInvert of zero reports no inverse");
    fuzzCheck(inverse == sentinel, "fieldInvert of zero leaves out untouched");
  } else {
    fuzzCheck(status == 0, "fieldInvert status");
    fuzzCheck(isCanonicalField(inverse), "fieldInvert result canonical");
    fuzzCheck(fuzz::referenceFieldMultiply(a, inverse) == oneWords(), "fieldInvert");
    aliased = a;
    fuzzCheck(fieldInvert(aliased, aliased) == 0 && aliased == inverse, "fieldInvert in place");
  }
}

void checkModN(const Words& a, const Words& b) {
  using namespace otawrap;
  WideWords wide{};
  wordsMultiply(a, b, wide);
  fuzzCheck(wide == fuzz::referenceIntegerMultiply(a, b), "wordsMultiply");

  const Words product = fuzz::referenceModReduce(fuzz::referenceIntegerMultiply(a, b));
  ModNumber out{};
  modMultiply(a, b, out);
  fuzzCheck(fuzz::referenceModReduce(out) == product, "modMultiply");
  ModNumber aliased = b;
  modMultiply(a, aliased, aliased);
  fuzzCheck(aliased == out, "modMultiply with out aliasing b");

  ModNumber canonical = out;
  modReduceFinal(canonical);
  fuzzCheck(canonical == product, "modReduceFinal");

  const Words sentinel = b;
  ModNumber inverse = sentinel;
  const int status = modInvert(a, inverse);
  if (isZero(fuzz::referenceModReduce(a))) {
    fuzzCheck(status == kModNoInverse, "modInvert of a multiple of n reports no inverse");
    fuzzCheck(inverse == sentinel, "modInvert of a multiple of n leaves out untouched");
  } else {
    fuzzCheck(status == 0, "modInvert status");
    fuzzCheck(fuzz::referenceModReduce(fuzz::referenceIntegerMultiply(a, inverse)) == oneWords(),
              "modInvert");
    aliased = a;
    fuzzCheck(modInvert(aliased, aliased) == 0 && aliased == inverse, "modInvert in place");
  }
}

// A canonical GF(2^283) element from 36 input bytes (missing bytes zero).
otawrap::Field283 element283From(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  otawrap::Field283 a{};
  for (std::size_t i = 0; i < 36; ++i) {
    const std::uint8_t byte = offset + i < size ? data[offset + i] : 0;
    a[i / 8] |= static_cast<otawrap::Limb>(byte) << (8 * (i % 8));
  }
  a[4] &= (otawrap::Limb{1} << 27) - 1u;
  return a;
}

void checkField283(const otawrap::Field283& a, const otawrap::Field283& b) {
  using namespace otawrap;
  const Field283 product = test::slowField283Multiply(a, b);
  Field283 out{};
  field283Multiply(a, b, out);
  fuzzCheck(out == product, "field283Multiply");
  field283MultiplyPortable(a, b, out);
  fuzzCheck(out == product, "field283MultiplyPortable");
  const Field283 square = test::slowField283Multiply(a, a);
  field283Square(a, out);
  fuzzCheck(out == square, "field283Square");
  field283SquarePortable(a, out);
  fuzzCheck(out == square, "field283SquarePortable");
  if (cpuFeatures().pclmul) {
    field283MultiplyClmul(a, b, out);
    fuzzCheck(out == product, "field283MultiplyClmul");
    field283SquareClmul(a, out);
    fuzzCheck(out == square, "field283SquareClmul");
  }
  Field283 inverse = b;
  const int status = field283Invert(a, inverse);
  if (limbsIsZero(a) != 0) {
    fuzzCheck(status == kField283NoInverse && inverse == b, "field283Invert of zero");
  } else {
    fuzzCheck(status == 0 && test::slowField283Multiply(a, inverse) == Field283{1, 0, 0, 0, 0},
              "field283Invert");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Words a = operandFrom(data, size, 0);
  const Words b = operandFrom(data, size, 22);
  checkField(a, b);
  checkModN(a, b);
  checkField283(element283From(data, size, 44), element283From(data, size, 80));
  return 0;
}
