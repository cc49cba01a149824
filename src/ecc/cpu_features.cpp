// CPUID leaf 1 through the compiler's own wrapper: <cpuid.h> on GCC and Clang,
// <intrin.h> on MSVC. Other processors and portable-only builds report nothing.
#include "ecc/cpu_features.h"

#if !defined(OTAWRAP_PORTABLE_ONLY) && (defined(__x86_64__) || defined(_M_X64)) && \
    !defined(_M_ARM64EC)

#if defined(_MSC_VER)
#include <intrin.h>

namespace {
unsigned leaf1Ecx() {
  int registers[4] = {0, 0, 0, 0};
  __cpuid(registers, 1);
  return static_cast<unsigned>(registers[2]);
}
}  // namespace

#else
#include <cpuid.h>

namespace {
unsigned leaf1Ecx() {
  unsigned eax = 0;
  unsigned ebx = 0;
  unsigned ecx = 0;
  unsigned edx = 0;
  return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 ? ecx : 0u;
}
}  // namespace
#endif

#else

namespace {
// No CPUID, or no hardware path compiled: nothing to offer.
unsigned leaf1Ecx() { return 0; }
}  // namespace

#endif

namespace otawrap {

namespace {

// Bits of ECX for CPUID leaf 1 (Intel SDM vol. 2A, table 3-10).
constexpr unsigned kEcxPclmul = 1u << 1;
constexpr unsigned kEcxAes = 1u << 25;

}  // namespace

CpuFeatures detectCpuFeatures() {
  const unsigned ecx = leaf1Ecx();
  return CpuFeatures{(ecx & kEcxAes) != 0, (ecx & kEcxPclmul) != 0};
}

}  // namespace otawrap
