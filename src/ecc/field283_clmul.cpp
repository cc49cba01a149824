// The carry-less kernels of ecc/binary_field_clmul.h for GF(2^283). Whether
// this code is compiled at all is decided in ecc/hardware_paths.h.
#include "ecc/field283_clmul.h"

#include "ecc/hardware_paths.h"

#if OTAWRAP_X86_64_HARDWARE_PATHS

#include "ecc/binary_field_clmul.h"

#if defined(_MSC_VER) && !defined(__clang__)
#pragma warning(disable : 5030)
#endif

namespace otawrap {

[[gnu::target("pclmul")]]
void field283MultiplyClmul(const Field283& a, const Field283& b, Field283& out) {
  binaryFieldMultiplyClmul<Field283Polynomial>(a, b, out);
}

[[gnu::target("pclmul")]]
void field283SquareClmul(const Field283& a, Field283& out) {
  binaryFieldSquareClmul<Field283Polynomial>(a, out);
}

[[gnu::target("pclmul")]]
void field283SquareTimesClmul(const Field283& a, int count, Field283& out) {
  out = a;
  for (int i = 0; i < count; ++i) {
    binaryFieldSquareClmul<Field283Polynomial>(out, out);
  }
}

}  // namespace otawrap

#else

namespace otawrap {

// Never selected here (cpuFeatures().pclmul is false); kept so every build links.
void field283MultiplyClmul(const Field283& a, const Field283& b, Field283& out) {
  field283MultiplyPortable(a, b, out);
}

void field283SquareClmul(const Field283& a, Field283& out) { field283SquarePortable(a, out); }

void field283SquareTimesClmul(const Field283& a, int count, Field283& out) {
  out = a;
  for (int i = 0; i < count; ++i) {
    field283SquarePortable(out, out);
  }
}

}  // namespace otawrap

#endif
